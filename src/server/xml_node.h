#ifndef TOOL_SERVER_XML_NODE_H_
#define TOOL_SERVER_XML_NODE_H_

#include <Poco/AutoPtr.h>
#include <Poco/DOM/Document.h>
#include <Poco/DOM/Element.h>
#include <Poco/DOM/Node.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace tool {

// An owned copy of one XML element and everything below it: name,
// attributes, text and child elements. Code that reads XML input copies the
// element it needs once and then walks plain members; the tree keeps no
// reference to the DOM document it came from, so it may outlive it.
//
// A tree belongs to the thread that built it; it takes no lock.
class XmlNode {
 public:
  // Copies `node` and every element below it. `parent` is null for the top
  // node of a tree; only the top node records its namespace URI under
  // "xmlns". Text pieces replace each other, so the last one stays; CDATA
  // sections, comments, processing instructions and entity references are
  // skipped. A null `node` gives a node with no name, text or children.
  XmlNode(const XmlNode* parent, const Poco::XML::Node* node);
  // A node with this name and nothing else.
  explicit XmlNode(const std::string& name);
  virtual ~XmlNode() = default;

  XmlNode(const XmlNode&) = delete;
  XmlNode& operator=(const XmlNode&) = delete;

  // The attribute's value, or "" when there is none of that name.
  std::string GetAttribute(const std::string& name) const;

  // The text of the first child named `name`, or "" when none is.
  std::string GetChildText(const std::string& name) const;

  // The node that `path` names below this node, or null. Steps are separated
  // by "/" and are either a name or name[attribute:value], with attribute
  // and value of ASCII letters and digits only. On each level the last
  // qualifying node wins. An empty step (a leading, trailing or doubled "/")
  // finds nothing. The node stays owned by the tree.
  XmlNode* FindNode(const std::string& path) const;

  // A new element of `document` built from this node and everything below
  // it. A node with children writes them and drops its own text.
  Poco::AutoPtr<Poco::XML::Element> ToDomElement(
      Poco::XML::Document* document) const;

  std::string name_;
  std::unordered_map<std::string, std::string> attributes_;
  std::string text_;
  std::vector<std::unique_ptr<XmlNode>> children_;
};

}  // namespace tool

#endif  // TOOL_SERVER_XML_NODE_H_
