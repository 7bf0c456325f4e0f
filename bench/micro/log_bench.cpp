// One log line at the service's default threshold, written into nothing
// (micro_main.cpp): what each line of a hot path adds. The callers pass
// their tags as character arrays, so the tag string is made per line, as
// here.
#include <benchmark/benchmark.h>

#include <string>

#include "log/logger_log.h"

namespace tool::bench {
namespace {

constexpr char kTag[] = "SendDeviceSettingCommandResult";
constexpr char kShortTag[] = "ModbusCommand";

// Formatted with the layout's UTC time stamp and handed to the appender.
void BM_LogInfoLine(benchmark::State& state) {
  const std::string message = "Received Data [0700000a460500031d2c]";
  for (auto _ : state) LoggerLog::Info(kTag, message);
}
BENCHMARK(BM_LogInfoLine);

// Below the threshold: dropped once its arguments exist.
void BM_LogDebugLineDropped(benchmark::State& state) {
  const std::string message = "### send data response OK";
  for (auto _ : state) LoggerLog::Debug(kShortTag, message);
}
BENCHMARK(BM_LogDebugLineDropped);

// As the frame builders log: below the threshold nothing is formatted.
void BM_LogDebugFormatDropped(benchmark::State& state) {
  const std::string name = "CreateCommand";
  const std::string hexText = "0a4605";
  for (auto _ : state) {
    LoggerLog::DebugFormat(kShortTag, "%s data:%s", name, hexText);
  }
}
BENCHMARK(BM_LogDebugFormatDropped);

}  // namespace
}  // namespace tool::bench
