// The records of one command exchange: the access record copied from the
// channel's template and given its frame, the reply taken out of the reply
// record, and the judgement whether the reply answers what was sent.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "command/km50/wattlet_profile.h"
#include "command/weather/skylet_profile.h"
#include "log/logger_setting_xml_manager.h"
#include "protocol/compoway_command.h"
#include "protocol/modbus_command.h"
#include "rs485/byte_data_holder.h"
#include "rs485/device_com_process_access_data.h"
#include "rs485/rs485_access_request.h"
#include "rs485/rs485_device_set_port_params_utility.h"
#include "rs485/rs485_record_layout.h"
#include "rs485/rs485_send_command_request.h"
#include "rs485/send_device_setting_command_result.h"

namespace tool::bench {
namespace {

constexpr int kChannel = 1;
constexpr int kBaudCode = 3;
constexpr int kWeatherAddress = 10;

// The channel's template record, as StartLogging fills it for the weather
// sensor: 8 data bits, 1 stop bit, no parity.
std::shared_ptr<DeviceComProcessAccessData> TemplateRecord() {
  auto record =
      std::make_shared<DeviceComProcessAccessData>(kChannel - 1, kBaudCode);
  std::uint8_t* buffer = record->GetBuffer();
  RS485DeviceSetPortParamsUtility::SetSetPortParams(
      buffer + record::kPortParamsOffset, kWeatherAddress, 3, 0, 255);
  record::StoreUint32(buffer + record::kChannelNoOffset, kChannel);
  buffer[record::kBaudCodeOffset] = kBaudCode;
  return record;
}

// `command` (2-byte length, frame) as a reply arrives: the length, the one
// uninterpreted byte, then the frame.
std::shared_ptr<ByteDataHolder> ReplyOf(const ByteDataHolder& command) {
  auto reply = std::make_shared<ByteDataHolder>(command.GetSize() + 1);
  std::copy(command.GetData(), command.GetData() + 2, reply->GetData());
  std::copy(command.GetData() + 2, command.GetData() + command.GetSize(),
            reply->GetData() + 3);
  return reply;
}

// Command bytes of `bytes` bytes: the length field, then a frame.
std::vector<std::uint8_t> CommandBytes(std::int64_t bytes) {
  std::vector<std::uint8_t> command(static_cast<std::size_t>(bytes));
  for (std::size_t i = 0; i < command.size(); ++i) {
    command[i] = static_cast<std::uint8_t>(i * 37 + 11);
  }
  record::StoreUint16(command.data(), static_cast<std::uint16_t>(bytes - 2));
  return command;
}

void BM_AccessDataConstruct(benchmark::State& state) {
  for (auto _ : state) {
    auto record =
        std::make_shared<DeviceComProcessAccessData>(kChannel - 1, kBaudCode);
    benchmark::DoNotOptimize(record->GetBuffer());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * record::kAccessRecordSize);
}
BENCHMARK(BM_AccessDataConstruct);

void BM_AccessDataClone(benchmark::State& state) {
  const auto source = TemplateRecord();
  for (auto _ : state) {
    auto copy = DeviceComProcessAccessData::Clone(*source);
    benchmark::DoNotOptimize(copy->GetBuffer());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * source->GetSize());
}
BENCHMARK(BM_AccessDataClone);

// 7: the weather-sensor probe; the largest is the most a record takes.
void BM_AccessDataSetSendData(benchmark::State& state) {
  const auto record = TemplateRecord();
  const std::vector<std::uint8_t> command = CommandBytes(state.range(0));
  const int count = static_cast<int>(command.size());
  if (!record->SetSendData(kWeatherAddress, command.data(), count)) {
    state.SkipWithError("the command bytes do not fit the record");
    return;
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(command.data());
    const bool stored =
        record->SetSendData(kWeatherAddress, command.data(), count);
    benchmark::DoNotOptimize(stored);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * count);
}
BENCHMARK(BM_AccessDataSetSendData)
    ->ArgName("bytes")
    ->Arg(7)
    ->Arg(record::kMaxCommandBytes);

// What one exchange does to records before it connects: copy the template,
// put the probe in and stamp the channel and baud code.
void BM_AccessDataForExchange(benchmark::State& state) {
  const auto source = TemplateRecord();
  const auto probe = ModbusCommand::CreateCommand("0a4605");
  for (auto _ : state) {
    auto access = DeviceComProcessAccessData::Clone(*source);
    const bool stored = access->SetSendData(kWeatherAddress, probe->GetData(),
                                            probe->GetSize());
    std::uint8_t* buffer = access->GetBuffer();
    record::StoreUint32(buffer + record::kChannelNoOffset, kChannel);
    buffer[record::kBaudCodeOffset] = kBaudCode;
    benchmark::DoNotOptimize(stored);
    benchmark::DoNotOptimize(buffer);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * source->GetSize());
}
BENCHMARK(BM_AccessDataForExchange);

// The weather sensor's answer read out of a whole reply record, through the
// future the requesting thread waits on.
void BM_ReplyRecordToReply(benchmark::State& state) {
  // No settings file: OnResult reads no setting.
  static const LoggerSettingXmlManager settings("");
  const auto answer = ModbusCommand::CreateCommand("0a46050003");
  std::vector<std::uint8_t> replyRecord(record::kReplyRecordSize);
  std::uint8_t* data = replyRecord.data();
  record::StoreUint32(data + record::kStatusOffset, 0);
  std::copy(answer->GetData(), answer->GetData() + 2,
            data + record::kReplyLengthOffset);
  std::copy(answer->GetData() + 2, answer->GetData() + answer->GetSize(),
            data + record::kReplyFrameOffset);
  for (auto _ : state) {
    RS485SendCommandRequest request(settings);
    auto future = request.GetFuture();
    request.OnResult(RS485AccessRequest::kOk, data);
    auto reply = future.get();
    benchmark::DoNotOptimize(reply);
  }
}
BENCHMARK(BM_ReplyRecordToReply);

// One judgement as the runner makes it, the sent bytes shared in.
void CheckReply(benchmark::State& state,
                const std::shared_ptr<ByteDataHolder>& sent,
                const std::shared_ptr<ByteDataHolder>& reply, int checkKind,
                int compareLength, bool expected) {
  if (!sent || !reply ||
      SendDeviceSettingCommandResult(sent, checkKind, compareLength)
              .CheckReceivedData(reply) != expected) {
    state.SkipWithError("the reply is not judged as the device means it");
    return;
  }
  for (auto _ : state) {
    const bool answered =
        SendDeviceSettingCommandResult(sent, checkKind, compareLength)
            .CheckReceivedData(reply);
    benchmark::DoNotOptimize(answered);
  }
}

void BM_CheckReplyModbus(benchmark::State& state) {
  const auto probe = ModbusCommand::CreateCommand("0a4605");
  const auto answer = ModbusCommand::CreateCommand("0a46050003");
  CheckReply(state, probe, ReplyOf(*answer), skylet::kSkyletProfile.checkKind,
             skylet::kSkyletProfile.modbusCompareLength, true);
}
BENCHMARK(BM_CheckReplyModbus);

// An exception reply: the function code comes back with its top bit set.
void BM_CheckReplyModbusMismatch(benchmark::State& state) {
  const auto probe = ModbusCommand::CreateCommand("0a4605");
  const auto answer = ModbusCommand::CreateCommand("0ac601");
  CheckReply(state, probe, ReplyOf(*answer), skylet::kSkyletProfile.checkKind,
             skylet::kSkyletProfile.modbusCompareLength, false);
}
BENCHMARK(BM_CheckReplyModbusMismatch);

// The KM50's echoback of "1234" to node 01, end code 00.
void BM_CheckReplyCompowayF(benchmark::State& state) {
  const auto probe = CompowayCommand::CreateCommand("0100008011234");
  const auto answer = CompowayCommand::CreateCommand("010000080100001234");
  CheckReply(state, probe, ReplyOf(*answer), wattlet::kWattletProfile.checkKind,
             wattlet::kWattletProfile.modbusCompareLength, true);
}
BENCHMARK(BM_CheckReplyCompowayF);

}  // namespace
}  // namespace tool::bench
