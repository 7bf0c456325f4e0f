// Fuzz target: one settings file through LoggerSettingXmlManager's load and
// every getter.
//
// The input is written to an anonymous in-memory file (memfd), which the
// manager opens by its /proc path, so that no directory of the machine is
// touched. Rules checked: loading never throws; the range-checked settings
// hold, as stored text and as read, values that their readers accept.
#include <sys/mman.h>
#include <unistd.h>

#include <string>

#include "fuzz/fuzz_target.h"
#include "log/logger_setting_xml_manager.h"
#include "log/parse_int32.h"

namespace {

using tool::LoggerSettingXmlManager;
using tool::fuzzing::FuzzCheck;

constexpr const char* kKeys[] = {
    "LogLevel",
    "LoggerLogMaxRollIndex",
    "SdcardPath",
    "ComSocketPath",
    "EnableLogBufferedIO",
    "LoggerLogMaxBufferedSize",
    "LoggerLogMaxFileSize",
    "ErrorRateLogMaxRollIndex",
    "OrvaneComLifecheckFilePath",
    "LoggerComLogMaxRollIndex",
    "LoggerComLogMaxFileSize",
};

int fileDescriptor = -1;
std::string path;

// Whether the stored text of `key` is a number of at least `minimum`.
bool StoredAtLeast(const LoggerSettingXmlManager& settings, const char* key,
                   int minimum) {
  int number = 0;
  return tool::ParseInt32(settings.GetValue(key), &number) && number >= minimum;
}

void WriteInput(const std::uint8_t* data, std::size_t size) {
  FuzzCheck(ftruncate(fileDescriptor, 0) == 0, "cannot empty the file");
  std::size_t written = 0;
  while (written < size) {
    const ssize_t n =
        pwrite(fileDescriptor, data + written, size - written, written);
    FuzzCheck(n > 0, "cannot write the file");
    written += static_cast<std::size_t>(n);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fileDescriptor = memfd_create("LoggerSetting.xml", MFD_CLOEXEC);
  FuzzCheck(fileDescriptor >= 0, "memfd_create failed");
  path = "/proc/self/fd/" + std::to_string(fileDescriptor);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  WriteInput(data, size);
  const LoggerSettingXmlManager settings(path);

  for (const char* key : kKeys) {
    settings.GetValue(key);
    settings.GetIntValue(key, -7);
  }
  settings.GetLogLevel();
  settings.GetSdcardPath();
  settings.GetComSocketPath();
  settings.GetLoggerLogMaxFileSize();
  settings.IsLogBufferedIO();
  FuzzCheck(settings.GetLoggerLogMaxRollIndex() >= 0,
            "negative LoggerLogMaxRollIndex");
  FuzzCheck(settings.GetLoggerLogMaxBufferedSize() > 0,
            "LoggerLogMaxBufferedSize not positive");
  FuzzCheck(StoredAtLeast(settings, "LoggerLogMaxRollIndex", 0),
            "stored LoggerLogMaxRollIndex out of range");
  FuzzCheck(StoredAtLeast(settings, "ErrorRateLogMaxRollIndex", 0),
            "stored ErrorRateLogMaxRollIndex out of range");
  FuzzCheck(StoredAtLeast(settings, "LoggerLogMaxBufferedSize", 1),
            "stored LoggerLogMaxBufferedSize out of range");
  return 0;
}
