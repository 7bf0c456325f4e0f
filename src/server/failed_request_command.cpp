#include "server/failed_request_command.h"

#include <utility>

#include "server/command_response_element.h"

namespace tool {
namespace {

// A failed request never reaches a device.
DeviceSettingInterface& NoDevice() {
  static DeviceSettingInterface none;
  return none;
}

}  // namespace

FailedRequestCommand::FailedRequestCommand(
    std::string requestId, std::shared_ptr<CommandDetailElement> detail)
    : ReceiveRequestCommand(std::move(requestId), "", nullptr, NoDevice()),
      detail_(std::move(detail)) {}

std::shared_ptr<SendReplyCommand> FailedRequestCommand::Execute() {
  return std::make_shared<SendReplyCommand>(
      CommandResponseElement::CreateResponseDocument(false, requestId_, detail_,
                                                     nullptr));
}

std::string FailedRequestCommand::ReplyText(const std::string& requestId,
                                            const std::string& message) {
  return FailedRequestCommand(
             requestId, std::make_shared<CommandDetailElement>("400", message))
      .Execute()
      ->GetReplyXml();
}

}  // namespace tool
