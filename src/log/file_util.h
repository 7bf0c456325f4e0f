#ifndef TOOL_LOG_FILE_UTIL_H_
#define TOOL_LOG_FILE_UTIL_H_

#include <functional>
#include <mutex>
#include <string>

namespace tool {

// Where the process keeps its files, and the few file operations it needs.
//
// The home directory is the product folder "lumhaven" under the SD card path,
// or a fallback home when that cannot be written. It is decided on the first
// request (which creates the directory and makes a write test) and then kept
// for the life of the object. The settings directory does not depend on it.
//
// All operations are safe to call from any thread. File errors never throw:
// they give false (CreateDirectory also logs them).
class FileUtil {
 public:
  // The process's instance: settings under /usr/local/etc/lumhaven, home under
  // the SdcardPath setting with /tmp/lumhaven as fallback. Safe against
  // simultaneous first calls; never destroyed.
  static FileUtil& GetInstance();

  // `sdcardPath` is asked once, on the first GetHomeDirectory, for the parent
  // of the preferred home; it must stay callable until then.
  FileUtil(std::string settingsDirectory,
           std::function<std::string()> sdcardPath, std::string fallbackHome);
  virtual ~FileUtil() = default;

  FileUtil(const FileUtil&) = delete;
  FileUtil& operator=(const FileUtil&) = delete;

  std::string GetHomeDirectory();
  std::string GetSettingsDirectory() const;
  std::string GetSettingsFilePath() const;
  std::string GetLogDirectory();

  // Whether a file can be created in `directory`, which is created first with
  // its parents. Leaves no test file behind.
  bool CanWrite(const std::string& directory);
  // An empty path does not exist.
  bool Exists(const std::string& path);
  // With `withParents`: whether the path exists afterwards. Without: whether
  // this call created it. Failures are logged at Error.
  bool CreateDirectory(const std::string& path, bool withParents);

 private:
  const std::string settingsDirectory_;
  const std::function<std::string()> sdcardPath_;
  const std::string fallbackHome_;

  std::once_flag homeTested_;
  std::string homeDirectory_;
};

}  // namespace tool

#endif  // TOOL_LOG_FILE_UTIL_H_
