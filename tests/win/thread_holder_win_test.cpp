// Stopping a thread asks its work to end before anything harsher: a worker
// that listens ends by itself; one that never does is terminated, and the
// holder says so, so nothing that could need a lock it held runs after it.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>

#include "platform/win/thread_holder_win.h"

namespace tw::win {
namespace {

class Worker {
 public:
  void Listen() {
    while (!holder.StopRequested()) ::Sleep(5);  // polls the request, as a transfer's progress calls do
    ended = true;
  }
  void Ignore() {
    ::WaitForSingleObject(never.Get(), INFINITE);
    ended = true;
  }

  ThreadHolder<Worker> holder;
  UniqueHandleObject never{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  std::atomic<bool> ended{false};
};

TEST(ThreadHolder, AWorkerThatListensEndsByItselfWhenAsked) {
  Worker worker;
  ASSERT_TRUE(worker.holder.Start(&worker, &Worker::Listen));
  EXPECT_TRUE(worker.holder.Stop(30000));
  EXPECT_TRUE(worker.ended);
  EXPECT_FALSE(worker.holder.Terminated());
}

TEST(ThreadHolder, AWorkerThatNeverEndsIsTerminatedOnlyAsTheLastResort) {
  Worker worker;
  ASSERT_TRUE(worker.holder.Start(&worker, &Worker::Ignore));
  EXPECT_FALSE(worker.holder.StopGracefully(100)) << "still running: left to the caller";
  EXPECT_TRUE(worker.holder.IsRunning());
  EXPECT_FALSE(worker.holder.Terminated());
  worker.holder.Terminate();
  EXPECT_TRUE(worker.holder.Terminated());
  EXPECT_FALSE(worker.holder.IsRunning());
  EXPECT_FALSE(worker.ended);
}

}  // namespace
}  // namespace tw::win
