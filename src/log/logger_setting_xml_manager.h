#ifndef TOOL_LOG_LOGGER_SETTING_XML_MANAGER_H_
#define TOOL_LOG_LOGGER_SETTING_XML_MANAGER_H_

#include <mutex>
#include <string>
#include <unordered_map>

namespace tool {

// The settings of the process: built-in defaults, overlaid once by the
// elements of the settings file LoggerSetting.xml when that file exists.
//
// The file's document element is LoggerSetting; each child element is one
// setting, its name the key and its last text piece the value. Unknown keys are
// kept. A missing file, a file that does not parse or a file with another
// document element leaves the defaults (and whatever was read before the
// error) in place; loading never throws.
//
// The table is filled by the constructor and only read afterwards, so every
// getter is safe to call from any thread.
class LoggerSettingXmlManager {
 public:
  // The process's settings, read from the fixed settings file on first use.
  // Safe against simultaneous first calls; never destroyed.
  static LoggerSettingXmlManager& GetInstance();

  // Stores the defaults, then loads `settingsFilePath` if it exists.
  explicit LoggerSettingXmlManager(const std::string& settingsFilePath);
  virtual ~LoggerSettingXmlManager() = default;

  LoggerSettingXmlManager(const LoggerSettingXmlManager&) = delete;
  LoggerSettingXmlManager& operator=(const LoggerSettingXmlManager&) = delete;

  // The stored text of `key`, empty when the key was never stored.
  std::string GetValue(const std::string& key) const;

  // The stored text of `key` as an integer; `fallback` when the text is empty
  // or does not convert.
  int GetIntValue(const std::string& key, int fallback) const;

  int GetLogLevel() const;               // fallback 1
  int GetLoggerLogMaxRollIndex() const;  // fallback 12, never negative
  std::string GetSdcardPath() const;
  std::string GetComSocketPath() const;
  std::string GetLoggerLogMaxFileSize() const;  // as text, e.g. "500KB"
  bool IsLogBufferedIO() const;                 // fallback on
  int GetLoggerLogMaxBufferedSize() const;  // fallback 4096, always positive

 private:
  void SetDefaults();
  void Load(const std::string& settingsFilePath);
  void Validate(const std::string& key);

  mutable std::mutex mutex_;
  std::unordered_map<std::string, std::string> values_;
};

}  // namespace tool

#endif  // TOOL_LOG_LOGGER_SETTING_XML_MANAGER_H_
