// The check bytes of every frame: the Modbus CRC-16 and the CompoWay/F BCC,
// from the lengths of the probes up to the longest frame an access record
// takes.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "protocol/check_sum.h"
#include "rs485/rs485_record_layout.h"

namespace tool::bench {
namespace {

// `length` bytes of fixed, irregular content: the checks take no shortcut
// on any value, but equal runs make the numbers comparable.
std::string Bytes(std::int64_t length) {
  std::string bytes(static_cast<std::size_t>(length), '\0');
  std::uint32_t seed = 0x2545F491;
  for (char& byte : bytes) {
    seed = seed * 1103515245u + 12345u;
    byte = static_cast<char>(seed >> 24);
  }
  return bytes;
}

void BM_Crc16(benchmark::State& state) {
  const std::string data = Bytes(state.range(0));
  for (auto _ : state) {
    benchmark::DoNotOptimize(data.data());
    auto crc = CheckSum::CalculateCrc16(data.data(),
                                        static_cast<unsigned>(data.size()));
    benchmark::DoNotOptimize(crc);
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
// 3: the weather-sensor probe; 6: the KM50's Modbus probe.
BENCHMARK(BM_Crc16)->ArgName("bytes")->Arg(3)->Arg(6)->Arg(64)->Arg(
    record::kMaxCommandBytes);

void BM_Bcc(benchmark::State& state) {
  const std::string data = Bytes(state.range(0));
  for (auto _ : state) {
    benchmark::DoNotOptimize(data.data());
    const char bcc =
        CheckSum::CalculateBcc(data.data(), static_cast<unsigned>(data.size()));
    benchmark::DoNotOptimize(bcc);
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
// 15: STX, the KM50's echoback text and ETX.
BENCHMARK(BM_Bcc)->ArgName("bytes")->Arg(15)->Arg(64)->Arg(
    record::kMaxCommandBytes);

}  // namespace
}  // namespace tool::bench
