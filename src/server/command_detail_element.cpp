#include "server/command_detail_element.h"

#include <memory>

#include "server/simple_element.h"

namespace tool {

CommandDetailElement::CommandDetailElement(const std::string& code,
                                           const std::string& message) {
  if (!code.empty()) AddChild(std::make_shared<SimpleElement>("code", code));
  if (!message.empty()) {
    AddChild(std::make_shared<SimpleElement>("message", message));
  }
}

std::string CommandDetailElement::GetTagName() const { return "detail"; }

}  // namespace tool
