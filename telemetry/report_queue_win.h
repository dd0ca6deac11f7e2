// One reporter thread posts the process's records in order, so no road
// waits for the telemetry service. Records it cannot deliver — the service
// silent, down, refusing or behind a dead proxy — are kept in the machine's
// record file, and a later run sends them before its own, unchanged. The
// first undelivered record ends the posting for the run: the service must
// see a machine's records in the order they were made.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "telemetry/record_store_win.h"

namespace TwDirectMetra {

// What became of one post.
enum class Delivery { kDelivered, kUndelivered };
using PostFunction =
    std::function<Delivery(const std::wstring& url, const Packet& packet, const std::atomic<bool>& cancel)>;

class TelemetryReporter {
 public:
  // The process's reporter; idle (sends are synchronous) until Start.
  static TelemetryReporter& Instance();

  TelemetryReporter(KeptRecordFile file, PostFunction post);
  ~TelemetryReporter();
  TelemetryReporter(const TelemetryReporter&) = delete;
  TelemetryReporter& operator=(const TelemetryReporter&) = delete;

  // Starts the thread; it first takes the records earlier runs kept and
  // sends them, before this run's, to `keptUrl`.
  void Start(const std::wstring& keptUrl);
  // True from Start on: records go through the queue, or after Stop to the file.
  bool Started() const;
  // Queues one record for `url`; after Stop it goes straight to the file.
  void Enqueue(const std::wstring& url, Packet packet);
  // Gives the queue `drainMs` to empty, then ends the post in flight and
  // keeps every record not delivered. Idempotent.
  void Stop(uint32_t drainMs);

 private:
  struct Record {
    std::wstring url;
    Packet packet;
  };
  enum class State { kIdle, kRunning, kStopped };

  void Run();

  KeptRecordFile m_file;
  PostFunction m_post;
  mutable std::mutex m_lock;
  std::condition_variable m_changed;
  std::deque<Record> m_queue;
  std::wstring m_kept_url;
  State m_state = State::kIdle;
  bool m_gave_up = false;  // an undelivered record ended posting for this run
  bool m_stopping = false;
  bool m_finished = false;
  std::atomic<bool> m_cancel{false};
  std::thread m_thread;
};

// The form post every report uses, delivered when the service answered 200.
Delivery PostRecord(const std::wstring& url, const Packet& packet, const std::atomic<bool>& cancel);

}  // namespace TwDirectMetra
