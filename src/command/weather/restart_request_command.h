#ifndef TOOL_COMMAND_WEATHER_RESTART_REQUEST_COMMAND_H_
#define TOOL_COMMAND_WEATHER_RESTART_REQUEST_COMMAND_H_

#include <memory>

#include "server/receive_request_command.h"

namespace tool::skylet {

// "RestartForWeatherSensor": has the weather sensor restart its
// communication at the connected settings, so that the updated ones take
// effect, waits for it, and probes it at the updated settings; once it
// answers there they become the connected settings. Reads no request
// items. Lives for one request and blocks its thread for the pause.
class RestartRequestCommand : public ReceiveRequestCommand {
 public:
  // Milliseconds the sensor is given to restart.
  static constexpr int kRestartPause = 30000;
  // Probes sent after the pause until one is answered.
  static constexpr int kProbeCount = 5;

  using ReceiveRequestCommand::ReceiveRequestCommand;

  // SUCCESS when the sensor answered at the updated settings; FAILURE when
  // the restart was not answered (then there is no pause), no probe was, or
  // the service stopped during the pause.
  std::shared_ptr<SendReplyCommand> Execute() override;
};

}  // namespace tool::skylet

#endif  // TOOL_COMMAND_WEATHER_RESTART_REQUEST_COMMAND_H_
