#include <Poco/AutoPtr.h>
#include <Poco/DOM/DOMParser.h>
#include <Poco/DOM/Document.h>
#include <Poco/DOM/Element.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "server/command_detail_element.h"
#include "server/command_response_element.h"
#include "server/response_data_element.h"
#include "server/response_data_xml_element.h"
#include "server/send_reply_command.h"
#include "server/simple_element.h"
#include "server/xml_node.h"

namespace tool {
namespace {

std::string Reply(bool success, const std::string& id,
                  std::shared_ptr<CommandDetailElement> detail = nullptr,
                  std::shared_ptr<PVXMLElement> responseData = nullptr) {
  return SendReplyCommand(CommandResponseElement::CreateResponseDocument(
                              success, id, detail, responseData))
      .GetReplyXml();
}

// The element tree of a reply, written compactly, e.g.
// commandResponse[id=7](status(SUCCESS)).
std::string Shape(const Poco::XML::Node* node) {
  if (node->nodeType() == Poco::XML::Node::TEXT_NODE) {
    const std::string text = node->nodeValue();
    return text.find_first_not_of("\n\t ") == std::string::npos ? "" : text;
  }
  std::string shape = node->nodeName();
  const auto* element = static_cast<const Poco::XML::Element*>(node);
  if (element->hasAttribute("id")) {
    shape += "[id=" + element->getAttribute("id") + "]";
  }
  std::string inner;
  for (const Poco::XML::Node* child = node->firstChild(); child != nullptr;
       child = child->nextSibling()) {
    const std::string part = Shape(child);
    if (part.empty()) continue;
    inner += (inner.empty() ? "" : ",") + part;
  }
  return shape + "(" + inner + ")";
}

std::string Shape(const std::string& reply) {
  Poco::XML::DOMParser parser;
  Poco::AutoPtr<Poco::XML::Document> document = parser.parseString(reply);
  return Shape(document->documentElement());
}

TEST(ReplyDocumentTest, SuccessHoldsOnlyTheStatus) {
  const std::string reply = Reply(true, "17");
  EXPECT_EQ(Shape(reply), "commandResponse[id=17](status(SUCCESS))");
  EXPECT_EQ(reply.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u);
  const std::string lastTag = "</commandResponse>";
  const std::string::size_type end = reply.find_last_not_of('\n') + 1;
  EXPECT_EQ(reply.substr(end - lastTag.size(), lastTag.size()), lastTag);
}

TEST(ReplyDocumentTest, DetailWritesCodeAndMessageWhenGiven) {
  EXPECT_EQ(Shape(Reply(false, "9",
                        std::make_shared<CommandDetailElement>(
                            "400", "command not found."))),
            "commandResponse[id=9](status(FAILURE),"
            "detail(code(400),message(command not found.)))");
  EXPECT_EQ(Shape(Reply(false, "0",
                        std::make_shared<CommandDetailElement>("400", ""))),
            "commandResponse[id=0](status(FAILURE),detail(code(400)))");
  EXPECT_EQ(
      Shape(Reply(false, "0", std::make_shared<CommandDetailElement>("", ""))),
      "commandResponse[id=0](status(FAILURE),detail())");
}

TEST(ReplyDocumentTest, TextsAreEscaped) {
  const std::string hostile = "a<b & \"c\" 'd'>";
  const std::string reply = Reply(
      false, hostile, std::make_shared<CommandDetailElement>("400", hostile));
  EXPECT_EQ(Shape(reply), "commandResponse[id=" + hostile +
                              "](status(FAILURE),detail(code(400),message(" +
                              hostile + ")))");
}

TEST(ReplyDocumentTest, EmptyIdIsStillWritten) {
  EXPECT_NE(Reply(true, "").find("<commandResponse id=\"\">"),
            std::string::npos);
}

TEST(ReplyDocumentTest, EmptyPointersLeaveTheDocumentUnchanged) {
  auto data = std::make_shared<ResponseDataElement>();
  data->AddChild(nullptr);
  data->AddChild(std::make_shared<SimpleElement>("value", "5"));
  EXPECT_EQ(Shape(Reply(true, "1", nullptr, data)),
            "commandResponse[id=1](status(SUCCESS),responseData(value(5)))");
  EXPECT_EQ(Reply(true, "1", nullptr, nullptr), Reply(true, "1"));
}

TEST(ReplyDocumentTest, SimpleElementsCarryTheirAttributesEscaped) {
  auto device = std::make_shared<SimpleElement>("device", "");
  device->SetAttribute("channel", "1");
  device->SetAttribute("address", "5");
  device->SetAttribute("channel", "2");  // replaces the first value
  device->SetAttribute("note", "a<b & \"c\"");
  auto data = std::make_shared<ResponseDataElement>();
  data->AddChild(device);
  const std::string reply = Reply(false, "3", nullptr, data);
  EXPECT_NE(reply.find("<device address=\"5\" channel=\"2\" "
                       "note=\"a&lt;b &amp; &quot;c&quot;\"/>"),
            std::string::npos)
      << reply;
  Poco::XML::DOMParser parser;
  Poco::AutoPtr<Poco::XML::Document> document = parser.parseString(reply);
  EXPECT_EQ(document->documentElement()
                ->getChildElement("responseData")
                ->getChildElement("device")
                ->getAttribute("note"),
            "a<b & \"c\"");
}

TEST(ReplyDocumentTest, ResponseDataCarriesACopiedTree) {
  auto tree = std::make_unique<XmlNode>("settings");
  tree->children_.push_back(std::make_unique<XmlNode>("baud"));
  tree->children_.back()->text_ = "9600";
  EXPECT_EQ(
      Shape(Reply(true, "1", nullptr,
                  std::make_shared<ResponseDataXmlElement>(std::move(tree)))),
      "commandResponse[id=1](status(SUCCESS),"
      "responseData(settings(baud(9600))))");
}

// The replies of one thread share their element names; names copied from
// requests must not fill that sharing up until replies fail.
TEST(ReplyDocumentTest, ManyDistinctNamesOverTimeStillRender) {
  for (int i = 0; i < 1000; ++i) {
    const std::string name = "n" + std::to_string(i);
    ASSERT_EQ(
        Shape(Reply(true, "1", nullptr,
                    std::make_shared<ResponseDataXmlElement>(
                        std::make_unique<XmlNode>(name)))),
        "commandResponse[id=1](status(SUCCESS),responseData(" + name + "()))")
        << i;
  }
}

TEST(ReplyDocumentTest, ThreadsRenderAtOnce) {
  std::vector<std::thread> threads;
  std::vector<int> wrong(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &wrong] {
      for (int i = 0; i < 300; ++i) {
        const std::string name =
            "t" + std::to_string(t) + "n" + std::to_string(i % 100);
        const std::string reply =
            Reply(false, std::to_string(i), nullptr,
                  std::make_shared<ResponseDataXmlElement>(
                      std::make_unique<XmlNode>(name)));
        if (reply.find("<" + name + "/>") == std::string::npos) ++wrong[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(wrong, std::vector<int>(4, 0));
}

}  // namespace
}  // namespace tool
