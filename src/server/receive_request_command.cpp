#include "server/receive_request_command.h"

#include <utility>

#include "log/logger_log.h"
#include "server/command_response_element.h"
#include "server/xml_node.h"

namespace tool {

ReceiveRequestCommand::ReceiveRequestCommand(std::string requestId,
                                             std::string commandName,
                                             Poco::XML::Node* requestData,
                                             DeviceSettingInterface& device)
    : requestId_(std::move(requestId)),
      commandName_(std::move(commandName)),
      requestData_(requestData),
      device_(device) {}

std::shared_ptr<SendReplyCommand> ReceiveRequestCommand::Execute() {
  return nullptr;
}

void ReceiveRequestCommand::SetTagValue(const std::string&,
                                        const std::string&) {}

bool ReceiveRequestCommand::ReadRequestItems(const char* tag) {
  if (requestData_ == nullptr) {
    LoggerLog::Error(tag, "Execute requestData not found.");
    return false;
  }
  const XmlNode tree(nullptr, requestData_);
  for (const auto& child : tree.children_) {
    SetTagValue(child->GetAttribute("x"), child->text_);
  }
  return true;
}

bool ReceiveRequestCommand::QueueFrame(
    FrameList& frames, const std::shared_ptr<ByteDataHolder>& commandBytes,
    const char* tag, const char* error) {
  if (!commandBytes) {
    LoggerLog::Error(tag, error);
    return false;
  }
  frames.Queue(tag, *commandBytes);
  return true;
}

bool ReceiveRequestCommand::SendFrames(const DeviceConnectionParams& params,
                                       const FrameList& frames,
                                       const char* tag) {
  if (!device_.DeviceSettingConnection(params, frames.GetDataList(),
                                       frames.GetSizeList())) {
    LoggerLog::Error(tag, "ExecuteSendDeviceCommand.");
    return false;
  }
  return true;
}

std::shared_ptr<SendReplyCommand> ReceiveRequestCommand::CreateSuccessReply(
    const char* tag) const {
  auto reply = std::make_shared<SendReplyCommand>(
      CommandResponseElement::CreateResponseDocument(true, requestId_, nullptr,
                                                     nullptr));
  LoggerLog::Debug(tag, "### Create success reply");
  return reply;
}

std::shared_ptr<SendReplyCommand> ReceiveRequestCommand::CreateFailedReply(
    const char* tag) const {
  LoggerLog::Debug(tag, "### Create failed reply");
  return std::make_shared<SendReplyCommand>(
      CommandResponseElement::CreateResponseDocument(false, requestId_, nullptr,
                                                     nullptr));
}

}  // namespace tool
