#include "rs485/channel_worker.h"

#include <Poco/ThreadPool.h>
#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "rs485/channel_worker_interface.h"

namespace tool {
namespace {

// Counts the calls; sleeps far longer than any test runs, so only a Stop
// can end a sleep.
class CountingOwner : public ChannelWorkerInterface {
 public:
  void Begin() override { ++begins; }
  bool IsRepeat() override { return false; }
  void End() override { ++ends; }
  int GetWaitInterval() override { return 600000; }

  std::atomic<int> begins{0};
  std::atomic<int> ends{0};
};

// A stop given before the worker's first sleep must still end it: a lost
// wake-up would hang Join for the whole interval.
TEST(ChannelWorkerTest, StopGivenAtOnceEndsTheLongSleep) {
  Poco::ThreadPool threads(1, 1);
  CountingOwner owner;
  ChannelWorker worker(&owner, threads);
  worker.Start();
  worker.Stop();
  worker.Join();
  EXPECT_LE(owner.begins.load(), 1);
  EXPECT_EQ(owner.ends.load(), 1);
}

// Workers follow one another on the pool's threads, each destroyed as soon
// as its Join returns (while its thread may still be finishing), as a
// channel does for each device-setting connection.
TEST(ChannelWorkerTest, SuccessiveWorkersEachRunAndEnd) {
  // As a channel keeps it: one thread, more only while a finished worker's
  // thread is not yet idle again.
  Poco::ThreadPool threads(1, 4);
  CountingOwner owner;
  constexpr int kWorkers = 50;
  for (int i = 0; i < kWorkers; ++i) {
    auto worker = std::make_unique<ChannelWorker>(&owner, threads);
    worker->Start();
    worker->Stop();
    worker->Join();
  }
  threads.joinAll();
  EXPECT_EQ(owner.ends.load(), kWorkers);
}

// Join of a worker never started returns at once.
TEST(ChannelWorkerTest, JoinWithoutStartReturns) {
  Poco::ThreadPool threads(1, 1);
  CountingOwner owner;
  ChannelWorker worker(&owner, threads);
  worker.Join();
  EXPECT_EQ(owner.ends.load(), 0);
}

}  // namespace
}  // namespace tool
