#include "server/command_status_element.h"

namespace tool {

CommandStatusElement::CommandStatusElement(bool success) : success_(success) {}

std::string CommandStatusElement::GetTagName() const { return "status"; }

std::string CommandStatusElement::GetText() const {
  return success_ ? "SUCCESS" : "FAILURE";
}

}  // namespace tool
