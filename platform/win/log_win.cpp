#include <windows.h>

#include <list>
#include <mutex>
#include <string>

#include "platform/log.h"
#include "platform/log_format.h"
#include "platform/win/file_system_win.h"
#include "platform/win/link_safe_win.h"
#include "platform/win/temp_dir_win.h"
#include "platform/win/thread_holder_win.h"
#include "platform/win/unique_handle_win.h"

namespace tw {
namespace {

constexpr LONGLONG kRotateAboveBytes = 0x7FFFF;
constexpr DWORD kStopWaitMs = 60000;
constexpr size_t kMaxPendingLines = 4096;

// The log lives in %TEMP%, which every process of the user can write: while
// a link holds either name, nothing is measured, deleted or renamed.
void RotateIfLarge(const std::wstring& path) {
  const std::wstring older = path + L"0";
  if (win::IsLinkAt(path) || win::IsLinkAt(older)) return;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return;
  const LONGLONG size = (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  if (size <= kRotateAboveBytes) return;
  win::DeleteFileIfPresent(older);
  ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  ::MoveFileW(path.c_str(), older.c_str());
}

// A manual-reset event anyone may open, so another process can pause the log.
HANDLE CreateOpenEvent(const std::wstring& name) {
  SECURITY_DESCRIPTOR descriptor{};
  ::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
  ::SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
  return ::CreateEventW(&attributes, TRUE, TRUE, name.c_str());
}

LogTimestamp LocalTimestamp() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return LogTimestamp{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

}  // namespace

struct TwLog::State {
  std::mutex lock;  // guards queue, started and the enable event's lifetime
  std::list<std::string> queue;
  bool started = false;
  std::wstring path;
  win::UniqueHandleObject enableEvent;
  win::UniqueHandleObject dataEvent;
  volatile LONG stop = 0;
  win::ThreadHolder<TwLog> writer;
};

TwLog& TwLog::Instance() {
  static TwLog* log = new TwLog();  // never destroyed: threads may log during exit
  return *log;
}

TwLog::TwLog() : m_state(std::make_unique<State>()) {}

TwLog::~TwLog() { Stop(); }

std::wstring TwLog::DefaultPath() { return win::TempDirectory().value_or(L"") + L"twinst.log"; }

std::wstring TwLog::EnableEventName(unsigned long processId) {
  return L"Global\\BFD88F2D-0990-4de4-AD0F-764F5894389A-" + std::to_wstring(processId);
}

bool TwLog::Start(const std::wstring& path) {
  State& s = *m_state;
  {
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.started) return true;
  }
  s.path = path;
  RotateIfLarge(path);

  win::UniqueHandleObject enableEvent(CreateOpenEvent(EnableEventName(::GetCurrentProcessId())));
  win::UniqueHandleObject dataEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!enableEvent || !dataEvent) return false;
  s.dataEvent = std::move(dataEvent);
  ::InterlockedExchange(&s.stop, 0);
  if (!s.writer.Start(this, &TwLog::WriterLoop)) {
    s.dataEvent.Reset();
    return false;
  }
  std::lock_guard<std::mutex> guard(s.lock);
  s.enableEvent = std::move(enableEvent);
  s.started = true;
  return true;
}

int LogWrite(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int result = TwLog::Instance().WriteV(format, args);
  va_end(args);
  return result;
}

int TwLog::Write(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int result = WriteV(format, args);
  va_end(args);
  return result;
}

int TwLog::WriteV(const char* format, va_list args) {
  State& s = *m_state;
  {
    std::lock_guard<std::mutex> guard(s.lock);
    if (!s.started || ::WaitForSingleObject(s.enableEvent.Get(), 0) != WAIT_OBJECT_0) return 0;
  }
  char message[kLogMessageBufferSize];
  const int result = FormatLogMessage(message, format, args);
  std::string line = FormatLogPrefix(LocalTimestamp());
  line += message;

  std::lock_guard<std::mutex> guard(s.lock);
  if (!s.started) return 0;
  s.queue.push_back(std::move(line));
  ::SetEvent(s.dataEvent.Get());
  return result;
}

void TwLog::WriterLoop() {
  State& s = *m_state;
  std::list<std::string> pending;  // lines whose file could not be opened
  while (true) {
    ::WaitForSingleObject(s.dataEvent.Get(), INFINITE);
    while (true) {
      std::list<std::string> batch;
      {
        std::lock_guard<std::mutex> guard(s.lock);
        batch.swap(s.queue);
        ::ResetEvent(s.dataEvent.Get());
      }
      batch.splice(batch.end(), pending);
      if (batch.empty()) break;
      // The file is open only while one batch is written, so support staff
      // can read or delete it while the installer runs.
      // Never through a link planted at the name: then the lines wait, at
      // most kMaxPendingLines of them, for a name of the log's own.
      const win::UniqueFile file = win::OpenForAppendNotThroughLink(s.path);
      if (!file) {
        pending.swap(batch);
        while (pending.size() > kMaxPendingLines) pending.pop_front();
        break;
      }
      std::string text;
      for (const std::string& line : batch) text.append(line).append("\r\n");
      DWORD written = 0;
      (void)::WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
    if (::InterlockedCompareExchange(&s.stop, 0, 0) != 0) return;
  }
}

void TwLog::Stop() {
  State& s = *m_state;
  {
    std::lock_guard<std::mutex> guard(s.lock);
    if (!s.started) return;
    s.started = false;
  }
  ::InterlockedExchange(&s.stop, 1);
  ::SetEvent(s.dataEvent.Get());
  (void)s.writer.Stop(kStopWaitMs);
  std::lock_guard<std::mutex> guard(s.lock);
  s.queue.clear();
  s.dataEvent.Reset();
  s.enableEvent.Reset();
}

}  // namespace tw
