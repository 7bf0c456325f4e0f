#include "command/km50/update_setting_request_command.h"

#include <Poco/Format.h>

#include <cstddef>
#include <vector>

#include "log/logger_log.h"
#include "protocol/compoway_command.h"
#include "protocol/frame_list.h"
#include "protocol/hex_util.h"
#include "protocol/modbus_command.h"
#include "protocol/request_template.h"
#include "protocol/string_util.h"
#include "rs485/send_device_setting_command_result.h"

namespace tool::wattlet {
namespace {

constexpr char kTag[] = "UpdateSettingRequestCommand";

// One protocol's requests of an update: enter setting mode, write one
// setting (address text, setting address, value as 8 hex digits), apply.
struct UpdateTemplates {
  const char* enter;
  const char* write;
  const char* apply;
};
constexpr UpdateTemplates kCompowayTemplates = {
    "%02s00030050700", "%02s0000202C000%04s8001%08s", "%02s00030050400"};
constexpr UpdateTemplates kModbusTemplates = {
    "%02s0600000700", "%02s10%04s000204%08s", "%02s0600000400"};

// The KM50's settings by CompoWay/F variable and by Modbus register: entry
// k of one table names the same setting as entry k of the other. Entries 3
// and 5 (stop bits and data length) are never written.
constexpr const char* kKm50VariableAddresses[] = {"001C", "0012", "0013",
                                                  "0014", "0016", "0015"};
constexpr const char* kKm50RegisterAddresses[] = {"F012", "F009", "F00A",
                                                  "F00B", "F00D", "F00C"};

// The settings the update writes, in order, by entry, and where each value
// comes from.
enum class ValueSource { kOne, kAddress, kBaudrate, kParity };
struct WrittenSetting {
  std::size_t entry;
  ValueSource source;
};
constexpr WrittenSetting kWrittenSettings[] = {
    {0, ValueSource::kOne},
    {1, ValueSource::kAddress},
    {2, ValueSource::kBaudrate},
    {4, ValueSource::kParity},
};

// The parity value (0 none, 1 even, 2 odd) of a serial-parameter setting,
// whose table repeats none, even, odd in pairs.
std::string ParityText(int param) {
  const int r = param % 6;
  if (r <= 1) return "0";
  if (r > 3) return "2";
  return "1";
}

}  // namespace

const TagField<UpdateSettingRequestCommand>
    UpdateSettingRequestCommand::kTagFields[3] = {
        {"1", " baudrate_:", &UpdateSettingRequestCommand::baudrate_},
        {"2", " address_:", &UpdateSettingRequestCommand::address_},
        {"3", " param_:", &UpdateSettingRequestCommand::param_},
};

std::string UpdateSettingRequestCommand::GetSettingValueText(
    const std::string& settingAddress) const {
  for (const WrittenSetting& setting : kWrittenSettings) {
    if (settingAddress != kKm50VariableAddresses[setting.entry] &&
        settingAddress != kKm50RegisterAddresses[setting.entry]) {
      continue;
    }
    switch (setting.source) {
      case ValueSource::kOne:
        return "1";
      case ValueSource::kAddress:
        return address_;
      case ValueSource::kBaudrate:
        return baudrate_;
      case ValueSource::kParity:
        return ParityText(StringUtil::StringToInt(param_, nullptr, 10));
    }
  }
  return "";
}

std::shared_ptr<SendReplyCommand> UpdateSettingRequestCommand::Execute() {
  // Without items the writes would put zeros into the KM50.
  if (!ReadRequestItems(kTag)) return CreateFailedReply(kTag);
  const DeviceConnectionParams connected = device_.GetConnectedParams();
  LoggerLog::DebugFormat(kTag, "### %d, %d, %d, %d,", connected.channel,
                         connected.address, connected.baudrate,
                         connected.param);
  const bool modbus =
      connected.checkKind != SendDeviceSettingCommandResult::kCompowayF;
  const std::string addressText = modbus
                                      ? HexUtil::IntToHexText(connected.address)
                                      : std::to_string(connected.address);
  const UpdateTemplates& templates =
      modbus ? kModbusTemplates : kCompowayTemplates;
  const char* const* settingAddresses =
      modbus ? kKm50RegisterAddresses : kKm50VariableAddresses;

  std::vector<std::string> texts;
  texts.push_back(RequestTemplate::Fill(templates.enter, {addressText}));
  for (const WrittenSetting& setting : kWrittenSettings) {
    const char* settingAddress = settingAddresses[setting.entry];
    const std::string value = HexUtil::IntToHexText(
        StringUtil::StringToInt(GetSettingValueText(settingAddress)));
    texts.push_back(RequestTemplate::Fill(
        templates.write, {addressText, settingAddress, value}));
  }
  texts.push_back(RequestTemplate::Fill(templates.apply, {addressText}));

  FrameList frames;
  for (const std::string& text : texts) {
    const auto command = modbus ? ModbusCommand::CreateCommand(text)
                                : CompowayCommand::CreateCommand(text);
    if (!QueueFrame(frames, command, kTag)) return CreateFailedReply(kTag);
  }

  if (!SendFrames(connected, frames, kTag)) return CreateFailedReply(kTag);
  device_.SetConnectedParams({connected.checkKind, connected.channel,
                              StringUtil::StringToInt(baudrate_),
                              StringUtil::StringToInt(address_),
                              StringUtil::StringToInt(param_)});
  return CreateSuccessReply(kTag);
}

void UpdateSettingRequestCommand::SetTagValue(const std::string& tag,
                                              const std::string& value) {
  SetTagField(this, kTagFields, tag, value, kTag);
}

}  // namespace tool::wattlet
