#ifndef TOOL_SERVER_FAILED_REQUEST_COMMAND_H_
#define TOOL_SERVER_FAILED_REQUEST_COMMAND_H_

#include <memory>
#include <string>

#include "server/command_detail_element.h"
#include "server/receive_request_command.h"

namespace tool {

// The command for a request that cannot be executed: its reply is FAILURE
// with the given detail.
class FailedRequestCommand : public ReceiveRequestCommand {
 public:
  FailedRequestCommand(std::string requestId,
                       std::shared_ptr<CommandDetailElement> detail);

  std::shared_ptr<SendReplyCommand> Execute() override;

  // The reply text of a FailedRequestCommand with `requestId` and a detail
  // of code "400" and `message` (left out when empty).
  static std::string ReplyText(const std::string& requestId,
                               const std::string& message);

 private:
  const std::shared_ptr<CommandDetailElement> detail_;
};

}  // namespace tool

#endif  // TOOL_SERVER_FAILED_REQUEST_COMMAND_H_
