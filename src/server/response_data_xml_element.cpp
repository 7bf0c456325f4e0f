#include "server/response_data_xml_element.h"

#include <utility>

namespace tool {

ResponseDataXmlElement::ResponseDataXmlElement(std::unique_ptr<XmlNode> node)
    : node_(std::move(node)) {}

std::string ResponseDataXmlElement::GetTagName() const {
  return "responseData";
}

Poco::AutoPtr<Poco::XML::Element> ResponseDataXmlElement::CreateElement(
    Poco::XML::Document* document) const {
  Poco::AutoPtr<Poco::XML::Element> element =
      document->createElement(GetTagName());
  if (node_) element->appendChild(node_->ToDomElement(document));
  return element;
}

}  // namespace tool
