// The installer's log, "twinst.log" in the temporary directory. Any thread
// queues a line without touching the disk; one writer thread appends queued
// lines. Another process (a support tool) can pause this log by resetting
// the named enable event that carries this process's id.
#pragma once

#include <cstdarg>
#include <memory>
#include <string>

namespace tw {

class TwLog {
 public:
  static TwLog& Instance();

  TwLog();
  ~TwLog();
  TwLog(const TwLog&) = delete;
  TwLog& operator=(const TwLog&) = delete;

  // Rotates a log above 0x7FFFF bytes to "<path>0", then starts the writer.
  // Idempotent while started.
  [[nodiscard]] bool Start(const std::wstring& path);
  // Returns the formatting result (negative when the message was cut), or 0
  // when the line was dropped: not started, or paused from outside.
  int Write(const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;
  int WriteV(const char* format, va_list args);
  // Ends the writer (60 s at most); lines still queued are discarded.
  void Stop();

  static std::wstring DefaultPath();  // %TEMP%\twinst.log
  static std::wstring EnableEventName(unsigned long processId);

 private:
  struct State;
  void WriterLoop();
  std::unique_ptr<State> m_state;
};

// Writes one line to the process's log (TwLog::Instance()).
int LogWrite(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

}  // namespace tw
