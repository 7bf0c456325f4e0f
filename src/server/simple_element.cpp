#include "server/simple_element.h"

#include <utility>

namespace tool {

SimpleElement::SimpleElement(std::string tagName, std::string text)
    : tagName_(std::move(tagName)), text_(std::move(text)) {}

std::string SimpleElement::GetTagName() const { return tagName_; }

void SimpleElement::SetAttributes(Poco::XML::Element* element) const {
  for (const auto& [name, value] : attributes_) {
    element->setAttribute(name, value);
  }
}

std::string SimpleElement::GetText() const { return text_; }

void SimpleElement::SetAttribute(const std::string& name,
                                 const std::string& value) {
  attributes_[name] = value;
}

}  // namespace tool
