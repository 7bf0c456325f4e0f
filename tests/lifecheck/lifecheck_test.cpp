#include "lifecheck/lifecheck.h"

#include <Poco/TemporaryFile.h>
#include <Poco/Timestamp.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "log/logger_log.h"
#include "log/logger_setting_xml_manager.h"
#include "support/test_deliverable.h"
#include "support/test_files.h"

namespace tool {
namespace {

using ::testing::Contains;
using ::testing::Not;

constexpr long kPeriod = 20;  // ms
constexpr Poco::Int64 kAllowedAge = Lifecheck::kAllowedAgeMilliseconds;
constexpr Poco::Timestamp::TimeDiff kSecond = 1000000;  // us
constexpr Poco::Timestamp::TimeDiff kDay = 24 * 3600 * kSecond;
// Long enough for several ticks.
constexpr auto kFewTicks = std::chrono::milliseconds(5 * kPeriod);
constexpr auto kDeadline = std::chrono::seconds(5);

bool WaitUntil(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + kDeadline;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

// A lifecheck on a watchdog file in a private directory, with a short period,
// logging at Debug into an unbuffered log file there.
class LifecheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_.createDirectories();
    const std::string settingsPath = root_.path() + "/LoggerSetting.xml";
    testing::WriteFile(settingsPath,
                       testing::SettingsXml(
                           {{"LogLevel", "0"}, {"EnableLogBufferedIO", "0"}}));
    settings_ = std::make_unique<LoggerSettingXmlManager>(settingsPath);
    LoggerLog::Initialize(testing::kTestDeliverable, *settings_, root_.path());
    lifecheck_ = std::make_unique<Lifecheck>(FilePath(), kPeriod, kAllowedAge,
                                             [this] { OnTimeOver(); });
  }

  void TearDown() override { lifecheck_.reset(); }

  virtual void OnTimeOver() { ++timeOvers_; }

  std::string FilePath() const { return root_.path() + "/wdt"; }

  // Creates the watchdog file when missing and sets its modification time
  // `offset` from now.
  void SetFileAge(Poco::Timestamp::TimeDiff offset) const {
    testing::WriteFile(FilePath(), "");
    const Poco::Timestamp::TimeVal time =
        (Poco::Timestamp() + offset).epochMicroseconds();
    struct timeval times[2];
    times[0].tv_sec = time / kSecond;
    times[0].tv_usec = time % kSecond;
    times[1] = times[0];
    ASSERT_EQ(utimes(FilePath().c_str(), times), 0);
  }

  // "[time UTC] [INFO] Lifecheck Time over" -> "INFO Lifecheck Time over".
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    const std::regex layout(R"(^\[[^\]]*\] \[([A-Z]+)\] (.*)$)");
    for (const std::string& line : testing::ReadLines(
             LoggerLog::LogFilePath(testing::kTestDeliverable, root_.path()))) {
      std::smatch match;
      if (std::regex_match(line, match, layout)) {
        lines.push_back(match[1].str() + " " + match[2].str());
      }
    }
    return lines;
  }

  Poco::TemporaryFile root_;
  std::unique_ptr<LoggerSettingXmlManager> settings_;
  std::unique_ptr<Lifecheck> lifecheck_;
  std::atomic<int> timeOvers_{0};
};

TEST_F(LifecheckTest, FreshFileKeepsTheServiceRunning) {
  SetFileAge(0);
  lifecheck_->Start();
  std::this_thread::sleep_for(kFewTicks);
  EXPECT_EQ(timeOvers_, 0);
  EXPECT_THAT(Lines(), Not(Contains("INFO Lifecheck Time over")));
}

class AgeBeyondLimitTest
    : public LifecheckTest,
      public ::testing::WithParamInterface<Poco::Timestamp::TimeDiff> {};

TEST_P(AgeBeyondLimitTest, LogsTimeOverAndCallsTheHandler) {
  SetFileAge(GetParam());
  lifecheck_->Start();
  ASSERT_TRUE(WaitUntil([this] { return timeOvers_ > 0; }));
  EXPECT_THAT(Lines(), Contains("INFO Lifecheck Time over"));
}

INSTANTIATE_TEST_SUITE_P(PastAndFuture, AgeBeyondLimitTest,
                         ::testing::Values(-61 * kSecond, 120 * kSecond,
                                           // Beyond 2^31 ms either way, and
                                           // so beyond a 32-bit long.
                                           -30 * kDay, 30 * kDay));

TEST(LifecheckLimitTest, AllowsUpToTheLimitInWholeMillisecondsEitherWay) {
  const Poco::Timestamp now;
  const auto over = [&now](Poco::Timestamp::TimeDiff age) {
    return Lifecheck::IsTimeOver(now, now - age, kAllowedAge);
  };
  EXPECT_FALSE(over(0));
  EXPECT_FALSE(over(60000999));   // 60000 ms after truncation
  EXPECT_TRUE(over(60001000));    // 60001 ms
  EXPECT_FALSE(over(-60000999));  // truncated toward zero: -60000 ms
  EXPECT_TRUE(over(-60001000));
  // Ages that do not fit 32 bits in milliseconds (the gateway's long and
  // time_t are 32 bits): 25 days either way, and a file from 1970.
  EXPECT_TRUE(over(25 * kDay));
  EXPECT_TRUE(over(-25 * kDay));
  EXPECT_TRUE(over(now.epochMicroseconds()));
}

TEST_F(LifecheckTest, MissingFileIsPassedOverUntilItAppears) {
  lifecheck_->Start();
  std::this_thread::sleep_for(kFewTicks);
  EXPECT_EQ(timeOvers_, 0);
  SetFileAge(-61 * kSecond);
  EXPECT_TRUE(WaitUntil([this] { return timeOvers_ > 0; }));
}

TEST_F(LifecheckTest, NoTickAfterStopReturned) {
  SetFileAge(-61 * kSecond);
  lifecheck_->Start();
  ASSERT_TRUE(WaitUntil([this] { return timeOvers_ > 0; }));
  lifecheck_->Stop();
  const int afterStop = timeOvers_;
  std::this_thread::sleep_for(kFewTicks);
  EXPECT_EQ(timeOvers_, afterStop);
  lifecheck_->Stop();  // does nothing
}

// A handler that takes its time, to stop the lifecheck in the middle of a
// tick.
class SlowHandlerTest : public LifecheckTest {
 protected:
  void OnTimeOver() override {
    entered_ = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ++timeOvers_;
  }
  std::atomic<bool> entered_{false};
};

TEST_F(SlowHandlerTest, StopWaitsForTheTickUnderWay) {
  SetFileAge(120 * kSecond);
  lifecheck_->Start();
  ASSERT_TRUE(WaitUntil([this] { return entered_.load(); }));
  lifecheck_->Stop();
  EXPECT_GE(timeOvers_, 1);
}

TEST_F(LifecheckTest, SecondStartLogsTheIntervalOnce) {
  lifecheck_->Start();
  lifecheck_->Start();
  lifecheck_->Stop();
  const std::vector<std::string> lines = Lines();
  EXPECT_EQ(
      std::count(lines.begin(), lines.end(),
                 "DEBUG Lifecheck Set Lifecheck interval [20] file path[" +
                     FilePath() + "]"),
      1);
}

}  // namespace
}  // namespace tool
