#ifndef TOOL_SERVER_RESPONSE_DATA_XML_ELEMENT_H_
#define TOOL_SERVER_RESPONSE_DATA_XML_ELEMENT_H_

#include <memory>
#include <string>

#include "server/pv_xml_element.h"
#include "server/xml_node.h"

namespace tool {

// A responseData element that carries a copied XML tree. Only the tree is
// written: children added to this object are not.
class ResponseDataXmlElement : public PVXMLElement {
 public:
  // Takes over `node`. A null tree writes an empty responseData element.
  explicit ResponseDataXmlElement(std::unique_ptr<XmlNode> node);

  std::string GetTagName() const override;
  Poco::AutoPtr<Poco::XML::Element> CreateElement(
      Poco::XML::Document* document) const override;

 private:
  const std::unique_ptr<XmlNode> node_;
};

}  // namespace tool

#endif  // TOOL_SERVER_RESPONSE_DATA_XML_ELEMENT_H_
