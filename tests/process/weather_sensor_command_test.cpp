// Skylet's weather-sensor commands end to end: HTTP requests to the real
// service, whose frames reach simulated devices in the real RS-485 stand-in.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <vector>

#include "process/http_exchange.h"
#include "process/device_command_test.h"

namespace tool {
namespace testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

// A sensor at slave address 10, baud setting 2 and serial parameters 0 on
// channel 1, and the check that finds it there.
constexpr char kSensorAt10[] = "1:weather:10:2:0";
const std::string kCheckAt10 = CheckRequest("1", "2", "10", "0");

constexpr char kCheckFailed[] =
    "ERROR CheckConnectionRequestCommand ExecuteSendDeviceCommand.";
constexpr char kSleepStart[] =
    "DEBUG RestartRequestCommand Execute restart send sleep start";

TEST_F(WeatherSensorTest, CheckProbesTheAddressAndIgnoresUnknownItems) {
  const std::string log = Start({kSensorAt10});
  // An item without x and one with an unknown x, last, whose values would
  // change the frame or the line if taken for one of the four.
  const std::string request = CommandRequest(
      "CheckConnectionForWeatherSensor",
      "<requestData><item x=\"1\">1</item><item x=\"2\">2</item>"
      "<item x=\"3\">10</item><item x=\"4\">0</item><item>3</item>"
      "<item x=\"5\">1</item></requestData>");
  EXPECT_EQ(Post(request), SuccessReply());
  EXPECT_THAT(Sent(), ElementsAre("port ch=1 baud=3 format=0x03",
                                  "command ch=1 frame=0a4605a3a1"));
  StopInOrder();
  const std::vector<std::string> messages = LogMessages(log);
  EXPECT_THAT(messages,
              Contains("INFO ToolManager Send Data [05000a4605a3a1]"));
  EXPECT_THAT(messages,
              Contains("DEBUG ToolManager ### send data response OK"));
  std::vector<std::string> tagValues;
  for (const std::string& message : messages) {
    if (message.find("SetTagValue") != std::string::npos) {
      tagValues.push_back(message);
    }
  }
  EXPECT_THAT(
      tagValues,
      ElementsAre("DEBUG CheckConnectionRequestCommand SetTagValue ch:1",
                  "DEBUG CheckConnectionRequestCommand SetTagValue baudrate_:2",
                  "DEBUG CheckConnectionRequestCommand SetTagValue address_:10",
                  "DEBUG CheckConnectionRequestCommand SetTagValue param_:0"));
}

TEST_F(WeatherSensorTest, CheckSentAsSoonAsThePortOpensReachesTheSensor) {
  StartStandIn({kSensorAt10});
  // The moment between opening the port and being ready is short: twenty
  // starts, each sending its check at the first chance.
  constexpr int kStarts = 20;
  int failed = 0;
  for (int start = 0; start < kStarts; ++start) {
    process_.emplace(skyletExecutable, "Skylet", "/tmp");
    ASSERT_TRUE(process_->Start());
    HttpReply reply;
    ASSERT_TRUE(WaitUntil(
        [&] {
          reply = HttpExchange(PostRequest(kCheckAt10));
          return reply.status != 0;
        },
        kStartTimeout));
    if (reply.body != SuccessReply()) ++failed;
  }
  EXPECT_EQ(failed, 0) << "checks failed of " << kStarts << " starts";
}

TEST_F(WeatherSensorTest, CheckWithoutItemsOrRequestDataFailsUnsent) {
  const std::string log = Start({kSensorAt10});
  EXPECT_EQ(
      Post(CommandRequest("CheckConnectionForWeatherSensor", "<requestData/>")),
      FailureReply());
  EXPECT_EQ(Post(CommandRequest("CheckConnectionForWeatherSensor", "")),
            FailureReply());
  EXPECT_THAT(Records(), IsEmpty());
  StopInOrder();
  EXPECT_THAT(LogMessages(log), Contains(kCheckFailed));
}

TEST_F(WeatherSensorTest, CheckAtAnotherBaudRateFailsAndStoresNothing) {
  const std::string log = Start({kSensorAt10});
  EXPECT_EQ(Post(CheckRequest("1", "1", "10", "0")), FailureReply());
  EXPECT_THAT(Records(), ElementsAre("port ch=1 baud=1 format=0x03",
                                     "reply ch=1 status=0 frame=",
                                     "command ch=1 frame=0a4605a3a1",
                                     "reply ch=1 status=1 frame="));
  // Nothing was connected, so an update has no channel to go to.
  EXPECT_EQ(Post(UpdateRequest("2", "10", "0")), FailureReply());
  EXPECT_EQ(Records().size(), 4u);
  StopInOrder();
  const std::vector<std::string> messages = LogMessages(log);
  EXPECT_THAT(messages, Contains("ERROR ToolManager ### received data null"));
  EXPECT_THAT(messages, Contains(kCheckFailed));
}

TEST_F(WeatherSensorTest, UpdateWritesLineSettingsAsHexTextThenTheAddress) {
  Start({kSensorAt10});
  ASSERT_EQ(Post(kCheckAt10), SuccessReply());
  // The baud rate "10" goes out as the byte 0x10, the address "10" as 0x0a.
  EXPECT_EQ(Post(UpdateRequest("10", "10", "1")), SuccessReply());
  EXPECT_THAT(Sent(), ElementsAre("port ch=1 baud=3 format=0x03",
                                  "command ch=1 frame=0a4605a3a1",
                                  "port ch=1 baud=3 format=0x03",
                                  "command ch=1 frame=" + WithCrc("0a46061001"),
                                  "command ch=1 frame=" + WithCrc("0a46040a")));
}

TEST_F(WeatherSensorTest, UpdateWithBaudrateThatIsNotHexTextIsNotSent) {
  const std::string log = Start({kSensorAt10});
  ASSERT_EQ(Post(kCheckAt10), SuccessReply());
  const std::vector<std::string> afterCheck = Records();
  EXPECT_EQ(Post(UpdateRequest("0x3", "10", "0")), FailureReply());
  EXPECT_EQ(Records(), afterCheck);
  StopInOrder();
  EXPECT_THAT(
      LogMessages(log),
      Contains(
          "ERROR UpdateSettingRequestCommand Execute Send Data Create Error."));
}

TEST_F(WeatherSensorTest, UpdateAndRestartBeforeAnyCheckFailUnsent) {
  const std::string log = Start({kSensorAt10});
  EXPECT_EQ(Post(UpdateRequest("2", "10", "0")), FailureReply());
  EXPECT_EQ(Post(RestartRequest()), FailureReply());
  EXPECT_THAT(Records(), IsEmpty());
  StopInOrder();
  EXPECT_THAT(LogMessages(log), Not(Contains(kSleepStart)));
}

TEST_F(WeatherSensorTest, UpdateStopsAtAWrongFirstReply) {
  // Answers every frame with the probe's echo: right for the check, wrong
  // for the line-settings write.
  const std::string log = Start({"1:fixed:" + WithCrc("0a4605")});
  ASSERT_EQ(Post(kCheckAt10), SuccessReply());
  EXPECT_EQ(Post(UpdateRequest("3", "11", "1")), FailureReply());
  EXPECT_THAT(Sent(),
              ElementsAre("port ch=1 baud=3 format=0x03",
                          "command ch=1 frame=0a4605a3a1",
                          "port ch=1 baud=3 format=0x03",
                          "command ch=1 frame=" + WithCrc("0a46060301")));
  StopInOrder();
  EXPECT_THAT(LogMessages(log),
              Contains("ERROR ToolManager ### send data response error"));
}

TEST_F(WeatherSensorTest, UnansweredRestartFailsWithoutThePause) {
  const std::string log = Start({kSensorAt10});
  ASSERT_EQ(Post(kCheckAt10), SuccessReply());
  // The sensor leaves the line after it was found.
  ASSERT_TRUE(standIn_->Stop());
  standIn_.emplace("rs485_stand_in_without_devices",
                   std::vector<std::string>());
  ASSERT_TRUE(standIn_->Start()) << standIn_->Stderr();
  const auto begin = std::chrono::steady_clock::now();
  EXPECT_EQ(Post(RestartRequest()), FailureReply());
  EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(2));
  EXPECT_THAT(Sent(),
              ElementsAre("port ch=1 baud=3 format=0x03",
                          "command ch=1 frame=" + WithCrc("0a0800010000")));
  StopInOrder();
  const std::vector<std::string> messages = LogMessages(log);
  EXPECT_THAT(messages, Contains("ERROR ToolManager ### received data null"));
  EXPECT_THAT(messages, Not(Contains(kSleepStart)));
}

TEST_F(WeatherSensorTest, StopDuringTheRestartPauseEndsTheServiceAtOnce) {
  const std::string log = Start({kSensorAt10});
  ASSERT_EQ(Post(kCheckAt10), SuccessReply());
  std::future<HttpReply> restart = std::async(std::launch::async, [] {
    return HttpExchange(PostRequest(RestartRequest()),
                        std::chrono::seconds(10));
  });
  ASSERT_TRUE(WaitForFileContaining(log, "restart send sleep start",
                                    std::chrono::seconds(5)));
  StopInOrder();
  const HttpReply reply = restart.get();
  // Answered with a failure, or cut off as the service ended.
  if (reply.status != 0) {
    EXPECT_EQ(reply.body, FailureReply());
  }
  // No probe followed the restart request.
  EXPECT_THAT(Sent(),
              ElementsAre("port ch=1 baud=3 format=0x03",
                          "command ch=1 frame=0a4605a3a1",
                          "port ch=1 baud=3 format=0x03",
                          "command ch=1 frame=" + WithCrc("0a0800010000")));
  // The restart's request thread had ended before the stop was logged.
  EXPECT_EQ(LogMessages(log).back(), "INFO ToolManager Skylet Stop");
}

}  // namespace
}  // namespace testing
}  // namespace tool
