#include "server/pv_xml_element.h"

#include <Poco/DOM/Text.h>

#include <utility>

namespace tool {

void PVXMLElement::SetAttributes(Poco::XML::Element*) const {}

std::string PVXMLElement::GetText() const { return std::string(); }

Poco::AutoPtr<Poco::XML::Element> PVXMLElement::CreateElement(
    Poco::XML::Document* document) const {
  Poco::AutoPtr<Poco::XML::Element> element =
      document->createElement(GetTagName());
  SetAttributes(element);
  const std::string text = GetText();
  if (!text.empty()) {
    Poco::AutoPtr<Poco::XML::Text> textNode = document->createTextNode(text);
    element->appendChild(textNode);
  }
  for (const auto& child : children_) {
    element->appendChild(child->CreateElement(document));
  }
  return element;
}

void PVXMLElement::AddChild(std::shared_ptr<PVXMLElement> child) {
  if (child) children_.push_back(std::move(child));
}

}  // namespace tool
