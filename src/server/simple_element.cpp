#include "server/simple_element.h"

#include <utility>

namespace tool {

SimpleElement::SimpleElement(std::string tagName, std::string text)
    : tagName_(std::move(tagName)), text_(std::move(text)) {}

std::string SimpleElement::GetTagName() const { return tagName_; }

std::string SimpleElement::GetText() const { return text_; }

}  // namespace tool
