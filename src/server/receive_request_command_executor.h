#ifndef TOOL_SERVER_RECEIVE_REQUEST_COMMAND_EXECUTOR_H_
#define TOOL_SERVER_RECEIVE_REQUEST_COMMAND_EXECUTOR_H_

#include <Poco/AutoPtr.h>
#include <Poco/DOM/Document.h>
#include <Poco/DOM/Node.h>

#include <memory>
#include <string>

#include "rs485/device_setting_interface.h"
#include "server/command_table.h"
#include "server/receive_request_command.h"

namespace tool {

// Turns the body of one commandRequest into the text of its reply: parses
// it, makes the command its name selects and runs it.
//
// Keeps no state between calls: one executor serves every request of a
// server, on as many threads at once as there are requests.
class ReceiveRequestCommandExecutor {
 public:
  // The commands are made from `commands` and given `device`; both must
  // remain live while the executor is used.
  ReceiveRequestCommandExecutor(const CommandTable& commands,
                                DeviceSettingInterface& device);
  virtual ~ReceiveRequestCommandExecutor() = default;

  // The complete reply text, never empty. A body that is not well-formed
  // XML (or declares entities beyond the parser's limits), a missing
  // command element and any exception raised on the way become a FAILURE
  // reply with id "0" and code "400"; an unknown name becomes FAILURE
  // "command not found." with the request's id. Never throws.
  std::string ExecuteRequest(const std::string& body) const;

  // `body` parsed as ExecuteRequest parses a request off the network: UTF-8,
  // no external entities. Throws Poco::XML::XMLException when the body is
  // not well-formed.
  static Poco::AutoPtr<Poco::XML::Document> ParseRequestBody(
      const std::string& body);

  // The command that `commandName` selects, or a FailedRequestCommand when
  // none does. Never empty.
  std::shared_ptr<ReceiveRequestCommand> CreateRequestCommand(
      const std::string& requestId, const std::string& commandName,
      Poco::XML::Node* requestData) const;

 private:
  const CommandTable& commands_;
  DeviceSettingInterface& device_;
};

}  // namespace tool

#endif  // TOOL_SERVER_RECEIVE_REQUEST_COMMAND_EXECUTOR_H_
