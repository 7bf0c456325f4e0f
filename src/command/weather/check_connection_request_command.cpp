#include "command/weather/check_connection_request_command.h"

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

constexpr char kTag[] = "CheckConnectionRequestCommand";
constexpr char kProbeTemplate[] = "%02s4605";

}  // namespace

std::shared_ptr<SendReplyCommand> CheckConnectionRequestCommand::Execute() {
  if (!ReadRequestItems(kTag)) return CreateFailedReply(kTag);
  const int channel = StringUtil::StringToInt(ch_);
  const int address = StringUtil::StringToInt(address_);
  const int baudrate = StringUtil::StringToInt(baudrate_);
  const int param = StringUtil::StringToInt(param_);

  FrameList frames;
  if (!QueueFrame(frames, CreateProbe(address), kTag)) {
    return CreateFailedReply(kTag);
  }

  const DeviceConnectionParams params = {
      SendDeviceSettingCommandResult::kModbus, channel, baudrate, address,
      param};
  if (!SendFrames(params, frames, kTag)) return CreateFailedReply(kTag);
  device_.SetConnectedParams(params);
  LoggerLog::DebugFormat(kTag, "### %d, %d, %d, %d,", channel, address,
                         baudrate, param);
  return CreateSuccessReply(kTag);
}

std::shared_ptr<ByteDataHolder> CheckConnectionRequestCommand::CreateProbe(
    int address) {
  return ModbusCommand::CreateCommand(
      RequestTemplate::Fill(kProbeTemplate, {HexUtil::IntToHexText(address)}));
}

const TagField<CheckConnectionRequestCommand>
    CheckConnectionRequestCommand::kTagFields[4] = {
        {"1", " ch:", &CheckConnectionRequestCommand::ch_},
        {"2", " baudrate_:", &CheckConnectionRequestCommand::baudrate_},
        {"3", " address_:", &CheckConnectionRequestCommand::address_},
        {"4", " param_:", &CheckConnectionRequestCommand::param_},
};

void CheckConnectionRequestCommand::SetTagValue(const std::string& tag,
                                                const std::string& value) {
  SetTagField(this, kTagFields, tag, value, kTag);
}

}  // namespace tool::skylet
