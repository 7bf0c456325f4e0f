// The micro-benchmarks' entry. Logging is set up as a service sets it up,
// with the default settings (LogLevel 1: Info and above), so that the lines
// a hot path writes at Info cost what they cost in the service; only the
// appenders are swapped for one that formats each line with the service's
// layout and then drops it, so nothing reaches the console or a file.
#include <Poco/TemporaryFile.h>
#include <benchmark/benchmark.h>
#include <log4cxx/helpers/pool.h>
#include <log4cxx/helpers/writer.h>
#include <log4cxx/logger.h>
#include <log4cxx/logmanager.h>
#include <log4cxx/writerappender.h>

#include <memory>
#include <string>

#include "log/deliverable.h"
#include "log/logger_log.h"
#include "log/logger_setting_xml_manager.h"

namespace tool::bench {
namespace {

constexpr Deliverable kBenchDeliverable = {
    "micro_bench",               // name
    "micro_bench Start:",        // startLogText
    "micro_bench Stop",          // stopLogText
    "micro_bench.log",           // logFileName
    "com.kestrova.micro_bench",  // applicationId
    "",                          // watchdogFilePath: nobody watches us
};

// Takes every formatted line and keeps none.
class NullWriter : public log4cxx::helpers::Writer {
 public:
  void close(log4cxx::helpers::Pool&) override {}
  void flush(log4cxx::helpers::Pool&) override {}
  void write(const log4cxx::LogString&, log4cxx::helpers::Pool&) override {}
};

// LoggerLog as the service initialises it, in `directory` (the log file it
// opens there stays empty), then with its console and file appenders
// replaced by one appender of the same layout that writes into nothing.
void LogIntoNothing(const std::string& directory) {
  // No settings file there: the defaults, as on a gateway without one.
  const LoggerSettingXmlManager settings(directory + "/LoggerSetting.xml");
  LoggerLog::Initialize(kBenchDeliverable, settings, directory + "/Log");

  const log4cxx::LoggerPtr logger =
      log4cxx::LogManager::getLogger(kBenchDeliverable.applicationId);
  const log4cxx::AppenderList appenders = logger->getAllAppenders();
  auto nowhere = std::make_shared<log4cxx::WriterAppender>();
  nowhere->setLayout(appenders.front()->getLayout());
  nowhere->setWriter(std::make_shared<NullWriter>());
  log4cxx::helpers::Pool pool;
  nowhere->activateOptions(pool);
  logger->removeAllAppenders();
  logger->addAppender(nowhere);
}

}  // namespace
}  // namespace tool::bench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  // Removed with everything in it when main returns.
  Poco::TemporaryFile directory;
  directory.createDirectories();
  tool::bench::LogIntoNothing(directory.path());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  tool::LoggerLog::Shutdown();
  return 0;
}
