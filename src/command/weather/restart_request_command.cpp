#include "command/weather/restart_request_command.h"

#include <Poco/Format.h>

#include <string>

#include "log/logger_log.h"
#include "main/tool_manager.h"
#include "protocol/frame_list.h"
#include "protocol/hex_util.h"
#include "protocol/modbus_command.h"
#include "protocol/request_template.h"
#include "rs485/send_device_setting_command_result.h"

namespace tool {
namespace {

constexpr char kTag[] = "RestartRequestCommand";
// Diagnostics, Restart Communications Option.
constexpr char kRestartTemplate[] = "%02s0800010000";
constexpr char kProbeTemplate[] = "%02s4605";

}  // namespace

std::shared_ptr<SendReplyCommand> RestartRequestCommand::Execute() {
  ToolManager& manager = ToolManager::GetInstance();
  const DeviceConnectionParams connected = manager.GetConnectedParams();
  const auto restart = ModbusCommand::CreateCommand(RequestTemplate::Fill(
      kRestartTemplate, {HexUtil::IntToHexText(connected.address)}));
  if (!restart) {
    LoggerLog::Error(kTag, "Execute Create Data Create Error.");
    return CreateFailedReply(kTag);
  }
  {
    FrameList frames;
    frames.Queue(kTag, *restart);
    if (!manager.DeviceSettingConnection(
            connected.channel, connected.address, connected.baudrate,
            connected.param, frames.GetDataList(), frames.GetSizeList(),
            SendDeviceSettingCommandResult::kModbus)) {
      LoggerLog::Error(kTag, "ExecuteSendDeviceCommand.");
      return CreateFailedReply(kTag);
    }
  }

  const std::string execute = "Execute";
  LoggerLog::Debug(kTag, Poco::format("%s restart send sleep start", execute));
  if (!manager.PauseUnlessStopped(kRestartPause)) {
    LoggerLog::Error(kTag, "Execute restart pause ended by stop.");
    return CreateFailedReply(kTag);
  }
  LoggerLog::Debug(kTag, Poco::format("%s restart send sleep end", execute));

  const DeviceConnectionParams updated = manager.GetUpdatedParams();
  const auto probe = ModbusCommand::CreateCommand(RequestTemplate::Fill(
      kProbeTemplate, {HexUtil::IntToHexText(updated.address)}));
  if (!probe) {
    LoggerLog::Error(kTag, "Execute Send Data Create Error.");
    return CreateFailedReply(kTag);
  }
  FrameList frames;
  frames.Queue(kTag, *probe);
  for (int i = 1; i < kProbeCount; ++i) frames.Add(*probe);
  if (!manager.DeviceSettingConnectionUntilSuccess(
          updated.channel, updated.address, updated.baudrate, updated.param,
          frames.GetDataList(), frames.GetSizeList(),
          SendDeviceSettingCommandResult::kModbus)) {
    LoggerLog::Error(kTag, "Execute Check Restart Error.");
    return CreateFailedReply(kTag);
  }
  manager.SetConnectedParams(updated.channel, updated.baudrate, updated.address,
                             updated.param,
                             SendDeviceSettingCommandResult::kModbus);
  manager.SetUpdatedParams(updated.channel, updated.baudrate, updated.address,
                           updated.param,
                           SendDeviceSettingCommandResult::kModbus);
  return CreateSuccessReply(kTag);
}

}  // namespace tool
