#ifndef TOOL_SERVER_SIMPLE_ELEMENT_H_
#define TOOL_SERVER_SIMPLE_ELEMENT_H_

#include <string>
#include <utility>
#include <vector>

#include "server/pv_xml_element.h"

namespace tool {

// An element with a free tag name, text and attributes, such as code,
// message or the items of a responseData.
class SimpleElement : public PVXMLElement {
 public:
  SimpleElement(std::string tagName, std::string text);

  // Stores `value` under `name`, replacing an earlier value. The XML
  // writer puts the attributes in the order of their names.
  void SetAttribute(const std::string& name, const std::string& value);

  std::string GetTagName() const override;
  void SetAttributes(Poco::XML::Element* element) const override;
  std::string GetText() const override;

 private:
  const std::string tagName_;
  const std::string text_;
  std::vector<std::pair<std::string, std::string>> attributes_;
};

}  // namespace tool

#endif  // TOOL_SERVER_SIMPLE_ELEMENT_H_
