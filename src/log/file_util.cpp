#include "log/file_util.h"

#include <Poco/Exception.h>
#include <Poco/File.h>

#include <exception>
#include <utility>

#include "log/logger_log.h"
#include "log/logger_setting_xml_manager.h"

namespace tool {
namespace {

constexpr char kTag[] = "FileUtil";
constexpr char kProductDirectory[] = "lumhaven";
constexpr char kSettingsRoot[] = "/usr/local/etc/";
constexpr char kFallbackRoot[] = "/tmp/";
constexpr char kSettingsFileName[] = "/LoggerSetting.xml";
constexpr char kLogFolder[] = "/Log";
constexpr char kWriteTestFileName[] = "/write_test";

}  // namespace

FileUtil& FileUtil::GetInstance() {
  static FileUtil* const instance = new FileUtil(
      std::string(kSettingsRoot) + kProductDirectory + "/SettingsXML",
      [] { return LoggerSettingXmlManager::GetInstance().GetSdcardPath(); },
      std::string(kFallbackRoot) + kProductDirectory);
  return *instance;
}

FileUtil::FileUtil(std::string settingsDirectory,
                   std::function<std::string()> sdcardPath,
                   std::string fallbackHome)
    : settingsDirectory_(std::move(settingsDirectory)),
      sdcardPath_(std::move(sdcardPath)),
      fallbackHome_(std::move(fallbackHome)) {}

std::string FileUtil::GetHomeDirectory() {
  std::call_once(homeTested_, [this] {
    std::string home = sdcardPath_() + "/" + kProductDirectory;
    if (!CanWrite(home)) home = fallbackHome_;
    homeDirectory_ = home;
  });
  return homeDirectory_;
}

std::string FileUtil::GetSettingsDirectory() const {
  return settingsDirectory_;
}

std::string FileUtil::GetSettingsFilePath() const {
  return settingsDirectory_ + kSettingsFileName;
}

std::string FileUtil::GetLogDirectory() {
  return GetHomeDirectory() + kLogFolder;
}

bool FileUtil::CanWrite(const std::string& directory) {
  if (!CreateDirectory(directory, true)) return false;
  try {
    Poco::File testFile(directory + kWriteTestFileName);
    if (testFile.exists()) testFile.remove();
    if (!testFile.createFile()) return false;
    testFile.remove();
    return true;
  } catch (const Poco::Exception&) {
    return false;
  } catch (const std::exception&) {
    return false;
  }
}

bool FileUtil::Exists(const std::string& path) {
  if (path.empty()) return false;
  try {
    return Poco::File(path).exists();
  } catch (const Poco::Exception&) {
    return false;
  } catch (const std::exception&) {
    return false;
  }
}

bool FileUtil::CreateDirectory(const std::string& path, bool withParents) {
  try {
    Poco::File directory(path);
    if (withParents) {
      directory.createDirectories();
      return Exists(path);
    }
    return directory.createDirectory();
  } catch (const Poco::Exception& e) {
    LoggerLog::Error(kTag, "Create directory failed. file:[" + path + "] [" +
                               e.displayText() + "]");
  } catch (const std::exception& e) {
    LoggerLog::Error(kTag, "Create directory failed. file:[" + path + "] [" +
                               e.what() + "]");
  }
  return false;
}

}  // namespace tool
