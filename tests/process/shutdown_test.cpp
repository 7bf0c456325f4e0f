// A stop while a device command waits for a communication service that
// never answers: the service ends at once with status 0 instead of waiting
// out the 10 s receive time-out, the command fails or its connection
// closes, and the buffered log keeps every line up to the stop line.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <future>
#include <ostream>
#include <string>
#include <vector>

#include "process/device_command_test.h"
#include "process/http_exchange.h"
#include "support/test_files.h"

namespace tool {
namespace testing {
namespace {

using ::testing::Contains;
using ::testing::IsEmpty;
using ::testing::StartsWith;

struct HangCase {
  const Deliverable* deliverable;
  const char* device;  // on channel 1
  std::vector<std::string> checkItems;
  const char* checkCommand;
  int stopSignal;
};

void PrintTo(const HangCase& hang, std::ostream* out) {
  *out << hang.deliverable->name;
}

class StopDuringHangTest : public DeviceCommandTest,
                           public ::testing::WithParamInterface<HangCase> {
 protected:
  StopDuringHangTest() : DeviceCommandTest(*GetParam().deliverable) {}
};

TEST_P(StopDuringHangTest, EndsTheServiceAtOnceAndKeepsEveryLogLine) {
  const HangCase& hang = GetParam();
  StartStandIn({hang.device}, {"--fault", "1:hang"});
  // Every level, and the file buffered as it is by default.
  WriteFile(ServiceSandbox::SettingsFilePath(),
            SettingsXml({{"LogLevel", "0"}}));
  const std::string log = StartAndAwait(deliverable_, kSdcardHome);

  std::future<HttpReply> check = std::async(std::launch::async, [&] {
    return HttpExchange(PostRequest(CommandRequest(
                            hang.checkCommand, RequestItems(hang.checkItems))),
                        std::chrono::seconds(15));
  });
  ASSERT_TRUE(WaitUntil(
      [&] {
        for (const std::string& line : standIn_->RecordLines()) {
          if (line.rfind("fault ch=1 mode=hang", 0) == 0) return true;
        }
        return false;
      },
      std::chrono::seconds(5)));

  const auto stopping = std::chrono::steady_clock::now();
  process_->Signal(hang.stopSignal);
  EXPECT_EQ(process_->WaitForExit(kStopTimeout), 0) << process_->Stderr();
  const HttpReply reply = check.get();
  EXPECT_LT(std::chrono::steady_clock::now() - stopping,
            kStopTimeout + std::chrono::milliseconds(500));
  // Answered with a failure, or cut off as the service ended.
  if (reply.status != 0) {
    EXPECT_EQ(reply.body, FailureReply());
  }

  const std::vector<std::string> messages = LogMessages(log);
  EXPECT_THAT(messages, Contains("ERROR ToolManager ### received data null"));
  if (reply.status != 0) {
    EXPECT_THAT(messages,
                Contains(StartsWith("INFO LoggerServer HTTP Response [")));
  }
  EXPECT_EQ(messages.back(),
            std::string("INFO ToolManager ") + deliverable_.name + " Stop");
  EXPECT_THAT(process_->Stderr(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Services, StopDuringHangTest,
    ::testing::Values(HangCase{&kSkylet,
                               "1:weather:10:2:0",
                               {"1", "2", "10", "0"},
                               "CheckConnectionForWeatherSensor",
                               SIGTERM},
                      HangCase{&kWattlet,
                               "1:km50:compoway:1:3:4",
                               {"1", "0", "3", "1", "4"},
                               "CheckConnectionForKM50",
                               SIGUSR1}),
    [](const ::testing::TestParamInfo<HangCase>& info) {
      return std::string(info.param.deliverable->name);
    });

}  // namespace
}  // namespace testing
}  // namespace tool
