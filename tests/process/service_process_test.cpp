// The real Skylet and Wattlet executables, started as a user starts them,
// each test in private mount and network namespaces with fresh fixed
// directories.
#include <Poco/File.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "process/service_test.h"
#include "support/test_files.h"

namespace tool {
namespace testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class StopSignalTest
    : public ServiceTest,
      public ::testing::WithParamInterface<std::tuple<Deliverable, int>> {};

TEST_P(StopSignalTest, LogsStartAndStopSequenceAndExitsZero) {
  const auto [deliverable, stopSignal] = GetParam();
  const std::string name = deliverable.name;
  const std::string log = StartAndAwait(deliverable, kSdcardHome);
  StopInOrder(stopSignal);
  const auto expected = ElementsAre(
      "INFO ToolManager " + name + " Start:20201026",
      "INFO ToolManager StartServer", "INFO ToolManager StartLifecheck",
      "INFO ToolManager Stop", "INFO ToolManager StopLifecheck",
      "INFO ToolManager StopServer", "INFO ToolManager " + name + " Stop");
  EXPECT_THAT(Messages(ReadFile(log)), expected);
  EXPECT_THAT(Messages(process_->Stdout()), expected);
  EXPECT_THAT(process_->Stderr(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    BothServices, StopSignalTest,
    ::testing::Combine(::testing::Values(kSkylet, kWattlet),
                       ::testing::Values(SIGTERM, SIGUSR1)),
    [](const auto& info) {
      return std::string(std::get<0>(info.param).name) +
             (std::get<1>(info.param) == SIGTERM ? "_SIGTERM" : "_SIGUSR1");
    });

TEST_F(ServiceTest, BrokenPipeSignalDoesNotEndTheService) {
  StartAndAwait(kSkylet, kSdcardHome);
  process_->Signal(SIGPIPE);
  EXPECT_EQ(process_->WaitForExit(std::chrono::milliseconds(100)),
            std::nullopt);
  StopInOrder();
}

TEST_F(ServiceTest, ReadOnlySdcardMovesTheHomeToTmp) {
  sandbox_.MountReadOnly("/media/sdcard");
  const std::string log = StartAndAwait(kSkylet, "/tmp/lumhaven");
  StopInOrder();
  EXPECT_THAT(ReadFile(log), HasSubstr("Skylet Stop"));
  EXPECT_FALSE(Poco::File("/tmp/lumhaven/write_test").exists());
  EXPECT_FALSE(Poco::File(kSdcardHome).exists());
}

TEST_F(ServiceTest, SettingsFileChoosesHomeAndThreshold) {
  WriteFile(ServiceSandbox::SettingsFilePath(),
            SettingsXml({{"SdcardPath", "/media/card2"}, {"LogLevel", "3"}}));
  process_.emplace(wattletExecutable, "Wattlet", "/tmp");
  ASSERT_TRUE(process_->Start());
  // Only Error and Fatal lines pass: the file appears but stays empty.
  const std::string log = LogPath("/media/card2/lumhaven", kWattlet);
  ASSERT_TRUE(
      WaitUntil([&] { return Poco::File(log).exists(); }, kStartTimeout));
  StopInOrder();
  EXPECT_THAT(ReadFile(log), IsEmpty());
  EXPECT_THAT(process_->Stdout(), IsEmpty());
  EXPECT_FALSE(Poco::File(kSdcardHome).exists());
}

TEST_F(ServiceTest, StopReleasesTheThreeChannelControllersFirst) {
  WriteFile(ServiceSandbox::SettingsFilePath(),
            SettingsXml({{"LogLevel", "0"}}));
  const std::string log = StartAndAwait(kWattlet, kSdcardHome);
  StopInOrder();
  const std::vector<std::string> messages = Messages(ReadFile(log));
  const auto stop =
      std::find(messages.begin(), messages.end(), "INFO ToolManager Stop");
  ASSERT_LE(stop + 5, messages.end());
  EXPECT_THAT(
      std::vector<std::string>(stop, stop + 5),
      ElementsAre("INFO ToolManager Stop", "DEBUG Channel Channel closed.",
                  "DEBUG Channel Channel closed.",
                  "DEBUG Channel Channel closed.",
                  "INFO ToolManager StopLifecheck"));
}

TEST_F(ServiceTest, StrayLog4cxxConfigurationIsIgnored) {
  // Would switch the service's logger off if the library read it.
  WriteFile("/tmp/log4cxx.properties",
            "log4j.rootLogger=OFF\nlog4j.logger.com.kestrova.skylet=OFF\n");
  const std::string log = StartAndAwait(kSkylet, kSdcardHome);
  StopInOrder();
  EXPECT_THAT(ReadFile(log), HasSubstr("Skylet Stop"));
}

}  // namespace
}  // namespace testing
}  // namespace tool
