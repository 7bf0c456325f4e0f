// A communication service that reads a command record and never answers:
// every command of both services fails once the 10 s receive time-out has
// passed, and the next request is served normally. Commands on different
// channels wait out their time-outs side by side, so the whole takes about
// 30 s: Skylet's three commands at once, then Wattlet's four, two of which
// queue on one channel.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <vector>

#include "process/com_fault_test_base.h"

namespace tool {
namespace testing {
namespace {

using std::chrono::milliseconds;
using ::testing::Contains;
using ::testing::Not;

constexpr milliseconds kReceiveTimeout(10000);
// How much sooner or later than its time-outs a reply may come: sooner by
// the moments between posting the commands that queue on one channel.
constexpr milliseconds kEarly(1000);
constexpr milliseconds kLate(2000);

class ComHangSlowTest : public ComFaultTestBase {
 protected:
  ComHangSlowTest() : ComFaultTestBase(kSkyletTarget) {}

  struct Waiting {
    std::string what;
    int id;
    int timeouts;  // the time-outs it waits out, its own and those before it
    std::future<TimedReply> reply;
  };

  // Posts `request` (of request `id`); unless it queues behind another
  // command, waits until its record hung on `channel`.
  Waiting Launch(const std::string& what, const std::string& request, int id,
                 int channel, int timeouts) {
    const std::string hang =
        "fault ch=" + std::to_string(channel) + " mode=hang";
    const int hungBefore = CountRecords(hang);
    Waiting waiting{
        what, id, timeouts,
        PostAsync(request, timeouts * kReceiveTimeout + kLate + kLate)};
    if (timeouts == 1) {
      EXPECT_TRUE(
          WaitUntil([&] { return CountRecords(hang) > hungBefore; }, kLate))
          << what;
    }
    return waiting;
  }

  static void ExpectFailedAfterTimeouts(Waiting* waiting) {
    SCOPED_TRACE(waiting->what);
    const TimedReply reply = waiting->reply.get();
    EXPECT_EQ(reply.body, Reply(waiting->id, false));
    EXPECT_GE(reply.took, waiting->timeouts * kReceiveTimeout - kEarly);
    EXPECT_LT(reply.took, waiting->timeouts * kReceiveTimeout + kLate);
  }
};

TEST_F(ComHangSlowTest, EveryCommandFailsAfterTheReceiveTimeOut) {
  // Skylet: the check hangs on channel 1, the update on channel 2 and the
  // restart on channel 3, each command taking the connected settings that
  // the check before it stored.
  const std::string skyletLog = Start(
      Devices(), {"--fault", "1:hang:count=1", "--fault",
                  "2:hang:skip=1:count=1", "--fault", "3:hang:skip=3:count=1"});
  int id = 0;
  std::vector<Waiting> waiting;
  const std::string check3 = Check(3, &id);
  ExpectSuccess(check3, id);
  const std::string update3 = Update(&id);
  ExpectSuccess(update3, id);
  const std::string restart = Restart(&id);
  waiting.push_back(Launch("Skylet restart", restart, id, 3, 1));
  const std::string check2 = Check(2, &id);
  ExpectSuccess(check2, id);
  const std::string update2 = Update(&id);
  waiting.push_back(Launch("Skylet update", update2, id, 2, 1));
  const std::string check1 = Check(1, &id);
  waiting.push_back(Launch("Skylet check", check1, id, 1, 1));
  for (Waiting& command : waiting) ExpectFailedAfterTimeouts(&command);
  waiting.clear();

  for (int channel = 1; channel <= 3; ++channel) {
    const std::string next = Check(channel, &id);
    ExpectSuccess(next, id);
  }
  StopInOrder();
  std::vector<std::string> messages = LogMessages(skyletLog);
  EXPECT_THAT(messages, Contains(kReceivedDataNull));
  EXPECT_THAT(messages, Not(Contains(kRestartSleepStart)));

  // Wattlet: KM50s in CompoWay/F on channels 1 and 3 and in Modbus on
  // channel 2. The updates hang on channels 3 and 2, both checks on
  // channel 1, the second after the first.
  ASSERT_TRUE(standIn_->Stop());
  UseTarget(kWattletCompowayTarget);
  const std::string compoway1 = Device(1);
  const std::string compoway3 = Device(3);
  UseTarget(kWattletModbusTarget);
  const std::string modbus2 = Device(2);
  standIn_.emplace(
      "rs485_stand_in_km50",
      std::vector<std::string>{compoway1, modbus2, compoway3},
      std::vector<std::string>{"--fault", "1:hang:count=2", "--fault",
                               "2:hang:skip=1:count=1", "--fault",
                               "3:hang:skip=1:count=1"});
  ASSERT_TRUE(standIn_->Start()) << standIn_->Stderr();
  const std::string wattletLog = StartAndAwait(kWattlet, kSdcardHome);

  UseTarget(kWattletCompowayTarget);
  const std::string compowayCheck3 = Check(3, &id);
  ExpectSuccess(compowayCheck3, id);
  const std::string compowayUpdate = Update(&id);
  waiting.push_back(
      Launch("Wattlet update in CompoWay/F", compowayUpdate, id, 3, 1));
  UseTarget(kWattletModbusTarget);
  const std::string modbusCheck2 = Check(2, &id);
  ExpectSuccess(modbusCheck2, id);
  const std::string modbusUpdate = Update(&id);
  waiting.push_back(Launch("Wattlet update in Modbus", modbusUpdate, id, 2, 1));
  UseTarget(kWattletCompowayTarget);
  const std::string compowayCheck1 = Check(1, &id);
  waiting.push_back(
      Launch("Wattlet check in CompoWay/F", compowayCheck1, id, 1, 1));
  UseTarget(kWattletModbusTarget);
  const std::string modbusCheck1 = Check(1, &id);
  waiting.push_back(Launch("Wattlet check in Modbus", modbusCheck1, id, 1, 2));
  for (Waiting& command : waiting) ExpectFailedAfterTimeouts(&command);

  UseTarget(kWattletCompowayTarget);
  const std::string nextCheck1 = Check(1, &id);
  ExpectSuccess(nextCheck1, id);
  const std::string nextCheck3 = Check(3, &id);
  ExpectSuccess(nextCheck3, id);
  UseTarget(kWattletModbusTarget);
  const std::string nextCheck2 = Check(2, &id);
  ExpectSuccess(nextCheck2, id);
  const std::string nextUpdate = Update(&id);
  ExpectSuccess(nextUpdate, id);
  EXPECT_EQ(CountRecords("fault ch=1 mode=hang"), 2);
  StopInOrder();
  messages = LogMessages(wattletLog);
  EXPECT_THAT(messages, Contains(kReceivedDataNull));
}

}  // namespace
}  // namespace testing
}  // namespace tool
