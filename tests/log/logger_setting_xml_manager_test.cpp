#include "log/logger_setting_xml_manager.h"

#include <Poco/TemporaryFile.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "log/parse_int32.h"
#include "support/test_files.h"

namespace tool {
namespace {

using testing::SettingsXml;
using testing::WriteFile;

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override { directory_.createDirectories(); }

  std::unique_ptr<LoggerSettingXmlManager> Load(const std::string& text) {
    WriteFile(path_, text);
    return std::make_unique<LoggerSettingXmlManager>(path_);
  }

  static void ExpectDefaults(const LoggerSettingXmlManager& settings) {
    EXPECT_EQ(settings.GetLogLevel(), 1);
    EXPECT_EQ(settings.GetLoggerLogMaxRollIndex(), 12);
    EXPECT_EQ(settings.GetSdcardPath(), "/media/sdcard");
    EXPECT_EQ(settings.GetComSocketPath(), "/mnt/system/orvanecom/orvane.com");
    EXPECT_TRUE(settings.IsLogBufferedIO());
    EXPECT_EQ(settings.GetLoggerLogMaxBufferedSize(), 4096);
    EXPECT_EQ(settings.GetLoggerLogMaxFileSize(), "500KB");
  }

  Poco::TemporaryFile directory_;
  const std::string path_ = directory_.path() + "/LoggerSetting.xml";
};

TEST_F(SettingsFileTest, NoFileGivesEveryDefault) {
  LoggerSettingXmlManager settings(path_);
  ExpectDefaults(settings);
  EXPECT_EQ(settings.GetValue("ErrorRateLogMaxRollIndex"), "12");
  EXPECT_EQ(settings.GetValue("OrvaneComLifecheckFilePath"),
            "/mnt/system/check/orvanec");
  EXPECT_EQ(settings.GetValue("LoggerComLogMaxRollIndex"), "12");
  EXPECT_EQ(settings.GetValue("LoggerComLogMaxFileSize"), "500KB");
  EXPECT_EQ(settings.GetValue("NoSuchKey"), "");
}

// The installed example shows every default; copied as it is, it must
// change nothing.
TEST_F(SettingsFileTest, ExampleFileHoldsExactlyTheDefaults) {
  LoggerSettingXmlManager example(TOOL_EXAMPLE_SETTINGS_FILE);
  ExpectDefaults(example);
}

TEST_F(SettingsFileTest, FileOverridesOnlyTheKeysItHolds) {
  auto settings =
      Load(SettingsXml({{"LogLevel", "0"}, {"LoggerLogMaxFileSize", "1MB"}}));
  EXPECT_EQ(settings->GetLogLevel(), 0);
  EXPECT_EQ(settings->GetLoggerLogMaxFileSize(), "1MB");
  EXPECT_EQ(settings->GetSdcardPath(), "/media/sdcard");
  EXPECT_EQ(settings->GetLoggerLogMaxRollIndex(), 12);
  EXPECT_TRUE(settings->IsLogBufferedIO());
}

// One setting's text, what is stored after the load and what its getter
// gives.
struct ConversionCase {
  std::string key;
  std::string text;
  std::string stored;
  int read;
};

int ReadBack(const LoggerSettingXmlManager& settings, const std::string& key) {
  if (key == "LogLevel") return settings.GetLogLevel();
  if (key == "LoggerLogMaxRollIndex")
    return settings.GetLoggerLogMaxRollIndex();
  if (key == "LoggerLogMaxBufferedSize") {
    return settings.GetLoggerLogMaxBufferedSize();
  }
  if (key == "EnableLogBufferedIO") return settings.IsLogBufferedIO();
  return settings.GetIntValue(key, -99);
}

TEST_F(SettingsFileTest, NumbersAreCheckedAtLoadAndWhenRead) {
  const ConversionCase cases[] = {
      {"LoggerLogMaxRollIndex", "-1", "12", 12},
      {"LoggerLogMaxRollIndex", "12abc", "12", 12},
      {"LoggerLogMaxRollIndex", "", "12", 12},
      {"LoggerLogMaxRollIndex", "99999999999", "12", 12},
      {"LoggerLogMaxRollIndex", "0x10", "0x10", 16},
      {"LoggerLogMaxRollIndex", "010", "010", 8},
      {"LoggerLogMaxRollIndex", "0", "0", 0},
      {"ErrorRateLogMaxRollIndex", "-3", "12", 12},
      {"LoggerLogMaxBufferedSize", "0", "4096", 4096},
      {"LoggerLogMaxBufferedSize", "-5", "4096", 4096},
      {"LoggerLogMaxBufferedSize", "8192", "8192", 8192},
      // Leading blanks are skipped, trailing ones make the text bad.
      {"LogLevel", " 2", " 2", 2},
      {"LogLevel", "2 ", "2 ", 1},
      {"LogLevel", "", "", 1},
      {"LogLevel", "0x3", "0x3", 3},
      {"LogLevel", "-1", "-1", -1},
      {"EnableLogBufferedIO", "0", "0", false},
      {"EnableLogBufferedIO", "yes", "yes", true},
      {"EnableLogBufferedIO", "2", "2", true},
  };
  for (const ConversionCase& c : cases) {
    SCOPED_TRACE(c.key + " '" + c.text + "'");
    auto settings = Load(SettingsXml({{c.key, c.text}}));
    EXPECT_EQ(settings->GetValue(c.key), c.stored);
    EXPECT_EQ(ReadBack(*settings, c.key), c.read);
  }
}

TEST_F(SettingsFileTest, EveryChildElementIsTakenAndTheLastOneWins) {
  auto settings = Load(
      "<LoggerSetting>"
      "<MyOwnKey attr=\"ignored\">kept</MyOwnKey>"
      "<SdcardPath>/first</SdcardPath>"
      "<SdcardPath>/second</SdcardPath>"
      "<!-- <LogLevel>3</LogLevel> -->"
      "</LoggerSetting>");
  EXPECT_EQ(settings->GetValue("MyOwnKey"), "kept");
  EXPECT_EQ(settings->GetSdcardPath(), "/second");
  EXPECT_EQ(settings->GetLogLevel(), 1);
}

TEST_F(SettingsFileTest, ValueIsTheLastTextPieceUntrimmed) {
  auto settings = Load(
      "<LoggerSetting>"
      "<SdcardPath>/a<!-- c -->/b<![CDATA[/cdata]]><x>/nested</x></SdcardPath>"
      "<ComSocketPath>  /spaced  </ComSocketPath>"
      "<LoggerLogMaxFileSize/>"
      "<LoggerComLogMaxFileSize>a&amp;b</LoggerComLogMaxFileSize>"
      "</LoggerSetting>");
  EXPECT_EQ(settings->GetSdcardPath(), "/b");
  EXPECT_EQ(settings->GetComSocketPath(), "  /spaced  ");
  EXPECT_EQ(settings->GetLoggerLogMaxFileSize(), "");
  EXPECT_EQ(settings->GetValue("LoggerComLogMaxFileSize"), "a&b");
}

TEST_F(SettingsFileTest, AnotherDocumentElementLeavesTheDefaults) {
  auto settings = Load("<Settings><LogLevel>3</LogLevel></Settings>");
  ExpectDefaults(*settings);
  // A LoggerSetting element below the document element is not the table.
  auto nested = Load(
      "<Root><LoggerSetting><LogLevel>3</LogLevel></LoggerSetting></Root>");
  ExpectDefaults(*nested);
}

TEST_F(SettingsFileTest, UnparseableFileLeavesTheDefaults) {
  for (const char* text :
       {"", "not xml at all", "<LoggerSetting><LogLevel>3</LogLevel>",
        "<LoggerSetting><LogLevel>3</LogLevel></LoggerSetting><second/>",
        "<LoggerSetting>\xff\xfe</LoggerSetting>"}) {
    SCOPED_TRACE(text);
    ExpectDefaults(*Load(text));
  }
}

TEST_F(SettingsFileTest, ExternalEntitiesAreNotRead) {
  const std::string secret = directory_.path() + "/secret";
  WriteFile(secret, "/from-elsewhere");
  auto settings = Load(
      "<?xml version=\"1.0\"?>\n"
      "<!DOCTYPE LoggerSetting [<!ENTITY e SYSTEM \"file://" +
      secret +
      "\">]>\n"
      "<LoggerSetting><SdcardPath>&e;</SdcardPath>"
      "</LoggerSetting>");
  EXPECT_EQ(settings->GetSdcardPath().find("/from-elsewhere"),
            std::string::npos);
}

TEST(ParseInt32Test, AcceptsWhatStrtolAcceptsWithinInt32) {
  struct Case {
    std::string text;
    bool ok;
    int value;
  };
  const Case cases[] = {
      {"0", true, 0},
      {"+7", true, 7},
      {"\t 42", true, 42},
      {"0x7fffffff", true, 2147483647},
      {"-2147483648", true, -2147483647 - 1},
      {"2147483648", false, 0},
      {"-2147483649", false, 0},
      {"0x", false, 0},
      {"08", false, 0},
      {"1 ", false, 0},
      {"", false, 0},
      {std::string("1\0"
                   "2",
                   3),
       false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("'" + c.text + "'");
    int value = -99;
    EXPECT_EQ(ParseInt32(c.text, &value), c.ok);
    EXPECT_EQ(value, c.ok ? c.value : -99);
  }
}

}  // namespace
}  // namespace tool
