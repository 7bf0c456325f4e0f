#include "command/km50/check_connection_request_command.h"

#include <Poco/Format.h>

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

constexpr char kTag[] = "CheckConnectionRequestCommand";
// Echoback test of the text "1234".
constexpr char kCompowayTemplate[] = "%02s00008011234";
// Diagnostics, Return Query Data with the test word 0x1234.
constexpr char kModbusTemplate[] = "%02s0800001234";

}  // namespace

const TagField<CheckConnectionRequestCommand>
    CheckConnectionRequestCommand::kTagFields[5] = {
        {"1", " ch:", &CheckConnectionRequestCommand::ch_},
        {"2", " protocol_:", &CheckConnectionRequestCommand::protocol_},
        {"3", " baudrate_:", &CheckConnectionRequestCommand::baudrate_},
        {"4", " address_:", &CheckConnectionRequestCommand::address_},
        {"5", " param_:", &CheckConnectionRequestCommand::param_},
};

std::shared_ptr<ByteDataHolder> CheckConnectionRequestCommand::CreateProbe(
    int checkKind, const std::string& addressText) {
  if (checkKind != SendDeviceSettingCommandResult::kCompowayF) {
    return ModbusCommand::CreateCommand(RequestTemplate::Fill(
        kModbusTemplate,
        {HexUtil::IntToHexText(StringUtil::StringToInt(addressText))}));
  }
  return CompowayCommand::CreateCommand(
      RequestTemplate::Fill(kCompowayTemplate, {addressText}));
}

std::shared_ptr<SendReplyCommand> CheckConnectionRequestCommand::Execute() {
  if (!ReadRequestItems(kTag)) return CreateFailedReply(kTag);
  const int channel = StringUtil::StringToInt(ch_);
  const int address = StringUtil::StringToInt(address_);
  const int baudrate = StringUtil::StringToInt(baudrate_);
  const int param = StringUtil::StringToInt(param_);
  const int checkKind = StringUtil::StringToInt(protocol_);

  // The CompoWay/F node field carries the address text as it came.
  FrameList frames;
  if (!QueueFrame(frames, CreateProbe(checkKind, address_), kTag)) {
    return CreateFailedReply(kTag);
  }

  const DeviceConnectionParams params = {checkKind, channel, baudrate, address,
                                         param};
  if (!SendFrames(params, frames, kTag)) return CreateFailedReply(kTag);
  device_.SetConnectedParams(params);
  LoggerLog::DebugFormat(kTag, "### %d, %d, %d, %d,", channel, address,
                         baudrate, param);
  return CreateSuccessReply(kTag);
}

void CheckConnectionRequestCommand::SetTagValue(const std::string& tag,
                                                const std::string& value) {
  SetTagField(this, kTagFields, tag, value, kTag);
}

}  // namespace tool::wattlet
