#include "telemetry/report_queue_win.h"

#include <chrono>

#include "platform/log.h"
#include "net/http_transfer.h"
#include "platform/win/ansi_text_win.h"

namespace TwDirectMetra {
namespace {

// After the drain, the post in flight notices its cancellation within a
// second (libcurl's progress calls); a little more for the file.
constexpr auto kCancelGrace = std::chrono::milliseconds(1500);

}  // namespace

Delivery PostRecord(const std::wstring& url, const Packet& packet, const std::atomic<bool>& cancel) {
  std::string answer;
  // The service has the record once it answered other than with a server
  // error: what it said about the record (a refusal, a damaged
  // acknowledgement) it would say again. No answer, a libcurl code (below
  // 100) or a 5xx leave the record undelivered.
  const int result = tw::HttpPostForm(tw::win::WideToAnsi(url).c_str(), packet.data(), static_cast<long>(packet.size()),
                                      answer, &cancel);
  const bool delivered = result == 0 || (result >= 100 && result < 500);
  if (!delivered) tw::LogWrite("Telemetry: record not delivered (%d)", result);
  return delivered ? Delivery::kDelivered : Delivery::kUndelivered;
}

TelemetryReporter& TelemetryReporter::Instance() {
  // Never destroyed: records may come from static destructors and the crash filter.
  static TelemetryReporter* reporter = new TelemetryReporter(KeptRecordFile(), &PostRecord);
  return *reporter;
}

TelemetryReporter::TelemetryReporter(KeptRecordFile file, PostFunction post)
    : m_file(std::move(file)), m_post(std::move(post)) {}

TelemetryReporter::~TelemetryReporter() { Stop(0); }

void TelemetryReporter::Start(const std::wstring& keptUrl) {
  std::lock_guard<std::mutex> guard(m_lock);
  if (m_state != State::kIdle) return;
  m_state = State::kRunning;
  m_kept_url = keptUrl;
  m_thread = std::thread(&TelemetryReporter::Run, this);
}

bool TelemetryReporter::Started() const {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_state != State::kIdle;
}

void TelemetryReporter::Enqueue(const std::wstring& url, Packet packet) {
  {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_state == State::kRunning) {
      m_queue.push_back({url, std::move(packet)});
      m_changed.notify_all();
      return;
    }
  }
  if (!m_file.Keep({packet})) tw::LogWrite("Telemetry: a late record could not be kept");
}

void TelemetryReporter::Run() {
  // The file is read here, not on the caller's thread: the window must not
  // wait for another copy holding the file.
  std::vector<Packet> kept = m_file.Claim();
  std::unique_lock<std::mutex> lock(m_lock);
  if (!kept.empty()) tw::LogWrite("Telemetry: %u records kept by an earlier run", static_cast<unsigned>(kept.size()));
  for (auto packet = kept.rbegin(); packet != kept.rend(); ++packet)
    m_queue.push_front({m_kept_url, std::move(*packet)});
  for (;;) {
    m_changed.wait(lock, [&] { return m_stopping || (!m_queue.empty() && !m_gave_up); });
    if (m_queue.empty() || m_gave_up || m_cancel) break;
    Record record = std::move(m_queue.front());
    m_queue.pop_front();
    lock.unlock();
    const Delivery delivery = m_post(record.url, record.packet, m_cancel);
    lock.lock();
    if (delivery == Delivery::kUndelivered) {
      m_queue.push_front(std::move(record));
      m_gave_up = true;
    }
    m_changed.notify_all();
  }
  m_finished = true;
  m_changed.notify_all();
}

void TelemetryReporter::Stop(uint32_t drainMs) {
  std::unique_lock<std::mutex> lock(m_lock);
  if (m_state != State::kRunning) {
    m_state = State::kStopped;
    return;
  }
  m_stopping = true;
  m_changed.notify_all();
  m_changed.wait_for(lock, std::chrono::milliseconds(drainMs), [&] { return m_finished; });
  m_cancel = true;
  m_changed.wait_for(lock, kCancelGrace, [&] { return m_finished; });
  m_state = State::kStopped;
  std::vector<Packet> undelivered;
  for (Record& record : m_queue) undelivered.push_back(std::move(record.packet));
  m_queue.clear();
  const bool finished = m_finished;
  lock.unlock();
  // A thread still inside a post cannot be waited for any longer; it owns
  // nothing of ours but this object, which lives for the process.
  if (finished) m_thread.join();
  else m_thread.detach();
  if (undelivered.empty()) return;
  if (m_file.Keep(undelivered)) {
    tw::LogWrite("Telemetry: %u records kept for the next run", static_cast<unsigned>(undelivered.size()));
  } else {
    tw::LogWrite("Telemetry: %u records lost, the record file could not be written",
                 static_cast<unsigned>(undelivered.size()));
  }
}

}  // namespace TwDirectMetra
