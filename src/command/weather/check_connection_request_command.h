#ifndef TOOL_COMMAND_WEATHER_CHECK_CONNECTION_REQUEST_COMMAND_H_
#define TOOL_COMMAND_WEATHER_CHECK_CONNECTION_REQUEST_COMMAND_H_

#include <memory>
#include <string>

#include "server/receive_request_command.h"
#include "server/tag_field.h"

namespace tool::skylet {

// "CheckConnectionForWeatherSensor": probes the weather sensor at the
// request's channel, baud rate, slave address and serial parameters and,
// when it answers, keeps them as the connected settings that an update
// works with. Lives for one request, on its thread.
class CheckConnectionRequestCommand : public ReceiveRequestCommand {
 public:
  using ReceiveRequestCommand::ReceiveRequestCommand;

  // SUCCESS when the sensor answered the probe; FAILURE, with nothing
  // sent, when the request has no requestData.
  std::shared_ptr<SendReplyCommand> Execute() override;

  // Keeps the item of tag "1" (channel), "2" (baud rate), "3" (address) or
  // "4" (serial parameters); other tags are ignored.
  void SetTagValue(const std::string& tag, const std::string& value) override;

  // The probe (Report Slave ID) for slave `address`, as command bytes;
  // empty when it cannot be built.
  static std::shared_ptr<ByteDataHolder> CreateProbe(int address);

 private:
  // Which member each tag fills.
  static const TagField<CheckConnectionRequestCommand> kTagFields[4];

  std::string ch_;
  std::string baudrate_;
  std::string address_;
  std::string param_;
};

}  // namespace tool::skylet

#endif  // TOOL_COMMAND_WEATHER_CHECK_CONNECTION_REQUEST_COMMAND_H_
