#include "command/weather/restart_request_command.h"

#include <Poco/Format.h>

#include <string>

#include "log/logger_log.h"
#include "protocol/frame_list.h"
#include "protocol/hex_util.h"
#include "protocol/modbus_command.h"
#include "protocol/request_template.h"
#include "rs485/send_device_setting_command_result.h"

namespace tool::skylet {
namespace {

constexpr char kTag[] = "RestartRequestCommand";
// Diagnostics, Restart Communications Option.
constexpr char kRestartTemplate[] = "%02s0800010000";
constexpr char kProbeTemplate[] = "%02s4605";

// The sensor always speaks Modbus, whatever check kind was stored.
DeviceConnectionParams ModbusParams(DeviceConnectionParams params) {
  params.checkKind = SendDeviceSettingCommandResult::kModbus;
  return params;
}

}  // namespace

std::shared_ptr<SendReplyCommand> RestartRequestCommand::Execute() {
  const DeviceConnectionParams connected = device_.GetConnectedParams();
  const auto restart = ModbusCommand::CreateCommand(RequestTemplate::Fill(
      kRestartTemplate, {HexUtil::IntToHexText(connected.address)}));
  {
    FrameList frames;
    if (!QueueFrame(frames, restart, kTag,
                    "Execute Create Data Create Error.") ||
        !SendFrames(ModbusParams(connected), frames, kTag)) {
      return CreateFailedReply(kTag);
    }
  }

  const std::string execute = "Execute";
  LoggerLog::DebugFormat(kTag, "%s restart send sleep start", execute);
  if (!device_.PauseUnlessStopped(kRestartPause)) {
    LoggerLog::Error(kTag, "Execute restart pause ended by stop.");
    return CreateFailedReply(kTag);
  }
  LoggerLog::DebugFormat(kTag, "%s restart send sleep end", execute);

  const DeviceConnectionParams updated =
      ModbusParams(device_.GetUpdatedParams());
  const auto probe = ModbusCommand::CreateCommand(RequestTemplate::Fill(
      kProbeTemplate, {HexUtil::IntToHexText(updated.address)}));
  FrameList frames;
  if (!QueueFrame(frames, probe, kTag)) return CreateFailedReply(kTag);
  for (int i = 1; i < kProbeCount; ++i) frames.Add(*probe);
  if (!device_.DeviceSettingConnectionUntilSuccess(
          updated, frames.GetDataList(), frames.GetSizeList())) {
    LoggerLog::Error(kTag, "Execute Check Restart Error.");
    return CreateFailedReply(kTag);
  }
  device_.SetConnectedParams(updated);
  device_.SetUpdatedParams(updated);
  return CreateSuccessReply(kTag);
}

}  // namespace tool::skylet
