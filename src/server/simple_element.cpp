#include "server/simple_element.h"

#include <utility>

namespace tool {

SimpleElement::SimpleElement(std::string tagName, std::string text)
    : tagName_(std::move(tagName)), text_(std::move(text)) {}

void SimpleElement::SetAttribute(const std::string& name,
                                 const std::string& value) {
  for (auto& attribute : attributes_) {
    if (attribute.first == name) {
      attribute.second = value;
      return;
    }
  }
  attributes_.emplace_back(name, value);
}

std::string SimpleElement::GetTagName() const { return tagName_; }

void SimpleElement::SetAttributes(Poco::XML::Element* element) const {
  for (const auto& attribute : attributes_) {
    element->setAttribute(attribute.first, attribute.second);
  }
}

std::string SimpleElement::GetText() const { return text_; }

}  // namespace tool
