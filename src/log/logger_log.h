#ifndef TOOL_LOG_LOGGER_LOG_H_
#define TOOL_LOG_LOGGER_LOG_H_

#include <Poco/Format.h>

#include <string>

namespace tool {

struct Deliverable;
class LoggerSettingXmlManager;

// The one logging facade of the process. Each line goes to the console and to
// a size-rolling log file, both in the layout
//   [yyyy-MM-dd HH:mm:ss UTC] [LEVEL] <tag> <message>
// and with the threshold given by the LogLevel setting (1 INFO, 2 WARN,
// 3 ERROR, 4 FATAL, anything else DEBUG).
//
// File output is buffered when the EnableLogBufferedIO setting is on; Flush
// writes the buffer out. Before Initialize, and after Shutdown, every line is
// dropped.
//
// The logging operations and Flush are safe to call from any thread once
// Initialize has returned; Initialize and Shutdown must not run while another
// thread logs.
class LoggerLog {
 public:
  // Sets up the appenders from the process's settings and log directory
  // (LoggerSettingXmlManager::GetInstance, FileUtil::GetInstance), with the
  // logger and file names of `deliverable`.
  static void Initialize(const Deliverable& deliverable);

  // Sets up the appenders from `settings`, writing the file named for
  // `deliverable` into `logDirectory` + "/Tool/". Replaces the appenders of
  // an earlier call. The names are copied.
  static void Initialize(const Deliverable& deliverable,
                         const LoggerSettingXmlManager& settings,
                         const std::string& logDirectory);

  static void Debug(const std::string& tag, const std::string& message);
  static void Info(const std::string& tag, const std::string& message);
  static void Warn(const std::string& tag, const std::string& message);
  static void Error(const std::string& tag, const std::string& message);
  static void Fatal(const std::string& tag, const std::string& message);

  // Whether a Debug line would be written now. A caller whose message takes
  // work to build asks first, so that a line the threshold drops costs no
  // formatting.
  static bool IsDebugEnabled();

  // Debug(tag, Poco::format(format, args...)), formatted only when
  // IsDebugEnabled().
  template <typename... Args>
  static void DebugFormat(const std::string& tag, const std::string& format,
                          const Args&... args) {
    if (IsDebugEnabled()) Debug(tag, Poco::format(format, args...));
  }

  // Writes buffered text into the log file. Does nothing when buffered output
  // is off.
  static void Flush();

  // Writes what is buffered and closes the appenders; the last call of the
  // process before it ends.
  static void Shutdown();

  // The log file that Initialize(deliverable, settings, logDirectory)
  // writes.
  static std::string LogFilePath(const Deliverable& deliverable,
                                 const std::string& logDirectory);
};

}  // namespace tool

#endif  // TOOL_LOG_LOGGER_LOG_H_
