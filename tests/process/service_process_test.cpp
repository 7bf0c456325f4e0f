// The real Skylet and Wattlet executables, started as a user starts them,
// each test in private mount and network namespaces with fresh fixed
// directories.
#include "process/service_process.h"

#include <Poco/File.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "process/service_sandbox.h"
#include "support/test_files.h"

namespace tool {
namespace testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr auto kStartTimeout = std::chrono::seconds(5);
// An orderly stop takes at most one 500 ms pause of the main loop.
constexpr auto kStopTimeout = std::chrono::milliseconds(1500);

int skyletExecutable = -1;
int wattletExecutable = -1;

struct Deliverable {
  const char* name;
  const int* executable;
};

void PrintTo(const Deliverable& deliverable, std::ostream* out) {
  *out << deliverable.name;
}

const Deliverable kSkylet = {"Skylet", &skyletExecutable};
const Deliverable kWattlet = {"Wattlet", &wattletExecutable};

std::string LogPath(const std::string& home, const Deliverable& deliverable) {
  return home + "/Log/Tool/" + deliverable.name + ".log";
}

// "[time UTC] [INFO] ToolManager Stop" -> "INFO ToolManager Stop".
std::vector<std::string> Messages(const std::string& text) {
  std::vector<std::string> messages;
  const std::regex layout(R"(^\[[^\]]*\] \[([A-Z]+)\] (.*)$)");
  for (const std::string& line : SplitLines(text)) {
    std::smatch match;
    messages.push_back(std::regex_match(line, match, layout)
                           ? match[1].str() + " " + match[2].str()
                           : "unexpected layout: " + line);
  }
  return messages;
}

constexpr char kSdcardHome[] = "/media/sdcard/lumhaven";

class ServiceTest : public ::testing::Test {
 protected:
  // Starts the service and waits until the end of its start sequence has
  // reached the log file under `home`, whose path it returns.
  std::string StartAndAwait(const Deliverable& deliverable,
                            const std::string& home) {
    process_.emplace(*deliverable.executable, deliverable.name, "/tmp");
    EXPECT_TRUE(process_->Start());
    const std::string log = LogPath(home, deliverable);
    EXPECT_TRUE(WaitForFileContaining(log, "StartLifecheck", kStartTimeout));
    return log;
  }

  void StopInOrder(int stopSignal = SIGTERM) {
    process_->Signal(stopSignal);
    EXPECT_EQ(process_->WaitForExit(kStopTimeout), 0);
  }

  ServiceSandbox sandbox_;
  std::optional<ServiceProcess> process_;
};

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

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Listing the tests (as the build does) needs no sandbox.
  if (!::testing::GTEST_FLAG(list_tests)) {
    using tool::testing::ServiceProcess;
    tool::testing::skyletExecutable =
        ServiceProcess::OpenExecutable(SKYLET_PATH);
    tool::testing::wattletExecutable =
        ServiceProcess::OpenExecutable(WATTLET_PATH);
    if (tool::testing::skyletExecutable < 0 ||
        tool::testing::wattletExecutable < 0) {
      std::fprintf(stderr, "cannot open %s or %s\n", SKYLET_PATH, WATTLET_PATH);
      return 1;
    }
    std::string error;
    if (!tool::testing::ServiceSandbox::EnterPrivateNamespaces(&error)) {
      std::fprintf(stderr, "process tests need root: %s\n", error.c_str());
      return 1;
    }
  }
  return RUN_ALL_TESTS();
}
