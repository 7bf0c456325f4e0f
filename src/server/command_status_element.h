#ifndef TOOL_SERVER_COMMAND_STATUS_ELEMENT_H_
#define TOOL_SERVER_COMMAND_STATUS_ELEMENT_H_

#include <string>

#include "server/pv_xml_element.h"

namespace tool {

// The reply's status element: "SUCCESS" or "FAILURE".
class CommandStatusElement : public PVXMLElement {
 public:
  explicit CommandStatusElement(bool success);

  std::string GetTagName() const override;
  std::string GetText() const override;

 private:
  const bool success_;
};

}  // namespace tool

#endif  // TOOL_SERVER_COMMAND_STATUS_ELEMENT_H_
