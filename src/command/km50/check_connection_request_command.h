#ifndef TOOL_COMMAND_KM50_CHECK_CONNECTION_REQUEST_COMMAND_H_
#define TOOL_COMMAND_KM50_CHECK_CONNECTION_REQUEST_COMMAND_H_

#include <memory>
#include <string>

#include "server/receive_request_command.h"
#include "server/tag_field.h"

namespace tool::wattlet {

// "CheckConnectionForKM50": probes the KM50 at the request's channel, baud
// code, node number or slave address and serial parameters, in CompoWay/F
// (protocol 0, echoback test) or Modbus RTU (any other protocol,
// Diagnostics echo) and, when it answers, keeps these settings and the
// protocol as the connected settings that an update works with. Lives for
// one request, on its thread.
class CheckConnectionRequestCommand : public ReceiveRequestCommand {
 public:
  using ReceiveRequestCommand::ReceiveRequestCommand;

  // SUCCESS when the KM50 answered; FAILURE, with nothing sent, when the
  // request has no requestData.
  std::shared_ptr<SendReplyCommand> Execute() override;

  // Keeps the item of tag "1" (channel), "2" (protocol), "3" (baud code),
  // "4" (address) or "5" (serial parameters); other tags are ignored.
  void SetTagValue(const std::string& tag, const std::string& value) override;

  // The probe for the KM50 at `addressText` (the node field's text as
  // given, or the slave address as a number) as command bytes: the
  // CompoWay/F echoback test when `checkKind` is CompoWay/F, the Modbus
  // Diagnostics echo otherwise. Empty when it cannot be built.
  static std::shared_ptr<ByteDataHolder> CreateProbe(
      int checkKind, const std::string& addressText);

 private:
  // Which member each tag fills.
  static const TagField<CheckConnectionRequestCommand> kTagFields[5];

  std::string ch_;
  std::string protocol_;
  std::string baudrate_;
  std::string address_;
  std::string param_;
};

}  // namespace tool::wattlet

#endif  // TOOL_COMMAND_KM50_CHECK_CONNECTION_REQUEST_COMMAND_H_
