#ifndef TOOL_COMMAND_KM50_UPDATE_SETTING_REQUEST_COMMAND_H_
#define TOOL_COMMAND_KM50_UPDATE_SETTING_REQUEST_COMMAND_H_

#include <memory>
#include <string>

#include "server/receive_request_command.h"
#include "server/tag_field.h"

namespace tool::wattlet {

// "UpdateSettingsForKM50": over a connection at the connected settings and
// in their protocol, enters the KM50's setting mode, writes the marker 1,
// the new address, the new baud code and the parity of the new serial
// parameters, and applies them; on success the new settings are the
// connected ones at once. Lives for one request, on its thread.
class UpdateSettingRequestCommand : public ReceiveRequestCommand {
 public:
  using ReceiveRequestCommand::ReceiveRequestCommand;

  // SUCCESS when the KM50 took all six frames; FAILURE, with nothing sent,
  // when the request has no requestData; before any check has connected the
  // frames go to channel 0, which the device-setting operations refuse.
  std::shared_ptr<SendReplyCommand> Execute() override;

  // Keeps the item of tag "1" (baud code), "2" (address) or "3" (serial
  // parameters); other tags are ignored.
  void SetTagValue(const std::string& tag, const std::string& value) override;

  // The value text that the setting at `settingAddress` (a CompoWay/F
  // variable or Modbus register address of the KM50) is written with; ""
  // for a setting the update does not write.
  std::string GetSettingValueText(const std::string& settingAddress) const;

 private:
  // Which member each tag fills.
  static const TagField<UpdateSettingRequestCommand> kTagFields[3];

  std::string baudrate_;
  std::string address_;
  std::string param_;
};

}  // namespace tool::wattlet

#endif  // TOOL_COMMAND_KM50_UPDATE_SETTING_REQUEST_COMMAND_H_
