#ifndef TOOL_SERVER_SIMPLE_ELEMENT_H_
#define TOOL_SERVER_SIMPLE_ELEMENT_H_

#include <string>

#include "server/pv_xml_element.h"

namespace tool {

// An element with a free tag name and text, such as code or message.
class SimpleElement : public PVXMLElement {
 public:
  SimpleElement(std::string tagName, std::string text);

  std::string GetTagName() const override;
  std::string GetText() const override;

 private:
  const std::string tagName_;
  const std::string text_;
};

}  // namespace tool

#endif  // TOOL_SERVER_SIMPLE_ELEMENT_H_
