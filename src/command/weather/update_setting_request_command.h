#ifndef TOOL_COMMAND_WEATHER_UPDATE_SETTING_REQUEST_COMMAND_H_
#define TOOL_COMMAND_WEATHER_UPDATE_SETTING_REQUEST_COMMAND_H_

#include <memory>
#include <string>

#include "server/receive_request_command.h"
#include "server/tag_field.h"

namespace tool::skylet {

// "UpdateSettingsForWeatherSensor": over a connection at the connected
// settings, writes the request's baud rate and serial parameters, then its
// slave address into the weather sensor, and keeps them as the updated
// settings that a restart brings into force. Lives for one request, on its
// thread.
class UpdateSettingRequestCommand : public ReceiveRequestCommand {
 public:
  using ReceiveRequestCommand::ReceiveRequestCommand;

  // SUCCESS when the sensor took both writes; FAILURE, with nothing sent,
  // when the request has no requestData; before any check has connected the
  // frames go to channel 0, which the device-setting operations refuse.
  std::shared_ptr<SendReplyCommand> Execute() override;

  // Keeps the item of tag "1" (baud rate), "2" (address) or "3" (serial
  // parameters); other tags are ignored.
  void SetTagValue(const std::string& tag, const std::string& value) override;

 private:
  // Which member each tag fills.
  static const TagField<UpdateSettingRequestCommand> kTagFields[3];

  std::string baudrate_;
  std::string address_;
  std::string param_;
};

}  // namespace tool::skylet

#endif  // TOOL_COMMAND_WEATHER_UPDATE_SETTING_REQUEST_COMMAND_H_
