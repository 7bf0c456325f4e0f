#include "server/xml_node.h"

#include <Poco/AutoPtr.h>
#include <Poco/DOM/DOMParser.h>
#include <Poco/DOM/DOMWriter.h>
#include <Poco/DOM/Document.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <unordered_map>

namespace tool {
namespace {

// The tree of the document element of `xml`.
std::unique_ptr<XmlNode> Tree(const std::string& xml) {
  Poco::XML::DOMParser parser;
  Poco::AutoPtr<Poco::XML::Document> document = parser.parseString(xml);
  return std::make_unique<XmlNode>(nullptr, document->documentElement());
}

TEST(XmlNodeTest, CopiesNameAttributesAndText) {
  const auto tree = Tree("<item x=\"1\" y=\"\">2</item>");
  EXPECT_EQ(tree->name_, "item");
  EXPECT_EQ(tree->attributes_, (std::unordered_map<std::string, std::string>{
                                   {"x", "1"}, {"y", ""}}));
  EXPECT_EQ(tree->text_, "2");
  EXPECT_EQ(tree->GetAttribute("x"), "1");
  EXPECT_EQ(tree->GetAttribute("z"), "");
  EXPECT_TRUE(tree->children_.empty());
}

TEST(XmlNodeTest, TextRules) {
  EXPECT_EQ(Tree("<item><![CDATA[9600]]></item>")->text_, "");
  EXPECT_EQ(Tree("<item>96<!-- cut -->00</item>")->text_, "00");
  // Text is not trimmed: the whitespace after the last child stays.
  const auto container = Tree("<data>\n  <a>1</a>\n  <b>2</b>\n</data>");
  EXPECT_EQ(container->text_, "\n");
  EXPECT_EQ(container->GetChildText("b"), "2");
  EXPECT_EQ(container->GetChildText("c"), "");
  EXPECT_EQ(Tree("<d><a>1</a><a>2</a></d>")->GetChildText("a"), "1");
}

TEST(XmlNodeTest, OnlyTheTopNodeRecordsItsNamespace) {
  const auto tree =
      Tree("<p:top xmlns:p=\"urn:top\"><p:child/><plain/></p:top>");
  EXPECT_EQ(tree->name_, "p:top");
  EXPECT_EQ(tree->GetAttribute("xmlns"), "urn:top");
  ASSERT_EQ(tree->children_.size(), 2u);
  EXPECT_EQ(tree->children_[0]->name_, "p:child");
  EXPECT_EQ(tree->children_[0]->attributes_.count("xmlns"), 0u);
}

TEST(XmlNodeTest, NullDomNodeGivesAnEmptyNode) {
  const XmlNode node(nullptr, nullptr);
  EXPECT_EQ(node.name_, "");
  EXPECT_TRUE(node.children_.empty());
  EXPECT_EQ(node.FindNode("a"), nullptr);
}

TEST(XmlNodeTest, FindNodeTakesTheLastMatchOfEachLevel) {
  const auto tree = Tree(
      "<r><a><b>first</b></a><a><b>second</b></a>"
      "<item x=\"1\">one</item><item x=\"2\">two</item>"
      "<item x=\"1\">three</item></r>");
  ASSERT_NE(tree->FindNode("a/b"), nullptr);
  EXPECT_EQ(tree->FindNode("a/b")->text_, "second");
  EXPECT_EQ(tree->FindNode("item[x:1]")->text_, "three");
  EXPECT_EQ(tree->FindNode("item[x:2]")->text_, "two");
  EXPECT_EQ(tree->FindNode("item")->text_, "three");
  EXPECT_EQ(tree->FindNode("item[x:3]"), nullptr);
}

TEST(XmlNodeTest, FindNodeMissesWhatTheLastMatchLacks) {
  const auto tree = Tree("<r><a><b/></a><a/></r>");
  EXPECT_EQ(tree->FindNode("a/b"), nullptr);
}

TEST(XmlNodeTest, FindNodeFindsNothingForEmptyOrUnusualSteps) {
  const auto tree = Tree("<r><a><b/></a><item x=\"a-b\"/></r>");
  EXPECT_NE(tree->FindNode("a"), nullptr);
  EXPECT_EQ(tree->FindNode("/a"), nullptr);
  EXPECT_EQ(tree->FindNode("a/"), nullptr);
  EXPECT_EQ(tree->FindNode("a//b"), nullptr);
  EXPECT_EQ(tree->FindNode(""), nullptr);
  EXPECT_EQ(tree->FindNode("r"), nullptr);  // the search starts below
  EXPECT_EQ(tree->FindNode("item[x:a-b]"), nullptr);
}

std::string Render(const XmlNode& node) {
  Poco::AutoPtr<Poco::XML::Document> document = new Poco::XML::Document;
  document->appendChild(node.ToDomElement(document));
  std::ostringstream text;
  Poco::XML::DOMWriter().writeNode(text, document);
  return text.str();
}

TEST(XmlNodeTest, ToDomElementDropsTextBesideChildren) {
  EXPECT_EQ(Render(*Tree("<a k=\"v\">lost<b>kept</b><c/></a>")),
            "<a k=\"v\"><b>kept</b><c/></a>");
  EXPECT_EQ(Render(XmlNode("empty")), "<empty/>");
}

}  // namespace
}  // namespace tool
