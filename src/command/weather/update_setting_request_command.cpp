#include "command/weather/update_setting_request_command.h"

#include <Poco/Format.h>

#include "log/logger_log.h"
#include "protocol/frame_list.h"
#include "protocol/hex_util.h"
#include "protocol/modbus_command.h"
#include "protocol/request_template.h"
#include "protocol/string_util.h"
#include "rs485/send_device_setting_command_result.h"

namespace tool::skylet {
namespace {

constexpr char kTag[] = "UpdateSettingRequestCommand";
// The baud-rate and parameter fields take the request's text as it came,
// as two hexadecimal digits.
constexpr char kLineTemplate[] = "%02s4606%02s%02s";
constexpr char kAddressTemplate[] = "%02s4604%02s";

}  // namespace

const TagField<UpdateSettingRequestCommand>
    UpdateSettingRequestCommand::kTagFields[3] = {
        {"1", " baudrate_:", &UpdateSettingRequestCommand::baudrate_},
        {"2", " address_:", &UpdateSettingRequestCommand::address_},
        {"3", " param_:", &UpdateSettingRequestCommand::param_},
};

std::shared_ptr<SendReplyCommand> UpdateSettingRequestCommand::Execute() {
  // Without items the writes would put zeros into the sensor.
  if (!ReadRequestItems(kTag)) return CreateFailedReply(kTag);
  DeviceConnectionParams connected = device_.GetConnectedParams();
  // The sensor always speaks Modbus, whatever check kind was stored.
  connected.checkKind = SendDeviceSettingCommandResult::kModbus;
  LoggerLog::DebugFormat(kTag, "### %d, %d, %d, %d,", connected.channel,
                         connected.address, connected.baudrate,
                         connected.param);
  const std::string connectedAddress = HexUtil::IntToHexText(connected.address);

  FrameList frames;
  const auto lineSettings = ModbusCommand::CreateCommand(RequestTemplate::Fill(
      kLineTemplate, {connectedAddress, baudrate_, param_}));
  if (!QueueFrame(frames, lineSettings, kTag)) return CreateFailedReply(kTag);
  const auto newAddress = ModbusCommand::CreateCommand(RequestTemplate::Fill(
      kAddressTemplate,
      {connectedAddress,
       HexUtil::IntToHexText(StringUtil::StringToInt(address_))}));
  if (!QueueFrame(frames, newAddress, kTag)) return CreateFailedReply(kTag);

  if (!SendFrames(connected, frames, kTag)) return CreateFailedReply(kTag);
  device_.SetUpdatedParams(
      {SendDeviceSettingCommandResult::kModbus, connected.channel,
       StringUtil::StringToInt(baudrate_), StringUtil::StringToInt(address_),
       StringUtil::StringToInt(param_)});
  return CreateSuccessReply(kTag);
}

void UpdateSettingRequestCommand::SetTagValue(const std::string& tag,
                                              const std::string& value) {
  SetTagField(this, kTagFields, tag, value, kTag);
}

}  // namespace tool::skylet
