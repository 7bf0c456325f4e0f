#ifndef TOOL_SERVER_RECEIVE_REQUEST_COMMAND_H_
#define TOOL_SERVER_RECEIVE_REQUEST_COMMAND_H_

#include <Poco/DOM/Node.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "rs485/device_setting_interface.h"
#include "server/send_reply_command.h"

namespace tool {

// The base of every command: what the request named and carried, and the
// device-setting operations through which it reaches its device. A command
// lives for one request, on the thread that serves it.
class ReceiveRequestCommand {
 public:
  // `requestData` is the request's requestData element, or null when it has
  // none. It is not owned and stays valid only while the executor that
  // made this command runs it; a command must not keep it beyond Execute.
  // `device` must remain live while the command exists.
  ReceiveRequestCommand(std::string requestId, std::string commandName,
                        Poco::XML::Node* requestData,
                        DeviceSettingInterface& device);
  virtual ~ReceiveRequestCommand() = default;

  ReceiveRequestCommand(const ReceiveRequestCommand&) = delete;
  ReceiveRequestCommand& operator=(const ReceiveRequestCommand&) = delete;

  // Runs the command and returns its reply, never empty in a concrete
  // command; failures are reported in the reply. The base has no reply and
  // returns an empty pointer.
  virtual std::shared_ptr<SendReplyCommand> Execute();

 protected:
  // One child element of requestData: its "x" attribute ("" when it has
  // none) and its text.
  using RequestItem = std::pair<std::string, std::string>;

  // The request's items in document order. Empty, with the Error line
  // "Execute requestData not found." under the command's log `tag`, when
  // the request has no requestData: the command then fails unsent.
  std::optional<std::vector<RequestItem>> GetRequestItems(
      const char* tag) const;

  // A reply that carries only the status, SUCCESS or FAILURE, with a Debug
  // line under the command's log `tag`.
  std::shared_ptr<SendReplyCommand> CreateSuccessReply(const char* tag) const;
  std::shared_ptr<SendReplyCommand> CreateFailedReply(const char* tag) const;

  const std::string requestId_;
  const std::string commandName_;
  Poco::XML::Node* const requestData_;
  DeviceSettingInterface& device_;
};

}  // namespace tool

#endif  // TOOL_SERVER_RECEIVE_REQUEST_COMMAND_H_
