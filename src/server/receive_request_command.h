#ifndef TOOL_SERVER_RECEIVE_REQUEST_COMMAND_H_
#define TOOL_SERVER_RECEIVE_REQUEST_COMMAND_H_

#include <Poco/DOM/Node.h>

#include <memory>
#include <string>

#include "protocol/frame_list.h"
#include "rs485/byte_data_holder.h"
#include "rs485/device_connection_params.h"
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

  // Keeps the value of one request item, selected by its tag (the "x"
  // attribute). The base keeps nothing.
  virtual void SetTagValue(const std::string& tag, const std::string& value);

 protected:
  // The shapes every device command shares. Each logs under the command's
  // log `tag`; a false result means the command fails with
  // CreateFailedReply.

  // Hands each child element of requestData, in document order, to
  // SetTagValue: its "x" attribute ("" when it has none) and its text.
  // False, with the Error line "Execute requestData not found.", when the
  // request has no requestData: the command then fails unsent.
  bool ReadRequestItems(const char* tag);

  // Adds `commandBytes`, the frame a protocol's CreateCommand built, to
  // `frames`, logging it at Debug. False, with the Error line `error`, when
  // the frame could not be built (empty).
  static bool QueueFrame(FrameList& frames,
                         const std::shared_ptr<ByteDataHolder>& commandBytes,
                         const char* tag,
                         const char* error = "Execute Send Data Create Error.");

  // Sends `frames` over one device-setting connection at `params`
  // (DeviceSettingConnection). False, with the Error line
  // "ExecuteSendDeviceCommand.", when one was not answered well.
  bool SendFrames(const DeviceConnectionParams& params, const FrameList& frames,
                  const char* tag);

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
