// The lifecheck watchdog in the real services, with its real 5 s period: the
// watchdog file's modification time is set relative to the present instead
// of waiting for the file to age.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/time.h>

#include <algorithm>
#include <chrono>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "process/service_test.h"
#include "support/test_files.h"

namespace tool {
namespace testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Clock = std::chrono::steady_clock;

constexpr auto kTick = std::chrono::seconds(5);
// How far a tick may be from where the test expects it: the lifecheck
// starts just before the start sequence is logged.
constexpr auto kTickMargin = std::chrono::milliseconds(500);

// Sets the modification time of the watchdog file at `path` to `offset` from
// now, creating the file when missing.
void SetWatchdogAge(const std::string& path, std::chrono::seconds offset) {
  WriteFile(path, "");
  struct timeval now;
  gettimeofday(&now, nullptr);
  now.tv_sec += offset.count();
  const struct timeval times[2] = {now, now};
  ASSERT_EQ(utimes(path.c_str(), times), 0);
}

class LifecheckProcessTest : public ServiceTest {
 protected:
  // Starts the service with unbuffered logging at Debug.
  std::string StartAtDebug(const Deliverable& deliverable) {
    WriteFile(ServiceSandbox::SettingsFilePath(),
              SettingsXml({{"LogLevel", "0"}, {"EnableLogBufferedIO", "0"}}));
    return StartAndAwait(deliverable, kSdcardHome);
  }

  // Expects the service to be still running at `until`.
  void ExpectRunningUntil(Clock::time_point until) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        until - Clock::now());
    EXPECT_EQ(process_->WaitForExit(left), std::nullopt);
  }

  // Expects "Time over", then the orderly stop sequence, and exit status 0
  // by `deadline`.
  void ExpectTimeOverStop(const Deliverable& deliverable,
                          const std::string& log, Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - Clock::now());
    ASSERT_EQ(process_->WaitForExit(left), 0);
    const std::vector<std::string> messages = Messages(ReadFile(log));
    const auto timeOver =
        std::find(messages.begin(), messages.end(), "INFO Lifecheck Time over");
    ASSERT_NE(timeOver, messages.end());
    std::vector<std::string> infoAfter;
    std::copy_if(timeOver + 1, messages.end(), std::back_inserter(infoAfter),
                 [](const std::string& m) { return m.rfind("INFO ", 0) == 0; });
    EXPECT_THAT(
        infoAfter,
        ElementsAre(
            "INFO ToolManager Stop", "INFO ToolManager StopLifecheck",
            "INFO ToolManager StopServer",
            "INFO ToolManager " + std::string(deliverable.name) + " Stop"));
    EXPECT_THAT(process_->Stderr(), IsEmpty());
  }

  static void ExpectIntervalLoggedOnce(const std::string& log,
                                       const std::string& watchdogPath) {
    const std::vector<std::string> messages = Messages(ReadFile(log));
    EXPECT_EQ(std::count(messages.begin(), messages.end(),
                         "DEBUG Lifecheck Set Lifecheck interval [5000] file "
                         "path[" +
                             watchdogPath + "]"),
              1);
  }
};

TEST_F(LifecheckProcessTest, FileFromTheFutureStopsSkyletAtTheFirstTick) {
  const std::string watchdog = "/tmp/skyletcfg_wdt";
  SetWatchdogAge(watchdog, std::chrono::minutes(2));
  const Clock::time_point launched = Clock::now();
  const std::string log = StartAtDebug(kSkylet);
  ExpectRunningUntil(launched + kTick - kTickMargin);
  // The tick, then at most one 500 ms pause of the main loop and the stop.
  ExpectTimeOverStop(kSkylet, log, launched + std::chrono::milliseconds(6500));
  ExpectIntervalLoggedOnce(log, watchdog);
}

// Runs Wattlet through a tick without the file and one with a file inside
// the allowed age, then lets the file be too old for the third.
TEST_F(LifecheckProcessTest, OnlyAFileTooOldStopsWattlet) {
  const std::string watchdog = "/tmp/wattletcfg_wdt";
  const std::string log = StartAtDebug(kWattlet);
  const Clock::time_point started = Clock::now();
  ExpectRunningUntil(started + 2 * kTick - kTickMargin);
  SetWatchdogAge(watchdog, std::chrono::seconds(-55));
  ExpectRunningUntil(started + 2 * kTick + kTickMargin);
  SetWatchdogAge(watchdog, std::chrono::seconds(-65));
  ExpectTimeOverStop(kWattlet, log, started + 3 * kTick + kStopTimeout);
  ExpectIntervalLoggedOnce(log, watchdog);
}

}  // namespace
}  // namespace testing
}  // namespace tool
