#include "server/pv_xml_document.h"

#include <Poco/AutoPtr.h>
#include <Poco/DOM/DOMWriter.h>
#include <Poco/DOM/Document.h>
#include <Poco/Exception.h>
#include <Poco/XML/NamePool.h>
#include <Poco/XML/XMLWriter.h>

#include <sstream>
#include <utility>

namespace tool {
namespace {

// The element and attribute names of the replies this thread renders. A
// document with a pool of its own would seed the pool's hash salt from
// /dev/urandom for every reply; the names of replies repeat, so one pool
// per thread serves them all. Replies may carry trees copied from
// requests, so the names can accumulate until the pool is full: then
// ToXmlString starts a new one.
Poco::AutoPtr<Poco::XML::NamePool>& ThreadNamePool() {
  thread_local Poco::AutoPtr<Poco::XML::NamePool> pool;
  if (pool.isNull()) pool = new Poco::XML::NamePool;
  return pool;
}

std::string Render(const PVXMLElement& root, Poco::XML::NamePool* names) {
  Poco::AutoPtr<Poco::XML::Document> document = new Poco::XML::Document(names);
  document->appendChild(root.CreateElement(document));
  Poco::XML::DOMWriter writer;
  writer.setNewLine("\n");
  writer.setOptions(Poco::XML::XMLWriter::WRITE_XML_DECLARATION |
                    Poco::XML::XMLWriter::PRETTY_PRINT);
  std::ostringstream text;
  writer.writeNode(text, document);
  return text.str();
}

}  // namespace

PVXMLDocument::PVXMLDocument(std::unique_ptr<PVXMLElement> root)
    : root_(std::move(root)) {}

std::string PVXMLDocument::ToXmlString() const {
  Poco::AutoPtr<Poco::XML::NamePool>& names = ThreadNamePool();
  try {
    return Render(*root_, names);
  } catch (const Poco::PoolOverflowException&) {
    // Full of earlier replies' names: this reply gets an empty pool, which
    // then serves the thread's next replies. A reply whose own names do not
    // fit throws as before.
    names = new Poco::XML::NamePool;
    return Render(*root_, names);
  }
}

}  // namespace tool
