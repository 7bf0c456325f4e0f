// Every device command of both services meets each fault of the RS-485
// communication service in turn: the reply is a well-formed FAILURE (or
// SUCCESS where only the judged bytes count), it comes within a bound, and
// the next request is served normally.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <string>
#include <tuple>
#include <vector>

#include "process/com_fault_test_base.h"
#include "support/test_files.h"

namespace tool {
namespace testing {
namespace {

using std::chrono::milliseconds;
using ::testing::Combine;
using ::testing::Contains;
using ::testing::Not;
using ::testing::Values;

// What a command that meets a fault answers.
enum class Judged {
  kFailure,
  kSuccess,
  // Only the end code of a CompoWay/F reply is judged, not who sent it.
  kSuccessInCompoway,
};

struct FaultCase {
  const char* name;
  const char* mode;  // the stand-in's fault mode
  Judged judged;
  // What the service logs for each command that fails by the fault: a
  // failed exchange, or a reply that fails the judgement.
  const char* logLine;
  milliseconds delay;
};

void PrintTo(const FaultCase& fault, std::ostream* out) { *out << fault.name; }

const FaultCase kFaultCases[] = {
    {"CloseUnread", "close-unread", Judged::kFailure, kReceivedDataNull,
     milliseconds(0)},
    // An empty reply record reads as a reply of length 0, too short to judge.
    {"CloseSilent", "close-silent", Judged::kFailure, kResponseError,
     milliseconds(0)},
    {"Status", "status:5", Judged::kFailure, kReceivedDataNull,
     milliseconds(0)},
    // The half of the frame that arrives holds every byte the judgement
    // compares; only the reply's early end tells it is not the device's.
    {"Truncated", "truncated", Judged::kFailure, kReceivedDataNull,
     milliseconds(0)},
    {"NegativeLength", "length:-1", Judged::kFailure, kReceivedDataNull,
     milliseconds(0)},
    {"LengthPastTheRecord", "length:20000", Judged::kFailure, kReceivedDataNull,
     milliseconds(0)},
    // Seed 1 gives records of 3494, 7296 and 13427 bytes: non-zero status.
    {"RandomBytes", "random:1", Judged::kFailure, kReceivedDataNull,
     milliseconds(0)},
    {"Exception", "exception", Judged::kFailure, kResponseError,
     milliseconds(0)},
    {"OtherAddress", "other-address", Judged::kSuccessInCompoway,
     kResponseError, milliseconds(0)},
    {"Delay", "delay:3000", Judged::kSuccess, nullptr, milliseconds(3000)},
};

// A faulted command answers within this much more than the fault's delay.
constexpr milliseconds kReplyBound(2000);

class ComFaultTest
    : public ComFaultTestBase,
      public ::testing::WithParamInterface<std::tuple<ComTarget, FaultCase>> {
 protected:
  ComFaultTest() : ComFaultTestBase(std::get<0>(GetParam())) {}

  const FaultCase& fault() const { return std::get<1>(GetParam()); }

  bool FaultedCommandSucceeds() const {
    return fault().judged == Judged::kSuccess ||
           (fault().judged == Judged::kSuccessInCompoway &&
            std::string(target_->protocol) == "0");
  }

  milliseconds Bound() const { return fault().delay + kReplyBound; }

  // The --fault values: on channel 1 the first check meets the fault, on
  // channel 2 the update after one check, on channel 3 the restart after a
  // check and an update's two frames; once each.
  std::vector<std::string> FaultOptions() const {
    const std::string mode = fault().mode;
    return {"--fault", "1:" + mode + ":count=1",
            "--fault", "2:" + mode + ":skip=1:count=1",
            "--fault", "3:" + mode + ":skip=3:count=1"};
  }

  // Posts the request that meets the fault and expects its reply within
  // the bound, from a service that waited the delay out.
  void ExpectFaulted(const std::string& request, int id) {
    const TimedReply reply = TimedPost(request, Bound() + kReplyBound);
    EXPECT_EQ(reply.body, Reply(id, FaultedCommandSucceeds()));
    EXPECT_LT(reply.took, Bound());
    EXPECT_GE(reply.took, fault().delay);
  }
};

TEST_P(ComFaultTest, EveryCommandMeetsTheFaultAndTheNextIsServed) {
  const std::string log = Start(Devices(), FaultOptions());
  int id = 0;
  {
    SCOPED_TRACE("check");
    const std::string check = Check(1, &id);
    ExpectFaulted(check, id);
    const std::string next = Check(1, &id);
    ExpectSuccess(next, id);
  }
  {
    SCOPED_TRACE("update");
    const std::string check = Check(2, &id);
    ExpectSuccess(check, id);
    const std::string update = Update(&id);
    ExpectFaulted(update, id);
    const std::string next = Check(2, &id);
    ExpectSuccess(next, id);
  }
  bool stopped = false;
  if (HasRestart()) {
    SCOPED_TRACE("restart");
    const std::string check = Check(3, &id);
    ExpectSuccess(check, id);
    const std::string update = Update(&id);
    ExpectSuccess(update, id);
    const std::string restart = Restart(&id);
    const int restartId = id;
    if (!FaultedCommandSucceeds()) {
      // A restart whose request fails does not pause.
      ExpectFaulted(restart, restartId);
      const std::string next = Check(3, &id);
      ExpectSuccess(next, id);
    } else {
      // Taken as answered: the restart pauses for 30 s, during which the
      // channel is free for the next request. The stop ends the pause.
      const auto begin = std::chrono::steady_clock::now();
      std::future<TimedReply> reply =
          PostAsync(restart, std::chrono::seconds(10));
      EXPECT_TRUE(
          WaitForFileContaining(log, "restart send sleep start", Bound()));
      EXPECT_LT(std::chrono::steady_clock::now() - begin, Bound());
      const std::string next = Check(3, &id);
      ExpectSuccess(next, id);
      StopInOrder();
      stopped = true;
      const std::string body = reply.get().body;
      if (!body.empty()) {
        EXPECT_EQ(body, Reply(restartId, false));
      }
    }
  }

  const int channels = HasRestart() ? 3 : 2;
  for (int channel = 1; channel <= channels; ++channel) {
    EXPECT_EQ(CountRecords("fault ch=" + std::to_string(channel) +
                           " mode=" + fault().mode),
              1)
        << "channel " << channel;
  }
  if (!stopped) StopInOrder();
  const std::vector<std::string> messages = LogMessages(log);
  if (!FaultedCommandSucceeds()) {
    // Once for each faulted command, and nothing else failed.
    const char* const other = std::string(fault().logLine) == kResponseError
                                  ? kReceivedDataNull
                                  : kResponseError;
    EXPECT_EQ(std::count(messages.begin(), messages.end(), fault().logLine),
              channels);
    EXPECT_THAT(messages, Not(Contains(other)));
    EXPECT_THAT(messages, Not(Contains(kRestartSleepStart)));
  }
}

INSTANTIATE_TEST_SUITE_P(
    AllFaults, ComFaultTest,
    Combine(Values(kSkyletTarget, kWattletCompowayTarget, kWattletModbusTarget),
            ::testing::ValuesIn(kFaultCases)),
    [](const ::testing::TestParamInfo<ComFaultTest::ParamType>& info) {
      return std::string(std::get<0>(info.param).name) +
             std::get<1>(info.param).name;
    });

// No communication service at all, or one whose socket refuses
// connections: every command fails at once, without the restart's pause,
// and the service uses the communication service as soon as it is back.
enum class Absence { kNoService, kRefused };

class ComServiceAbsentTest
    : public ComFaultTestBase,
      public ::testing::WithParamInterface<std::tuple<ComTarget, Absence>> {
 protected:
  ComServiceAbsentTest() : ComFaultTestBase(std::get<0>(GetParam())) {}

  // Takes the communication service away: stops the stand-in, and for a
  // refused service starts one that refuses.
  void TakeServiceAway(const std::string& name) {
    if (standIn_) {
      EXPECT_TRUE(standIn_->Stop());
      standIn_.reset();
    }
    if (std::get<1>(GetParam()) == Absence::kRefused) {
      standIn_.emplace(name, std::vector<std::string>{Device(1)},
                       std::vector<std::string>{"--refuse"});
      EXPECT_TRUE(standIn_->Start()) << standIn_->Stderr();
    }
  }

  void BringServiceBack(const std::string& name) {
    if (standIn_) {
      EXPECT_TRUE(standIn_->Stop());
    }
    standIn_.emplace(name, Devices());
    EXPECT_TRUE(standIn_->Start()) << standIn_->Stderr();
  }

  void ExpectFailedAtOnce(const std::string& request, int id) {
    const TimedReply reply = TimedPost(request, kReplyBound + kReplyBound);
    EXPECT_EQ(reply.body, Reply(id, false));
    EXPECT_LT(reply.took, kReplyBound);
  }
};

TEST_P(ComServiceAbsentTest, EveryCommandFailsAtOnceUntilTheServiceIsBack) {
  WriteFile(ServiceSandbox::SettingsFilePath(),
            SettingsXml({{"LogLevel", "0"}, {"EnableLogBufferedIO", "0"}}));
  TakeServiceAway("rs485_stand_in_away_at_start");
  const std::string log = StartAndAwait(deliverable_, kSdcardHome);
  int id = 0;
  const std::string firstCheck = Check(1, &id);
  ExpectFailedAtOnce(firstCheck, id);

  BringServiceBack("rs485_stand_in_back");
  const std::string check = Check(1, &id);
  ExpectSuccess(check, id);
  const std::string update = Update(&id);
  ExpectSuccess(update, id);

  TakeServiceAway("rs485_stand_in_away_again");
  if (HasRestart()) {
    const std::string restart = Restart(&id);
    ExpectFailedAtOnce(restart, id);
  }
  const std::string failedUpdate = Update(&id);
  ExpectFailedAtOnce(failedUpdate, id);
  const std::string failedCheck = Check(1, &id);
  ExpectFailedAtOnce(failedCheck, id);

  BringServiceBack("rs485_stand_in_back_again");
  const std::string nextCheck = Check(1, &id);
  ExpectSuccess(nextCheck, id);
  const std::string nextUpdate = Update(&id);
  ExpectSuccess(nextUpdate, id);

  StopInOrder();
  const std::vector<std::string> messages = LogMessages(log);
  EXPECT_THAT(messages, Contains(kReceivedDataNull));
  // The port-setting exchange could not connect either.
  EXPECT_THAT(messages,
              Contains("ERROR RS485ChannelController Received Error [-2]"));
  EXPECT_THAT(messages, Not(Contains(kRestartSleepStart)));
}

INSTANTIATE_TEST_SUITE_P(
    BothAbsences, ComServiceAbsentTest,
    Combine(Values(kSkyletTarget, kWattletCompowayTarget, kWattletModbusTarget),
            Values(Absence::kNoService, Absence::kRefused)),
    [](const ::testing::TestParamInfo<ComServiceAbsentTest::ParamType>& info) {
      return std::string(std::get<0>(info.param).name) +
             (std::get<1>(info.param) == Absence::kNoService ? "NoService"
                                                             : "Refused");
    });

}  // namespace
}  // namespace testing
}  // namespace tool
