#include "log/logger_log.h"

#include <Poco/File.h>
#include <Poco/TemporaryFile.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "log/logger_setting_xml_manager.h"
#include "support/test_deliverable.h"
#include "support/test_files.h"

namespace tool {
namespace {

using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using testing::ReadFile;
using testing::ReadLines;

std::time_t PreciseNow() {
  return std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
}

class LoggerLogTest : public ::testing::Test {
 protected:
  void SetUp() override { root_.createDirectories(); }

  void Initialize(
      const std::vector<std::pair<std::string, std::string>>& settings) {
    const std::string settingsPath = root_.path() + "/LoggerSetting.xml";
    testing::WriteFile(settingsPath, testing::SettingsXml(settings));
    settings_ = std::make_unique<LoggerSettingXmlManager>(settingsPath);
    LoggerLog::Initialize(testing::kTestDeliverable, *settings_, logDirectory_);
  }

  std::string LogFile(const std::string& suffix = "") const {
    return LoggerLog::LogFilePath(testing::kTestDeliverable, logDirectory_) +
           suffix;
  }

  Poco::TemporaryFile root_;
  const std::string logDirectory_ = root_.path() + "/Log";
  std::unique_ptr<LoggerSettingXmlManager> settings_;
};

// The level word of each line, "[...] [WARN] ..." -> "WARN".
std::vector<std::string> Levels(const std::vector<std::string>& lines) {
  std::vector<std::string> levels;
  const std::regex level(R"(^\[[^\]]*\] \[([A-Z]+)\] )");
  for (const std::string& line : lines) {
    std::smatch match;
    if (std::regex_search(line, match, level)) levels.push_back(match[1]);
  }
  return levels;
}

TEST_F(LoggerLogTest, LineLayoutIsUtcLevelTagAndText) {
  // A local time zone far from UTC shows whether the time is really UTC.
  const char* oldTz = std::getenv("TZ");
  const std::string savedTz = oldTz ? oldTz : "";
  setenv("TZ", "JST-9", 1);
  tzset();
  Initialize({{"EnableLogBufferedIO", "0"}});
  // time() reads the kernel's coarse clock, which lags the precise clock the
  // log line is stamped from by up to a tick; compare against the precise one.
  const std::time_t before = PreciseNow();
  LoggerLog::Info("ToolManager", "Stop");
  const std::time_t after = PreciseNow();
  if (oldTz) {
    setenv("TZ", savedTz.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();

  const std::vector<std::string> lines = ReadLines(LogFile());
  ASSERT_EQ(lines.size(), 1u);
  std::smatch match;
  const std::regex layout(
      R"(^\[(\d{4})-(\d\d)-(\d\d) (\d\d):(\d\d):(\d\d) UTC\] \[INFO\] ToolManager Stop$)");
  ASSERT_TRUE(std::regex_match(lines[0], match, layout)) << lines[0];
  std::tm logged = {};
  logged.tm_year = std::stoi(match[1]) - 1900;
  logged.tm_mon = std::stoi(match[2]) - 1;
  logged.tm_mday = std::stoi(match[3]);
  logged.tm_hour = std::stoi(match[4]);
  logged.tm_min = std::stoi(match[5]);
  logged.tm_sec = std::stoi(match[6]);
  const std::time_t loggedTime = timegm(&logged);
  EXPECT_GE(loggedTime, before);
  EXPECT_LE(loggedTime, after);
}

struct LevelCase {
  std::string logLevel;
  std::vector<std::string> written;
};

class LoggerLevelTest : public LoggerLogTest,
                        public ::testing::WithParamInterface<LevelCase> {};

TEST_P(LoggerLevelTest, ThresholdAppliesToConsoleAndFile) {
  Initialize({{"LogLevel", GetParam().logLevel}});
  ::testing::internal::CaptureStdout();
  LoggerLog::Debug("Tag", "debug text");
  LoggerLog::Info("Tag", "info text");
  LoggerLog::Warn("Tag", "warn text");
  LoggerLog::Error("Tag", "error text");
  LoggerLog::Fatal("Tag", "fatal text");
  const std::string console = ::testing::internal::GetCapturedStdout();
  LoggerLog::Flush();

  EXPECT_THAT(Levels(ReadLines(LogFile())),
              ElementsAreArray(GetParam().written));
  EXPECT_THAT(Levels(testing::SplitLines(console)),
              ElementsAreArray(GetParam().written));
}

// A caller that skips building a dropped Debug line must skip exactly the
// lines the threshold drops.
TEST_P(LoggerLevelTest, DebugFormatFollowsTheThreshold) {
  Initialize({{"LogLevel", GetParam().logLevel}, {"EnableLogBufferedIO", "0"}});
  const bool debugWritten = GetParam().written.front() == "DEBUG";
  EXPECT_EQ(LoggerLog::IsDebugEnabled(), debugWritten);
  ::testing::internal::CaptureStdout();
  LoggerLog::DebugFormat("Tag", "%s ch:%d", std::string("StartLogging"), 2);
  ::testing::internal::GetCapturedStdout();

  const std::vector<std::string> lines = ReadLines(LogFile());
  if (debugWritten) {
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_THAT(lines[0], ::testing::EndsWith("[DEBUG] Tag StartLogging ch:2"));
  } else {
    EXPECT_TRUE(lines.empty()) << lines.front();
  }
}

const std::vector<std::string> kAllLevels = {"DEBUG", "INFO", "WARN", "ERROR",
                                             "FATAL"};

INSTANTIATE_TEST_SUITE_P(
    LogLevels, LoggerLevelTest,
    ::testing::Values(LevelCase{"0", kAllLevels}, LevelCase{"7", kAllLevels},
                      LevelCase{"-1", kAllLevels},
                      LevelCase{"1", {"INFO", "WARN", "ERROR", "FATAL"}},
                      LevelCase{"bad", {"INFO", "WARN", "ERROR", "FATAL"}},
                      LevelCase{"2", {"WARN", "ERROR", "FATAL"}},
                      LevelCase{"3", {"ERROR", "FATAL"}},
                      LevelCase{"4", {"FATAL"}}));

TEST_F(LoggerLogTest, BufferedLinesReachTheFileOnFlushOrAFullBuffer) {
  Initialize({{"LoggerLogMaxBufferedSize", "4096"}});
  LoggerLog::Info("ToolManager", "first line");
  EXPECT_EQ(ReadFile(LogFile()), "");
  LoggerLog::Flush();
  EXPECT_THAT(ReadFile(LogFile()), HasSubstr("ToolManager first line"));

  // Well over one buffer of further lines goes out without a Flush.
  const std::string text(100, 'x');
  for (int i = 0; i < 60; ++i) LoggerLog::Info("Filler", text);
  EXPECT_GT(ReadLines(LogFile()).size(), 30u);
  // Flushing twice in a row, and logging after a flush, loses nothing.
  LoggerLog::Flush();
  LoggerLog::Flush();
  LoggerLog::Info("ToolManager", "last line");
  LoggerLog::Flush();
  const std::vector<std::string> lines = ReadLines(LogFile());
  ASSERT_EQ(lines.size(), 62u);
  EXPECT_THAT(lines.back(), HasSubstr("ToolManager last line"));
}

TEST_F(LoggerLogTest, UnbufferedLinesReachTheFileAtOnce) {
  Initialize({{"EnableLogBufferedIO", "0"}});
  LoggerLog::Info("ToolManager", "at once");
  EXPECT_THAT(ReadFile(LogFile()), HasSubstr("ToolManager at once"));
  LoggerLog::Flush();  // nothing buffered: changes nothing
  EXPECT_EQ(ReadLines(LogFile()).size(), 1u);
}

// Numbers of the "line N" lines of the log files, oldest file first.
std::vector<int> LineNumbers(const std::vector<std::string>& files) {
  std::vector<int> numbers;
  const std::regex numbered(R"(Roll line (\d+) )");
  for (const std::string& file : files) {
    for (const std::string& line : ReadLines(file)) {
      std::smatch match;
      if (std::regex_search(line, match, numbered)) {
        numbers.push_back(std::stoi(match[1]));
      }
    }
  }
  return numbers;
}

void WriteNumberedLines(int count) {
  const std::string padding(40, '.');
  for (int i = 0; i < count; ++i) {
    LoggerLog::Info("Roll", "line " + std::to_string(i) + " " + padding);
  }
  LoggerLog::Flush();
}

class LoggerRollingTest : public LoggerLogTest,
                          public ::testing::WithParamInterface<const char*> {};

TEST_P(LoggerRollingTest, RollsThroughNumberedBackupsAndDropsTheOldest) {
  // The default buffer holds four files' worth.
  Initialize({{"LoggerLogMaxFileSize", "1KB"},
              {"LoggerLogMaxRollIndex", "3"},
              {"EnableLogBufferedIO", GetParam()}});
  WriteNumberedLines(200);  // about 16 KB: many rolls
  for (const char* suffix : {"", ".1", ".2", ".3"}) {
    ASSERT_TRUE(Poco::File(LogFile(suffix)).exists()) << suffix;
    EXPECT_LE(Poco::File(LogFile(suffix)).getSize(), 1024u) << suffix;
  }
  EXPECT_FALSE(Poco::File(LogFile(".4")).exists());

  // What is kept is one unbroken run ending with the newest line.
  const std::vector<int> kept =
      LineNumbers({LogFile(".3"), LogFile(".2"), LogFile(".1"), LogFile()});
  ASSERT_FALSE(kept.empty());
  EXPECT_EQ(kept.back(), 199);
  for (size_t i = 1; i < kept.size(); ++i) {
    ASSERT_EQ(kept[i], kept[i - 1] + 1) << "gap at " << i;
  }
}

TEST_P(LoggerRollingTest, RollingLosesNoLine) {
  Initialize({{"LoggerLogMaxFileSize", "1KB"},
              {"EnableLogBufferedIO", GetParam()},
              {"LoggerLogMaxBufferedSize", "512"}});
  WriteNumberedLines(100);  // about 8 KB: fits into the 12 backups
  std::vector<std::string> files;
  for (int i = 12; i >= 1; --i)
    files.push_back(LogFile("." + std::to_string(i)));
  files.push_back(LogFile());
  std::vector<int> expected(100);
  for (int i = 0; i < 100; ++i) expected[i] = i;
  EXPECT_THAT(LineNumbers(files), ElementsAreArray(expected));
  EXPECT_TRUE(Poco::File(LogFile(".1")).exists());
}

INSTANTIATE_TEST_SUITE_P(BufferedAndUnbuffered, LoggerRollingTest,
                         ::testing::Values("1", "0"));

}  // namespace
}  // namespace tool
