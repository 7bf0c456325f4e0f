#include "log/logger_setting_xml_manager.h"

#include <Poco/AutoPtr.h>
#include <Poco/DOM/DOMParser.h>
#include <Poco/DOM/Document.h>
#include <Poco/DOM/Node.h>
#include <Poco/Exception.h>
#include <Poco/FileStream.h>
#include <Poco/SAX/InputSource.h>
#include <Poco/SAX/XMLReader.h>

#include <exception>
#include <utility>

#include "log/file_util.h"
#include "log/logger_log.h"
#include "log/parse_int32.h"

namespace tool {
namespace {

constexpr char kTag[] = "LoggerSettingXmlManager";
constexpr char kRootPath[] = "/LoggerSetting";

constexpr char kLogLevel[] = "LogLevel";
constexpr char kLoggerLogMaxRollIndex[] = "LoggerLogMaxRollIndex";
constexpr char kSdcardPath[] = "SdcardPath";
constexpr char kComSocketPath[] = "ComSocketPath";
constexpr char kEnableLogBufferedIO[] = "EnableLogBufferedIO";
constexpr char kLoggerLogMaxBufferedSize[] = "LoggerLogMaxBufferedSize";
constexpr char kLoggerLogMaxFileSize[] = "LoggerLogMaxFileSize";
constexpr char kErrorRateLogMaxRollIndex[] = "ErrorRateLogMaxRollIndex";

constexpr int kDefaultLogLevel = 1;
constexpr int kDefaultRollIndex = 12;
constexpr int kDefaultBufferedIO = 1;
constexpr int kDefaultBufferedSize = 4096;

struct Setting {
  const char* key;
  const char* value;
};

constexpr Setting kDefaults[] = {
    {kLogLevel, "1"},
    {kLoggerLogMaxRollIndex, "12"},
    {kSdcardPath, "/media/sdcard"},
    {kComSocketPath, "/mnt/system/orvanecom/orvane.com"},
    {kEnableLogBufferedIO, "1"},
    {kLoggerLogMaxBufferedSize, "4096"},
    {kLoggerLogMaxFileSize, "500KB"},
    {kErrorRateLogMaxRollIndex, "12"},
    {"OrvaneComLifecheckFilePath", "/mnt/system/check/orvanec"},
    {"LoggerComLogMaxRollIndex", "12"},
    {"LoggerComLogMaxFileSize", "500KB"},
};

// The last text node directly inside `element`; CDATA sections, comments and
// nested elements carry nothing.
std::string LastText(const Poco::XML::Node* element) {
  std::string text;
  for (const Poco::XML::Node* node = element->firstChild(); node != nullptr;
       node = node->nextSibling()) {
    if (node->nodeType() == Poco::XML::Node::TEXT_NODE) {
      text = node->nodeValue();
    }
  }
  return text;
}

}  // namespace

LoggerSettingXmlManager& LoggerSettingXmlManager::GetInstance() {
  static LoggerSettingXmlManager* const instance = new LoggerSettingXmlManager(
      FileUtil::GetInstance().GetSettingsFilePath());
  return *instance;
}

LoggerSettingXmlManager::LoggerSettingXmlManager(
    const std::string& settingsFilePath)
    : values_(10) {
  SetDefaults();
  Load(settingsFilePath);
}

void LoggerSettingXmlManager::SetDefaults() {
  for (const Setting& setting : kDefaults) {
    values_[setting.key] = setting.value;
  }
}

void LoggerSettingXmlManager::Load(const std::string& settingsFilePath) {
  if (!FileUtil::GetInstance().Exists(settingsFilePath)) return;
  try {
    Poco::XML::DOMParser parser;
    // The file is local, but nothing in it may pull in other files or hosts.
    parser.setFeature(Poco::XML::XMLReader::FEATURE_EXTERNAL_GENERAL_ENTITIES,
                      false);
    parser.setFeature(Poco::XML::XMLReader::FEATURE_EXTERNAL_PARAMETER_ENTITIES,
                      false);
    parser.setEncoding("UTF-8");
    Poco::FileInputStream stream(settingsFilePath);
    Poco::XML::InputSource source(stream);
    Poco::AutoPtr<Poco::XML::Document> document = parser.parse(&source);
    const Poco::XML::Node* root = document->getNodeByPath(kRootPath);
    if (root == nullptr) return;  // another document element: defaults stand
    for (const Poco::XML::Node* node = root->firstChild(); node != nullptr;
         node = node->nextSibling()) {
      if (node->nodeType() != Poco::XML::Node::ELEMENT_NODE) continue;
      const std::string key = node->nodeName();
      values_[key] = LastText(node);
      Validate(key);
    }
  } catch (const Poco::Exception&) {
    // An unreadable file keeps what was stored before the error.
  } catch (const std::exception&) {
  }
}

void LoggerSettingXmlManager::Validate(const std::string& key) {
  if (key.empty()) return;
  const char* replacement = nullptr;
  int number = 0;
  const bool converts = ParseInt32(values_[key], &number);
  if (key == kLoggerLogMaxRollIndex || key == kErrorRateLogMaxRollIndex) {
    if (!converts || number < 0) replacement = "12";
  } else if (key == kLoggerLogMaxBufferedSize) {
    if (!converts || number <= 0) replacement = "4096";
  }
  if (replacement != nullptr) {
    LoggerLog::Debug(kTag, key + " value is out of range.");
    values_[key] = replacement;
  }
}

std::string LoggerSettingXmlManager::GetValue(const std::string& key) const {
  const auto it = values_.find(key);
  return it == values_.end() ? std::string() : it->second;
}

int LoggerSettingXmlManager::GetIntValue(const std::string& key,
                                         int fallback) const {
  const std::string text = GetValue(key);
  if (text.empty()) return fallback;
  int number = 0;
  return ParseInt32(text, &number) ? number : fallback;
}

int LoggerSettingXmlManager::GetLogLevel() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return GetIntValue(kLogLevel, kDefaultLogLevel);
}

int LoggerSettingXmlManager::GetLoggerLogMaxRollIndex() const {
  const int index = GetIntValue(kLoggerLogMaxRollIndex, kDefaultRollIndex);
  return index < 0 ? kDefaultRollIndex : index;
}

std::string LoggerSettingXmlManager::GetSdcardPath() const {
  return GetValue(kSdcardPath);
}

std::string LoggerSettingXmlManager::GetComSocketPath() const {
  return GetValue(kComSocketPath);
}

std::string LoggerSettingXmlManager::GetLoggerLogMaxFileSize() const {
  return GetValue(kLoggerLogMaxFileSize);
}

bool LoggerSettingXmlManager::IsLogBufferedIO() const {
  return GetIntValue(kEnableLogBufferedIO, kDefaultBufferedIO) != 0;
}

int LoggerSettingXmlManager::GetLoggerLogMaxBufferedSize() const {
  const int size = GetIntValue(kLoggerLogMaxBufferedSize, kDefaultBufferedSize);
  return size <= 0 ? kDefaultBufferedSize : size;
}

}  // namespace tool
