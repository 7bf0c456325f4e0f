// The weather sensor's whole reconfiguration, with the restart's real pause:
// the one process test that takes over 30 s.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "process/device_command_test.h"

namespace tool {
namespace testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAreArray;

TEST_F(WeatherSensorTest, RestartProbesTheNewSettingsUntilTheSensorAnswers) {
  // At address 1, baud setting 2, serial parameters 0; deaf to the first two
  // frames after its restart.
  const std::string log = Start({"1:weather:1:2:0:2"});
  ASSERT_EQ(Post(CheckRequest("1", "2", "1", "0")), SuccessReply());
  ASSERT_EQ(Post(UpdateRequest("3", "10", "1")), SuccessReply());
  const auto begin = std::chrono::steady_clock::now();
  EXPECT_EQ(Post(RestartRequest(), std::chrono::seconds(40)), SuccessReply());
  EXPECT_GE(std::chrono::steady_clock::now() - begin, std::chrono::seconds(30));
  // Goes to the new address on the new line: the restart made the updated
  // settings the connected ones.
  EXPECT_EQ(Post(UpdateRequest("2", "1", "0")), SuccessReply());

  const std::string probe = "command ch=1 frame=" + WithCrc("0a4605");
  const std::vector<std::string> records = Records();
  EXPECT_THAT(
      records,
      ElementsAreArray(std::vector<std::string>{
          // Check.
          "port ch=1 baud=3 format=0x03",
          "reply ch=1 status=0 frame=",
          "command ch=1 frame=" + WithCrc("014605"),
          "reply ch=1 status=0 frame=" + WithCrc("014605"),
          // Update: baud setting 3, serial parameters 1, then address 10.
          "port ch=1 baud=3 format=0x03",
          "reply ch=1 status=0 frame=",
          "command ch=1 frame=" + WithCrc("0146060301"),
          "reply ch=1 status=0 frame=" + WithCrc("0146060301"),
          "command ch=1 frame=" + WithCrc("0146040a"),
          "reply ch=1 status=0 frame=" + WithCrc("0146040a"),
          // Restart, answered at the old settings.
          "port ch=1 baud=3 format=0x03",
          "reply ch=1 status=0 frame=",
          "command ch=1 frame=" + WithCrc("010800010000"),
          "reply ch=1 status=0 frame=" + WithCrc("010800010000"),
          // Probes at the new settings until the third is answered.
          "port ch=1 baud=4 format=0x0b",
          "reply ch=1 status=0 frame=",
          probe,
          "reply ch=1 status=1 frame=",
          probe,
          "reply ch=1 status=1 frame=",
          probe,
          "reply ch=1 status=0 frame=" + WithCrc("0a4605"),
          // The following update.
          "port ch=1 baud=4 format=0x0b",
          "reply ch=1 status=0 frame=",
          "command ch=1 frame=" + WithCrc("0a46060200"),
          "reply ch=1 status=0 frame=" + WithCrc("0a46060200"),
          "command ch=1 frame=" + WithCrc("0a460401"),
          "reply ch=1 status=0 frame=" + WithCrc("0a460401"),
      }));
  StopInOrder();
  const std::vector<std::string> messages = LogMessages(log);
  EXPECT_THAT(messages,
              Contains("DEBUG RestartRequestCommand Execute restart send sleep "
                       "start"));
  EXPECT_THAT(messages,
              Contains("DEBUG RestartRequestCommand Execute restart send sleep "
                       "end"));
}

}  // namespace
}  // namespace testing
}  // namespace tool
