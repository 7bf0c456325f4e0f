#include "log/file_util.h"

#include <Poco/File.h>
#include <Poco/TemporaryFile.h>
#include <gtest/gtest.h>

#include <string>

#include "support/test_files.h"

namespace tool {
namespace {

class FileUtilTest : public ::testing::Test {
 protected:
  void SetUp() override { root_.createDirectories(); }

  // A FileUtil whose SD card path is `sdcard` and whose fallback home lies
  // in the test directory; counts how often the SD card path is asked for.
  FileUtil MakeFileUtil(const std::string& sdcard) {
    return FileUtil(
        root_.path() + "/etc/lumhaven/SettingsXML",
        [this, sdcard] {
          ++sdcardAsked_;
          return sdcard;
        },
        fallback_);
  }

  static bool Exists(const std::string& path) {
    return Poco::File(path).exists();
  }

  Poco::TemporaryFile root_;
  const std::string fallback_ = root_.path() + "/tmp/lumhaven";
  int sdcardAsked_ = 0;
};

TEST_F(FileUtilTest, WritableSdcardIsTheHome) {
  const std::string sdcard = root_.path() + "/media/sdcard";
  FileUtil files = MakeFileUtil(sdcard);
  EXPECT_EQ(files.GetSettingsDirectory(),
            root_.path() + "/etc/lumhaven/SettingsXML");
  EXPECT_EQ(files.GetSettingsFilePath(),
            root_.path() + "/etc/lumhaven/SettingsXML/LoggerSetting.xml");
  EXPECT_EQ(files.GetHomeDirectory(), sdcard + "/lumhaven");
  EXPECT_EQ(files.GetLogDirectory(), sdcard + "/lumhaven/Log");
  // The write test created the home with its parents and cleaned up.
  EXPECT_TRUE(Exists(sdcard + "/lumhaven"));
  EXPECT_FALSE(Exists(sdcard + "/lumhaven/write_test"));
}

TEST_F(FileUtilTest, UnwritableSdcardFallsBackAndLeavesNoTestFile) {
  // A regular file where a directory should be: not even root can create
  // anything below it.
  const std::string blocker = root_.path() + "/media";
  testing::WriteFile(blocker, "not a directory");
  FileUtil files = MakeFileUtil(blocker + "/sdcard");
  EXPECT_EQ(files.GetHomeDirectory(), fallback_);
  EXPECT_EQ(files.GetLogDirectory(), fallback_ + "/Log");
  EXPECT_FALSE(Exists(fallback_ + "/write_test"));
  EXPECT_EQ(testing::ReadFile(blocker), "not a directory");
}

TEST_F(FileUtilTest, HomeIsDecidedOnceAndKept) {
  const std::string sdcard = root_.path() + "/media/sdcard";
  FileUtil files = MakeFileUtil(sdcard);
  const std::string home = files.GetHomeDirectory();
  Poco::File(sdcard).remove(true);
  testing::WriteFile(sdcard, "card pulled");
  EXPECT_EQ(files.GetHomeDirectory(), home);
  EXPECT_EQ(files.GetLogDirectory(), home + "/Log");
  EXPECT_EQ(sdcardAsked_, 1);
}

TEST_F(FileUtilTest, CreateDirectoryWithAndWithoutParents) {
  FileUtil files = MakeFileUtil(root_.path());
  const std::string single = root_.path() + "/single";
  EXPECT_TRUE(files.CreateDirectory(single, false));
  EXPECT_FALSE(files.CreateDirectory(single, false));  // not created now
  EXPECT_TRUE(files.CreateDirectory(single, true));    // but it exists

  const std::string deep = root_.path() + "/a/b/c";
  EXPECT_FALSE(files.CreateDirectory(deep, false));
  EXPECT_TRUE(files.CreateDirectory(deep, true));
  EXPECT_TRUE(Exists(deep));
  EXPECT_FALSE(files.Exists(""));
}

}  // namespace
}  // namespace tool
