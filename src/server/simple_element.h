#ifndef TOOL_SERVER_SIMPLE_ELEMENT_H_
#define TOOL_SERVER_SIMPLE_ELEMENT_H_

#include <string>
#include <unordered_map>

#include "server/pv_xml_element.h"

namespace tool {

// An element with a free tag name and text, such as code or message.
class SimpleElement : public PVXMLElement {
 public:
  SimpleElement(std::string tagName, std::string text);

  std::string GetTagName() const override;
  void SetAttributes(Poco::XML::Element* element) const override;
  std::string GetText() const override;

  // Stores `value` under `name`, replacing an earlier value.
  void SetAttribute(const std::string& name, const std::string& value);

 private:
  const std::string tagName_;
  const std::string text_;
  std::unordered_map<std::string, std::string> attributes_;
};

}  // namespace tool

#endif  // TOOL_SERVER_SIMPLE_ELEMENT_H_
