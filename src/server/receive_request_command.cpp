#include "server/receive_request_command.h"

#include <utility>

namespace tool {

ReceiveRequestCommand::ReceiveRequestCommand(std::string requestId,
                                             std::string commandName,
                                             Poco::XML::Node* requestData)
    : requestId_(std::move(requestId)),
      commandName_(std::move(commandName)),
      requestData_(requestData) {}

std::shared_ptr<SendReplyCommand> ReceiveRequestCommand::Execute() {
  return nullptr;
}

}  // namespace tool
