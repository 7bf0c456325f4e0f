#include "main/tool_manager.h"

#include <Poco/Exception.h>
#include <Poco/TemporaryFile.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <memory>
#include <regex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "command/weather/skylet_profile.h"
#include "log/logger_log.h"
#include "log/logger_setting_xml_manager.h"
#include "main/run_service.h"
#include "support/test_files.h"

namespace tool {
namespace {

using ::testing::ElementsAre;

constexpr auto kDeadline = std::chrono::seconds(5);
const ProductProfile& kProfile = skylet::kSkyletProfile;

// Each test logs into an unbuffered log file of its own.
class ToolManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_.createDirectories();
    const std::string settingsPath = root_.path() + "/LoggerSetting.xml";
    testing::WriteFile(settingsPath,
                       testing::SettingsXml({{"EnableLogBufferedIO", "0"}}));
    settings_ = std::make_unique<LoggerSettingXmlManager>(settingsPath);
    LoggerLog::Initialize(kProfile.deliverable, *settings_, root_.path());
  }

  // "[time UTC] [INFO] ToolManager Stop" -> "INFO ToolManager Stop".
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    const std::regex layout(R"(^\[[^\]]*\] \[([A-Z]+)\] (.*)$)");
    for (const std::string& line : testing::ReadLines(
             LoggerLog::LogFilePath(kProfile.deliverable, root_.path()))) {
      std::smatch match;
      lines.push_back(std::regex_match(line, match, layout)
                          ? match[1].str() + " " + match[2].str()
                          : line);
    }
    return lines;
  }

  // Waits until a manager has logged the end of its start sequence.
  void AwaitStart() const {
    const auto deadline = std::chrono::steady_clock::now() + kDeadline;
    while (std::chrono::steady_clock::now() < deadline) {
      const std::vector<std::string> lines = Lines();
      if (!lines.empty() && lines.back() == "INFO ToolManager StartLifecheck") {
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }

  // Runs `manager` on a thread of its own until it has logged its start.
  std::future<bool> StartRunning(ToolManager& manager) {
    std::future<bool> result =
        std::async(std::launch::async, [&manager] { return manager.Run(); });
    AwaitStart();
    return result;
  }

  Poco::TemporaryFile root_;
  std::unique_ptr<LoggerSettingXmlManager> settings_;
};

TEST_F(ToolManagerTest, RequestedStopRunsTheStopSequenceOnRunsThread) {
  ToolManager manager(kProfile, 0);
  std::future<bool> run = StartRunning(manager);
  ToolManager::RequestStop();
  ASSERT_EQ(run.wait_for(kDeadline), std::future_status::ready);
  EXPECT_TRUE(run.get());
  EXPECT_THAT(Lines(), ElementsAre("INFO ToolManager Skylet Start:20201026",
                                   "INFO ToolManager StartServer",
                                   "INFO ToolManager StartLifecheck",
                                   "INFO ToolManager Stop",
                                   "INFO ToolManager StopLifecheck",
                                   "INFO ToolManager StopServer",
                                   "INFO ToolManager Skylet Stop"));
}

TEST_F(ToolManagerTest, SecondRunWhileRunningStartsNothing) {
  ToolManager manager(kProfile, 0);
  std::future<bool> run = StartRunning(manager);
  EXPECT_TRUE(manager.Run());  // returns at once
  manager.Stop();
  ASSERT_EQ(run.wait_for(kDeadline), std::future_status::ready);
  EXPECT_TRUE(run.get());
  const std::vector<std::string> lines = Lines();
  EXPECT_EQ(
      std::count(lines.begin(), lines.end(), "INFO ToolManager StartServer"),
      1);
  EXPECT_EQ(std::count(lines.begin(), lines.end(),
                       "INFO ToolManager Skylet Start:20201026"),
            1);
}

TEST_F(ToolManagerTest, RepeatedStopReleasesNothing) {
  ToolManager manager(kProfile, 0);
  std::future<bool> run = StartRunning(manager);
  manager.Stop();
  ASSERT_EQ(run.wait_for(kDeadline), std::future_status::ready);
  const size_t afterFirstStop = Lines().size();
  manager.Stop();
  const std::vector<std::string> lines = Lines();
  ASSERT_EQ(lines.size(), afterFirstStop + 2);
  EXPECT_EQ(lines[afterFirstStop], "INFO ToolManager Stop");
  EXPECT_EQ(lines[afterFirstStop + 1], "INFO ToolManager Skylet Stop");
}

TEST_F(ToolManagerTest, ControllersServeChannelsOneToThreeUntilReleased) {
  ToolManager manager(kProfile, 0);
  EXPECT_EQ(manager.GetChannelController(1), nullptr);
  manager.CreateChannelControllers();
  const auto first = manager.GetChannelController(1);
  for (int channelNo : {1, 2, 3}) {
    const auto controller = manager.GetChannelController(channelNo);
    ASSERT_NE(controller, nullptr);
    EXPECT_EQ(controller->GetChannelNo(), channelNo);
  }
  EXPECT_EQ(manager.GetChannelController(0), nullptr);
  EXPECT_EQ(manager.GetChannelController(4), nullptr);
  manager.CreateChannelControllers();  // keeps the controllers it has
  EXPECT_EQ(manager.GetChannelController(1), first);
  manager.ReleaseChannelControllers();
  EXPECT_EQ(manager.GetChannelController(1), nullptr);
  manager.ReleaseChannelControllers();
}

// A manager whose lifecheck cannot start, the way a taken port keeps the
// server from starting.
class FailingStartManager : public ToolManager {
 public:
  explicit FailingStartManager(bool pocoException)
      : ToolManager(kProfile, 0), pocoException_(pocoException) {}
  void StartLifecheck() override {
    if (pocoException_) throw Poco::IOException("watchdog unusable");
    throw std::runtime_error("out of threads");
  }

 private:
  const bool pocoException_;
};

class FailedStartTest : public ToolManagerTest,
                        public ::testing::WithParamInterface<bool> {};

TEST_P(FailedStartTest, ReleasesWhatStartedAndReportsWhy) {
  FailingStartManager manager(GetParam());
  std::future<bool> run =
      std::async(std::launch::async, [&manager] { return manager.Run(); });
  ASSERT_EQ(run.wait_for(kDeadline), std::future_status::ready);
  EXPECT_FALSE(run.get());
  const std::string reason =
      GetParam() ? "I/O error: watchdog unusable" : "out of threads";
  EXPECT_EQ(manager.GetStartError(), reason);
  EXPECT_THAT(Lines(),
              ElementsAre("INFO ToolManager Skylet Start:20201026",
                          "INFO ToolManager StartServer",
                          "FATAL ToolManager Start failed. [" + reason + "]",
                          "INFO ToolManager StopServer"));
}

INSTANTIATE_TEST_SUITE_P(PocoAndStdExceptions, FailedStartTest,
                         ::testing::Bool());

TEST_F(ToolManagerTest, ServiceExitStatusTellsAFailedStartFromAStop) {
  FailingStartManager failing(true);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(RunService(failing), 1);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "Skylet: start failed: I/O error: watchdog unusable\n");

  ToolManager manager(kProfile, 0);
  ::testing::internal::CaptureStderr();
  std::future<int> status = std::async(
      std::launch::async, [&manager] { return RunService(manager); });
  AwaitStart();
  manager.Stop();
  ASSERT_EQ(status.wait_for(kDeadline), std::future_status::ready);
  EXPECT_EQ(status.get(), 0);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

}  // namespace
}  // namespace tool
