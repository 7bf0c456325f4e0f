#include "log/logger_log.h"

#include <log4cxx/consoleappender.h>
#include <log4cxx/helpers/pool.h>
#include <log4cxx/level.h>
#include <log4cxx/logger.h>
#include <log4cxx/logmanager.h>
#include <log4cxx/patternlayout.h>
#include <log4cxx/rolling/rollingfileappender.h>
#include <log4cxx/spi/location/locationinfo.h>

#include <atomic>

#include "log/deliverable.h"
#include "log/file_size_triggering_policy.h"
#include "log/file_util.h"
#include "log/logger_setting_xml_manager.h"

namespace tool {
namespace {

constexpr char kPattern[] = "[%d{yyyy-MM-dd HH:mm:ss}{UTC} UTC] [%p] %m%n";
constexpr char kEncoding[] = "UTF-8";
constexpr char kToolFolder[] = "/Tool/";
constexpr char kSourceFile[] = "src/log/logger_log";
constexpr char kShortSourceFile[] = "logger_log";

struct Threshold {
  int levelCode;
  int log4cxxLevel;
};

// Level code of the LogLevel setting -> appender threshold; every code not
// listed (0 included) logs everything.
constexpr Threshold kThresholds[] = {
    {1, log4cxx::Level::INFO_INT},
    {2, log4cxx::Level::WARN_INT},
    {3, log4cxx::Level::ERROR_INT},
    {4, log4cxx::Level::FATAL_INT},
};

log4cxx::LevelPtr ThresholdFor(int levelCode) {
  for (const Threshold& threshold : kThresholds) {
    if (threshold.levelCode == levelCode) {
      return log4cxx::Level::toLevel(threshold.log4cxxLevel);
    }
  }
  return log4cxx::Level::getDebug();
}

// Process-wide logging state. Deliberately never destroyed, so that a line
// logged during static destruction finds it still in place.
struct LogState {
  // The library makes its level objects on first use, inside the library
  // where thread checkers cannot see the one-time initialisation; taking
  // them here, under this state's own once-only initialisation, orders it
  // before every use, and passing them on by reference adds no reference
  // counting of our own.
  const log4cxx::LevelPtr debug = log4cxx::Level::getDebug();
  const log4cxx::LevelPtr info = log4cxx::Level::getInfo();
  const log4cxx::LevelPtr warn = log4cxx::Level::getWarn();
  const log4cxx::LevelPtr error = log4cxx::Level::getError();
  const log4cxx::LevelPtr fatal = log4cxx::Level::getFatal();
  log4cxx::LoggerPtr logger;
  log4cxx::rolling::RollingFileAppenderPtr fileAppender;
  log4cxx::LevelPtr threshold;
  std::atomic<bool> active{false};
};

LogState& State() {
  static LogState* const state = new LogState;
  return *state;
}

void Emit(const log4cxx::LevelPtr& level, const std::string& tag,
          const std::string& message,
          const log4cxx::spi::LocationInfo& location) {
  LogState& state = State();
  if (!state.active.load(std::memory_order_acquire)) return;
  // Both appenders share one threshold: a line below it is dropped before its
  // text is built.
  if (!level->isGreaterOrEqual(state.threshold)) return;
  if (!state.logger->isEnabledFor(level)) return;
  state.logger->forcedLog(level, tag + " " + message, location);
}

}  // namespace

void LoggerLog::Initialize(const Deliverable& deliverable) {
  Initialize(deliverable, LoggerSettingXmlManager::GetInstance(),
             FileUtil::GetInstance().GetLogDirectory());
}

void LoggerLog::Initialize(const Deliverable& deliverable,
                           const LoggerSettingXmlManager& settings,
                           const std::string& logDirectory) {
  LogState& state = State();
  state.active.store(false, std::memory_order_release);
  log4cxx::helpers::Pool pool;

  auto layout = std::make_shared<log4cxx::PatternLayout>(kPattern);

  FileUtil& files = FileUtil::GetInstance();
  if (!files.Exists(logDirectory)) files.CreateDirectory(logDirectory, true);

  const log4cxx::LevelPtr threshold = ThresholdFor(settings.GetLogLevel());

  auto console = std::make_shared<log4cxx::ConsoleAppender>();
  console->setLayout(layout);
  console->setEncoding(kEncoding);
  console->setThreshold(threshold);
  console->activateOptions(pool);

  auto file = std::make_shared<log4cxx::rolling::RollingFileAppender>();
  file->setLayout(layout);
  file->setEncoding(kEncoding);
  // The file comes first: the backup index derives the names of the rolled
  // files from the file name known at that moment.
  file->setFile(LogFilePath(deliverable, logDirectory));
  file->setMaxFileSize(settings.GetLoggerLogMaxFileSize());
  // Keeps every file within the size, buffered or not.
  file->setTriggeringPolicy(
      std::make_shared<FileSizeTriggeringPolicy>(file->getMaximumFileSize()));
  file->setMaxBackupIndex(settings.GetLoggerLogMaxRollIndex());
  file->setThreshold(threshold);
  file->setBufferedIO(settings.IsLogBufferedIO());
  file->setBufferSize(settings.GetLoggerLogMaxBufferedSize());
  file->activateOptions(pool);

  // Logging is configured by the settings file alone: a log4cxx
  // configuration that the library would otherwise look for (in the working
  // directory, or named in its environment) could silence or redirect us.
  log4cxx::LogManager::getLoggerRepository()->setConfigured(true);
  log4cxx::LoggerPtr logger =
      log4cxx::LogManager::getLogger(deliverable.applicationId);
  logger->removeAllAppenders();
  logger->addAppender(console);
  logger->addAppender(file);

  state.logger = logger;
  state.fileAppender = file;
  state.threshold = threshold;
  state.active.store(true, std::memory_order_release);
}

void LoggerLog::Debug(const std::string& tag, const std::string& message) {
  Emit(State().debug, tag, message,
       log4cxx::spi::LocationInfo(kSourceFile, kShortSourceFile,
                                  __PRETTY_FUNCTION__, __LINE__));
}

bool LoggerLog::IsDebugEnabled() {
  LogState& state = State();
  return state.active.load(std::memory_order_acquire) &&
         state.debug->isGreaterOrEqual(state.threshold);
}

void LoggerLog::Info(const std::string& tag, const std::string& message) {
  Emit(State().info, tag, message,
       log4cxx::spi::LocationInfo(kSourceFile, kShortSourceFile,
                                  __PRETTY_FUNCTION__, __LINE__));
}

void LoggerLog::Warn(const std::string& tag, const std::string& message) {
  Emit(State().warn, tag, message,
       log4cxx::spi::LocationInfo(kSourceFile, kShortSourceFile,
                                  __PRETTY_FUNCTION__, __LINE__));
}

void LoggerLog::Error(const std::string& tag, const std::string& message) {
  Emit(State().error, tag, message,
       log4cxx::spi::LocationInfo(kSourceFile, kShortSourceFile,
                                  __PRETTY_FUNCTION__, __LINE__));
}

void LoggerLog::Fatal(const std::string& tag, const std::string& message) {
  Emit(State().fatal, tag, message,
       log4cxx::spi::LocationInfo(kSourceFile, kShortSourceFile,
                                  __PRETTY_FUNCTION__, __LINE__));
}

void LoggerLog::Flush() {
  LogState& state = State();
  if (!state.active.load(std::memory_order_acquire)) return;
  const log4cxx::rolling::RollingFileAppenderPtr& file = state.fileAppender;
  if (!file->getBufferedIO()) return;
  // Reopening the file (in append mode) writes out the buffer of the writer
  // it replaces.
  log4cxx::helpers::Pool pool;
  file->setBufferedIO(false);
  file->activateOptions(pool);
  file->setBufferedIO(true);
  file->activateOptions(pool);
}

void LoggerLog::Shutdown() {
  State().active.store(false, std::memory_order_release);
  log4cxx::LogManager::shutdown();
}

std::string LoggerLog::LogFilePath(const Deliverable& deliverable,
                                   const std::string& logDirectory) {
  return logDirectory + kToolFolder + deliverable.logFileName;
}

}  // namespace tool
