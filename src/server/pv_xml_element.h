#ifndef TOOL_SERVER_PV_XML_ELEMENT_H_
#define TOOL_SERVER_PV_XML_ELEMENT_H_

#include <Poco/AutoPtr.h>
#include <Poco/DOM/Document.h>
#include <Poco/DOM/Element.h>

#include <memory>
#include <string>
#include <vector>

namespace tool {

// One element of a reply document, able to build itself as an element of a
// DOM document. Subclasses fix the tag name, the attributes and the text;
// children are added in the order in which they are to be written.
//
// An element tree belongs to one request and one thread.
class PVXMLElement {
 public:
  PVXMLElement() = default;
  virtual ~PVXMLElement() = default;

  PVXMLElement(const PVXMLElement&) = delete;
  PVXMLElement& operator=(const PVXMLElement&) = delete;

  virtual std::string GetTagName() const = 0;
  // Puts this element's attributes on `element`, just created. None here.
  virtual void SetAttributes(Poco::XML::Element* element) const;
  // The element's own text, written before its children. None here.
  virtual std::string GetText() const;
  // A new element of `document`: tag, attributes, text, then each child.
  virtual Poco::AutoPtr<Poco::XML::Element> CreateElement(
      Poco::XML::Document* document) const;

  // Appends `child`; an empty pointer is ignored. The child may be shared
  // with other holders.
  void AddChild(std::shared_ptr<PVXMLElement> child);

 protected:
  std::vector<std::shared_ptr<PVXMLElement>> children_;
};

}  // namespace tool

#endif  // TOOL_SERVER_PV_XML_ELEMENT_H_
