#include "server/xml_node.h"

#include <Poco/AutoPtr.h>
#include <Poco/DOM/NamedNodeMap.h>
#include <Poco/DOM/NodeList.h>
#include <Poco/DOM/Text.h>
#include <Poco/RegularExpression.h>

namespace tool {
namespace {

// One path step of the form name[attribute:value].
const Poco::RegularExpression& StepExpression() {
  static const Poco::RegularExpression expression(
      "([a-zA-Z0-9]+)\\[([a-zA-Z0-9]+):([a-zA-Z0-9]+)\\]", 0, true);
  return expression;
}

// The step with its first match of the step expression replaced by
// `group`; `unmatched` when the step does not match.
std::string ReplaceStep(const std::string& step, const std::string& group,
                        const std::string& unmatched) {
  std::string result = step;
  return StepExpression().subst(result, group) > 0 ? result : unmatched;
}

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> steps;
  std::string::size_type begin = 0;
  for (;;) {
    const std::string::size_type end = path.find('/', begin);
    steps.push_back(path.substr(begin, end - begin));
    if (end == std::string::npos) return steps;
    begin = end + 1;
  }
}

}  // namespace

XmlNode::XmlNode(const XmlNode* parent, const Poco::XML::Node* node) {
  if (node == nullptr) return;
  name_ = node->nodeName();
  Poco::AutoPtr<Poco::XML::NamedNodeMap> attributes = node->attributes();
  if (!attributes.isNull()) {
    for (unsigned long i = 0; i < attributes->length(); ++i) {
      const Poco::XML::Node* attribute = attributes->item(i);
      attributes_[attribute->nodeName()] = attribute->nodeValue();
    }
  }
  if (parent == nullptr && !node->namespaceURI().empty()) {
    attributes_["xmlns"] = node->namespaceURI();
  }
  for (const Poco::XML::Node* child = node->firstChild(); child != nullptr;
       child = child->nextSibling()) {
    switch (child->nodeType()) {
      case Poco::XML::Node::TEXT_NODE:
        text_ = child->nodeValue();
        break;
      case Poco::XML::Node::ELEMENT_NODE:
        children_.push_back(std::make_unique<XmlNode>(this, child));
        break;
      default:
        break;
    }
  }
}

XmlNode::XmlNode(const std::string& name) : name_(name) {}

std::string XmlNode::GetAttribute(const std::string& name) const {
  const auto found = attributes_.find(name);
  return found == attributes_.end() ? std::string() : found->second;
}

std::string XmlNode::GetChildText(const std::string& name) const {
  for (const auto& child : children_) {
    if (child->name_ == name) return child->text_;
  }
  return std::string();
}

XmlNode* XmlNode::FindNode(const std::string& path) const {
  const std::vector<std::unique_ptr<XmlNode>>* level = &children_;
  XmlNode* match = nullptr;
  for (const std::string& step : SplitPath(path)) {
    const std::string name = ReplaceStep(step, "$1", step);
    const std::string attributeName = ReplaceStep(step, "$2", "");
    const std::string attributeValue = ReplaceStep(step, "$3", "");
    match = nullptr;
    for (const auto& node : *level) {
      if (node->name_ == name &&
          (attributeName.empty() ||
           node->GetAttribute(attributeName) == attributeValue)) {
        match = node.get();
      }
    }
    if (match == nullptr) return nullptr;
    level = &match->children_;
  }
  return match;
}

Poco::AutoPtr<Poco::XML::Element> XmlNode::ToDomElement(
    Poco::XML::Document* document) const {
  Poco::AutoPtr<Poco::XML::Element> element = document->createElement(name_);
  for (const auto& [name, value] : attributes_) {
    element->setAttribute(name, value);
  }
  if (!children_.empty()) {
    for (const auto& child : children_) {
      element->appendChild(child->ToDomElement(document));
    }
  } else if (!text_.empty()) {
    Poco::AutoPtr<Poco::XML::Text> text = document->createTextNode(text_);
    element->appendChild(text);
  }
  return element;
}

}  // namespace tool
