#include "rs485/channel.h"

#include <Poco/AutoPtr.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "rs485/com_service_test.h"
#include "rs485/fake_com_service.h"
#include "rs485/recording_callback.h"
#include "rs485/request.h"
#include "rs485/rs485_access_request.h"
#include "rs485/rs485_record_layout.h"
#include "rs485/rs485_send_command_request.h"

namespace tool {
namespace {

// What the probe requests saw: the order they ran in and the most that ran
// at the same time.
struct Probe {
  std::mutex mutex;
  std::vector<int> order;
  std::atomic<int> running{0};
  std::atomic<int> mostRunning{0};
};

class ProbeRequest : public Request {
 public:
  ProbeRequest(Probe* probe, int id) : probe_(probe), id_(id) {}

  void Process() override {
    const int now = ++probe_->running;
    int most = probe_->mostRunning.load();
    while (now > most &&
           !probe_->mostRunning.compare_exchange_weak(most, now)) {
    }
    // Long enough for a second worker, were there one, to start the next.
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    {
      std::lock_guard<std::mutex> lock(probe_->mutex);
      probe_->order.push_back(id_);
    }
    --probe_->running;
  }

 private:
  Probe* const probe_;
  const int id_;
};

using ChannelTest = testing::ComServiceTest;

TEST_F(ChannelTest, RequestsFromTwoThreadsRunOneAtATimeInPushOrder) {
  Probe probe;
  constexpr int kRequests = 20;
  std::vector<int> pushOrder;
  {
    Channel channel(1);
    channel.Start();
    channel.Start();  // must not add a second worker
    std::mutex pushMutex;
    int next = 0;
    auto push = [&] {
      for (;;) {
        std::lock_guard<std::mutex> lock(pushMutex);
        if (next == kRequests) return;
        pushOrder.push_back(next);
        channel.PushRequest(new ProbeRequest(&probe, next++));
      }
    };
    std::thread first(push);
    std::thread second(push);
    first.join();
    second.join();
    channel.PushRequest(nullptr);  // ignored
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
      {
        std::lock_guard<std::mutex> lock(probe.mutex);
        if (probe.order.size() == kRequests) break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }
  EXPECT_EQ(probe.order, pushOrder);
  EXPECT_EQ(probe.mostRunning.load(), 1);
}

TEST_F(ChannelTest, DestroyedChannelDropsQueuedRequestsAndReleasesWaiters) {
  testing::RecordingCallback callback;
  RS485SendCommandRequest command(Settings());
  auto reply = command.GetFuture();
  {
    Channel channel(1);  // never started: everything stays queued
    channel.PushRequest(new RS485AccessRequest(&callback, Settings()));
    channel.PushRequest(command.CreateAccessRequest());
  }
  EXPECT_TRUE(callback.Results().empty());
  EXPECT_EQ(callback.Dropped(), 1);
  ASSERT_EQ(reply.wait_for(std::chrono::seconds(0)), std::future_status::ready);
  EXPECT_EQ(reply.get(), nullptr);
}

TEST_F(ChannelTest, CloseAbortsTheRunningExchangeAndDropsTheOthers) {
  testing::FakeComService service(SocketPath());
  service.Answer({}, /*keepOpen=*/true);  // reads the record, never answers
  const std::vector<std::uint8_t> record(record::kAccessRecordSize);
  testing::RecordingCallback running, queued, later;
  const auto request = [&](testing::RecordingCallback* callback) {
    auto* access = new RS485AccessRequest(callback, Settings());
    access->SetAccessData(record.data(), static_cast<int>(record.size()));
    return access;
  };
  Channel channel(1);
  channel.Start();
  channel.PushRequest(request(&running));
  channel.PushRequest(request(&queued));
  ASSERT_TRUE(service.AwaitRecords(1));  // the first waits for its reply

  const auto closing = std::chrono::steady_clock::now();
  channel.Close();
  channel.PushRequest(request(&later));
  EXPECT_EQ(queued.Dropped(), 1);
  EXPECT_EQ(later.Dropped(), 1);
  while (running.Results().empty() &&
         std::chrono::steady_clock::now() - closing < std::chrono::seconds(5)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  // Well inside the 10 s the exchange would otherwise have waited.
  EXPECT_LT(std::chrono::steady_clock::now() - closing, std::chrono::seconds(2));
  ASSERT_EQ(running.Results().size(), 1u);
  EXPECT_EQ(running.Results()[0].code, RS485AccessRequest::kReadFailed);
  EXPECT_EQ(service.Records().size(), 1u);
}

}  // namespace
}  // namespace tool
