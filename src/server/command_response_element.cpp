#include "server/command_response_element.h"

#include <utility>

#include "server/command_status_element.h"

namespace tool {

CommandResponseElement::CommandResponseElement(std::string requestId)
    : requestId_(std::move(requestId)) {}

std::unique_ptr<PVXMLDocument> CommandResponseElement::CreateResponseDocument(
    bool success, const std::string& requestId,
    std::shared_ptr<CommandDetailElement> detail,
    std::shared_ptr<PVXMLElement> responseData) {
  auto root = std::make_unique<CommandResponseElement>(requestId);
  root->AddChild(std::make_shared<CommandStatusElement>(success));
  root->AddChild(std::move(detail));
  root->AddChild(std::move(responseData));
  return std::make_unique<PVXMLDocument>(std::move(root));
}

std::string CommandResponseElement::GetTagName() const {
  return "commandResponse";
}

void CommandResponseElement::SetAttributes(Poco::XML::Element* element) const {
  element->setAttribute("id", requestId_);
}

}  // namespace tool
