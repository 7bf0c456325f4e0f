#include "server/receive_request_command_executor.h"

#include <Poco/AutoPtr.h>
#include <Poco/DOM/DOMParser.h>
#include <Poco/DOM/Document.h>
#include <Poco/DOM/Element.h>
#include <Poco/Exception.h>
#include <Poco/SAX/XMLReader.h>
#include <Poco/XML/XMLException.h>

#include <exception>

#include "log/logger_log.h"
#include "server/command_detail_element.h"
#include "server/failed_request_command.h"

namespace tool {
namespace {

constexpr char kTag[] = "ReceiveRequestCommandExecutor";

}  // namespace

ReceiveRequestCommandExecutor::ReceiveRequestCommandExecutor(
    const CommandTable& commands, DeviceSettingInterface& device)
    : commands_(commands), device_(device) {}

Poco::AutoPtr<Poco::XML::Document>
ReceiveRequestCommandExecutor::ParseRequestBody(const std::string& body) {
  Poco::XML::DOMParser parser(nullptr);
  parser.setEncoding("UTF-8");
  // Requests come from the network: no entity may pull in a file or a
  // URL. Expat's amplification limit stops entity-expansion bombs.
  parser.setFeature(Poco::XML::XMLReader::FEATURE_EXTERNAL_GENERAL_ENTITIES,
                    false);
  parser.setFeature(Poco::XML::XMLReader::FEATURE_EXTERNAL_PARAMETER_ENTITIES,
                    false);
  return parser.parseString(body);
}

std::string ReceiveRequestCommandExecutor::ExecuteRequest(
    const std::string& body) const {
  std::string error;
  try {
    Poco::AutoPtr<Poco::XML::Document> document = ParseRequestBody(body);
    Poco::XML::Node* command =
        document->getNodeByPath("/commandRequest/command");
    if (command != nullptr) {
      // The command element can only be found under a commandRequest root.
      const auto* root = static_cast<const Poco::XML::Element*>(
          document->getNodeByPath("/commandRequest"));
      const std::string requestId = root->getAttribute("id");
      const std::string commandName = command->innerText();
      Poco::XML::Node* requestData =
          document->getNodeByPath("/commandRequest/requestData");
      // The command and its reply go before the document they refer to.
      const std::shared_ptr<SendReplyCommand> reply =
          CreateRequestCommand(requestId, commandName, requestData)->Execute();
      if (reply) return reply->GetReplyXml();
      error = "command \"" + commandName + "\" gave no reply.";
      LoggerLog::Error(kTag, error);
    }
  } catch (const Poco::XML::XMLException& e) {
    error = e.displayText();
    LoggerLog::Warn(kTag, "XMLException [" + error + "]");
  } catch (const Poco::Exception& e) {
    error = e.displayText();
    LoggerLog::Warn(kTag, "Exception [" + error + "]");
  } catch (const std::exception& e) {
    error = e.what();
    LoggerLog::Warn(kTag, "Exception [" + error + "]");
  }
  return FailedRequestCommand::ReplyText("0", error);
}

std::shared_ptr<ReceiveRequestCommand>
ReceiveRequestCommandExecutor::CreateRequestCommand(
    const std::string& requestId, const std::string& commandName,
    Poco::XML::Node* requestData) const {
  for (std::size_t i = 0; i < commands_.size; ++i) {
    const CommandEntry& entry = commands_.entries[i];
    if (commandName == entry.name) {
      return entry.create(requestId, commandName, requestData, device_);
    }
  }
  return std::make_shared<FailedRequestCommand>(
      requestId,
      std::make_shared<CommandDetailElement>("400", "command not found."));
}

}  // namespace tool
