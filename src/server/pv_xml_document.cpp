#include "server/pv_xml_document.h"

#include <Poco/DOM/DOMWriter.h>
#include <Poco/XML/XMLWriter.h>

#include <sstream>
#include <utility>

namespace tool {

PVXMLDocument::PVXMLDocument(std::unique_ptr<PVXMLElement> root)
    : root_(std::move(root)) {}

std::string PVXMLDocument::ToXmlString() const {
  Poco::AutoPtr<Poco::XML::Document> document =
      new Poco::XML::Document(static_cast<Poco::XML::NamePool*>(nullptr));
  document->appendChild(root_->CreateElement(document));
  Poco::XML::DOMWriter writer;
  writer.setNewLine("\n");
  writer.setOptions(Poco::XML::XMLWriter::WRITE_XML_DECLARATION |
                    Poco::XML::XMLWriter::PRETTY_PRINT);
  std::ostringstream text;
  writer.writeNode(text, document);
  return text.str();
}

}  // namespace tool
