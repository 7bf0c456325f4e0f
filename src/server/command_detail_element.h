#ifndef TOOL_SERVER_COMMAND_DETAIL_ELEMENT_H_
#define TOOL_SERVER_COMMAND_DETAIL_ELEMENT_H_

#include <string>

#include "server/pv_xml_element.h"

namespace tool {

// The reply's detail element: a code child and then a message child, each
// left out when its text is empty.
class CommandDetailElement : public PVXMLElement {
 public:
  CommandDetailElement(const std::string& code, const std::string& message);

  std::string GetTagName() const override;
};

}  // namespace tool

#endif  // TOOL_SERVER_COMMAND_DETAIL_ELEMENT_H_
