// Building the command bytes of a frame: a request template filled in, the
// hexadecimal text turned into bytes, the check bytes appended, and the
// frame queued for its connection, as the device commands do it.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "protocol/compoway_command.h"
#include "protocol/frame_list.h"
#include "protocol/hex_util.h"
#include "protocol/modbus_command.h"
#include "protocol/request_template.h"
#include "rs485/byte_data_holder.h"

namespace tool::bench {
namespace {

// The probes of the two check commands, with their templates.
constexpr char kWeatherProbeTemplate[] = "%02s4605";
constexpr char kKm50ModbusProbeTemplate[] = "%02s0800001234";
constexpr char kKm50CompowayProbeTemplate[] = "%02s00008011234";
constexpr int kWeatherAddress = 10;
constexpr int kKm50Address = 1;

// The weather sensor's probe to slave 10 as command bytes: the frame length
// (5, little-endian), then 0a 46 05 and its CRC.
const std::vector<std::uint8_t> kWeatherProbeBytes = {0x05, 0x00, 0x0a, 0x46,
                                                      0x05, 0xa3, 0xa1};

// False, and the benchmark skipped, when `built` is not a frame of
// `expectedSize` bytes: a broken frame would time the error path.
bool IsFrame(benchmark::State& state,
             const std::shared_ptr<ByteDataHolder>& built, int expectedSize) {
  if (built && built->GetSize() == expectedSize) return true;
  state.SkipWithError("the frame was not built as the command builds it");
  return false;
}

// A hexadecimal request of `bytes` bytes, starting with slave 10's address.
std::string HexRequest(std::int64_t bytes) {
  std::string text = "0a";
  static constexpr char kDigits[] = "0123456789abcdef";
  for (std::int64_t i = 1; i < bytes; ++i) {
    text += kDigits[(i * 7) & 0x0F];
    text += kDigits[(i * 3) & 0x0F];
  }
  return text;
}

void BM_WeatherProbeFrame(benchmark::State& state) {
  const auto check = ModbusCommand::CreateCommand(RequestTemplate::Fill(
      kWeatherProbeTemplate, {HexUtil::IntToHexText(kWeatherAddress)}));
  if (!check || !check->Equals(kWeatherProbeBytes.data(),
                               static_cast<int>(kWeatherProbeBytes.size()))) {
    state.SkipWithError("the weather probe is not 0a 46 05 a3 a1");
    return;
  }
  for (auto _ : state) {
    auto probe = ModbusCommand::CreateCommand(RequestTemplate::Fill(
        kWeatherProbeTemplate, {HexUtil::IntToHexText(kWeatherAddress)}));
    benchmark::DoNotOptimize(probe);
  }
  state.SetBytesProcessed(state.iterations() * check->GetSize());
}
BENCHMARK(BM_WeatherProbeFrame);

void BM_Km50ModbusProbeFrame(benchmark::State& state) {
  const auto check = ModbusCommand::CreateCommand(RequestTemplate::Fill(
      kKm50ModbusProbeTemplate, {HexUtil::IntToHexText(kKm50Address)}));
  // Length, six request bytes, CRC.
  if (!IsFrame(state, check, 2 + 6 + 2)) return;
  for (auto _ : state) {
    auto probe = ModbusCommand::CreateCommand(RequestTemplate::Fill(
        kKm50ModbusProbeTemplate, {HexUtil::IntToHexText(kKm50Address)}));
    benchmark::DoNotOptimize(probe);
  }
  state.SetBytesProcessed(state.iterations() * check->GetSize());
}
BENCHMARK(BM_Km50ModbusProbeFrame);

void BM_Km50CompowayProbeFrame(benchmark::State& state) {
  // The node field carries the address text as the request gave it.
  const std::string address = std::to_string(kKm50Address);
  const auto check = CompowayCommand::CreateCommand(
      RequestTemplate::Fill(kKm50CompowayProbeTemplate, {address}));
  // Length, STX, 13 characters of text, ETX, BCC.
  if (!IsFrame(state, check, 2 + 1 + 13 + 1 + 1)) return;
  for (auto _ : state) {
    auto probe = CompowayCommand::CreateCommand(
        RequestTemplate::Fill(kKm50CompowayProbeTemplate, {address}));
    benchmark::DoNotOptimize(probe);
  }
  state.SetBytesProcessed(state.iterations() * check->GetSize());
}
BENCHMARK(BM_Km50CompowayProbeFrame);

// The hexadecimal conversion alone, by request length: it calls strtol once
// per byte.
void BM_ModbusCommandFromHex(benchmark::State& state) {
  const std::string text = HexRequest(state.range(0));
  const auto check = ModbusCommand::CreateCommand(text);
  if (!IsFrame(state, check, static_cast<int>(state.range(0)) + 4)) return;
  for (auto _ : state) {
    auto command = ModbusCommand::CreateCommand(text);
    benchmark::DoNotOptimize(command);
  }
  state.SetBytesProcessed(state.iterations() * check->GetSize());
}
BENCHMARK(BM_ModbusCommandFromHex)
    ->ArgName("bytes")
    ->Arg(3)
    ->Arg(64)
    ->Arg(1024);

void BM_CompowayCommandFromText(benchmark::State& state) {
  const std::string text(static_cast<std::size_t>(state.range(0)), '0');
  const auto check = CompowayCommand::CreateCommand(text);
  if (!IsFrame(state, check, static_cast<int>(state.range(0)) + 5)) return;
  for (auto _ : state) {
    auto command = CompowayCommand::CreateCommand(text);
    benchmark::DoNotOptimize(command);
  }
  state.SetBytesProcessed(state.iterations() * check->GetSize());
}
BENCHMARK(BM_CompowayCommandFromText)
    ->ArgName("chars")
    ->Arg(13)
    ->Arg(64)
    ->Arg(1024);

// The widest template there is: the KM50's CompoWay/F setting write.
void BM_RequestTemplateFill(benchmark::State& state) {
  const std::string pattern = "%02s0000202C000%04s8001%08s";
  const std::vector<std::string> fields = {"1", "0012", "a"};
  for (auto _ : state) {
    std::string text = RequestTemplate::Fill(pattern, fields);
    benchmark::DoNotOptimize(text);
  }
}
BENCHMARK(BM_RequestTemplateFill);

// A built probe into a fresh list, and the lists a connection is given.
void BM_FrameListQueue(benchmark::State& state) {
  const auto probe = ModbusCommand::CreateCommand(RequestTemplate::Fill(
      kWeatherProbeTemplate, {HexUtil::IntToHexText(kWeatherAddress)}));
  if (!IsFrame(state, probe, static_cast<int>(kWeatherProbeBytes.size()))) {
    return;
  }
  const std::string tag = "CheckConnectionRequestCommand";
  for (auto _ : state) {
    FrameList frames;
    frames.Queue(tag, *probe);
    auto data = frames.GetDataList();
    auto sizes = frames.GetSizeList();
    benchmark::DoNotOptimize(data.data());
    benchmark::DoNotOptimize(sizes.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * probe->GetSize());
}
BENCHMARK(BM_FrameListQueue);

}  // namespace
}  // namespace tool::bench
