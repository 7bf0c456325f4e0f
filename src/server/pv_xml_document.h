#ifndef TOOL_SERVER_PV_XML_DOCUMENT_H_
#define TOOL_SERVER_PV_XML_DOCUMENT_H_

#include <memory>
#include <string>

#include "server/pv_xml_element.h"

namespace tool {

// A reply document: an element tree that renders as XML text. Different
// documents may render on different threads at once.
class PVXMLDocument {
 public:
  // Owns `root` from now on; it must not be null.
  explicit PVXMLDocument(std::unique_ptr<PVXMLElement> root);
  virtual ~PVXMLDocument() = default;

  PVXMLDocument(const PVXMLDocument&) = delete;
  PVXMLDocument& operator=(const PVXMLDocument&) = delete;

  // The XML declaration and the pretty-printed tree, lines ended by "\n".
  // Texts and attribute values are escaped.
  std::string ToXmlString() const;

 private:
  const std::unique_ptr<PVXMLElement> root_;
};

}  // namespace tool

#endif  // TOOL_SERVER_PV_XML_DOCUMENT_H_
