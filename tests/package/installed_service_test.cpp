// The services as their Debian packages install them: unpacked from the
// packages into a scratch root, each starts from its installed path,
// answers a device command through the RS-485 stand-in, and stops in order
// on SIGTERM with status 0.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <ostream>
#include <string>
#include <vector>

#include "process/device_command_test.h"

namespace tool {
namespace testing {
namespace {

using ::testing::Contains;

struct InstalledCase {
  const Deliverable* deliverable;
  const char* device;
  std::string check;  // the check that finds `device`
};

void PrintTo(const InstalledCase& installed, std::ostream* out) {
  *out << installed.deliverable->name;
}

class InstalledServiceTest
    : public DeviceCommandTest,
      public ::testing::WithParamInterface<InstalledCase> {
 protected:
  InstalledServiceTest() : DeviceCommandTest(*GetParam().deliverable) {}
};

TEST_P(InstalledServiceTest, StartsAnswersACheckAndStopsOnSigterm) {
  const InstalledCase& installed = GetParam();
  const std::string log = Start({installed.device});
  EXPECT_EQ(Post(installed.check), SuccessReply());
  StopInOrder(SIGTERM);
  EXPECT_THAT(LogMessages(log),
              Contains(std::string("INFO ToolManager ") +
                       installed.deliverable->name + " Stop"));
}

INSTANTIATE_TEST_SUITE_P(
    Packages, InstalledServiceTest,
    ::testing::Values(
        InstalledCase{&kSkylet, "1:weather:1:2:0",
                      CheckRequest("1", "2", "1", "0")},
        InstalledCase{&kWattlet, "2:km50:compoway:1:3:4",
                      CommandRequest("CheckConnectionForKM50",
                                     RequestItems({"2", "0", "3", "1", "4"}))}),
    [](const ::testing::TestParamInfo<InstalledCase>& info) {
      return std::string(info.param.deliverable->name);
    });

}  // namespace
}  // namespace testing
}  // namespace tool
