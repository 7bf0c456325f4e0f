#include "server/receive_request_command_executor.h"

#include <Poco/AutoPtr.h>
#include <Poco/DOM/DOMParser.h>
#include <Poco/DOM/Document.h>
#include <Poco/DOM/Element.h>
#include <Poco/Exception.h>
#include <gtest/gtest.h>

#include <iterator>
#include <new>
#include <string>

#include "command/weather/skylet_profile.h"
#include "server/command_response_element.h"
#include "server/xml_node.h"

namespace tool {
namespace {

struct Reply {
  std::string id;
  std::string status;
  std::string code;     // "-" when the reply has no detail
  std::string message;  // "-" when the detail has no message
};

std::string TextAt(const Poco::XML::Document& document,
                   const std::string& path) {
  const Poco::XML::Node* node = document.getNodeByPath(path);
  return node == nullptr ? "-" : node->innerText();
}

Reply Parse(const std::string& text) {
  Poco::XML::DOMParser parser;
  Poco::AutoPtr<Poco::XML::Document> document = parser.parseString(text);
  return {document->documentElement()->getAttribute("id"),
          TextAt(*document, "/commandResponse/status"),
          TextAt(*document, "/commandResponse/detail/code"),
          TextAt(*document, "/commandResponse/detail/message")};
}

// Answers SUCCESS with the value of its requestData item, so a test sees
// which command ran and what it was given.
class EchoCommand : public ReceiveRequestCommand {
 public:
  using ReceiveRequestCommand::ReceiveRequestCommand;
  std::shared_ptr<SendReplyCommand> Execute() override {
    const XmlNode data(nullptr, requestData_);
    const std::string value =
        data.children_.empty() ? "no data" : data.children_[0]->text_;
    return std::make_shared<SendReplyCommand>(
        CommandResponseElement::CreateResponseDocument(
            true, requestId_ + ":" + commandName_ + ":" + value, nullptr,
            nullptr));
  }
};

class ThrowingCommand : public ReceiveRequestCommand {
 public:
  using ReceiveRequestCommand::ReceiveRequestCommand;
  std::shared_ptr<SendReplyCommand> Execute() override {
    if (commandName_ == "ThrowPoco") throw Poco::IOException("line <down>");
    throw std::bad_alloc();
  }
};

constexpr CommandEntry kEntries[] = {
    {"Echo", MakeCommand<EchoCommand>},
    {"Echo", MakeCommand<ThrowingCommand>},  // shadowed by the first
    {"ThrowPoco", MakeCommand<ThrowingCommand>},
    {"ThrowStd", MakeCommand<ThrowingCommand>},
    {"Silent", MakeCommand<ReceiveRequestCommand>},
};
constexpr CommandTable kTable = {kEntries, std::size(kEntries)};

Reply Execute(const std::string& body) {
  DeviceSettingInterface noDevice;
  return Parse(
      ReceiveRequestCommandExecutor(kTable, noDevice).ExecuteRequest(body));
}

std::string Request(const std::string& command,
                    const std::string& idAttribute = " id=\"5\"") {
  return "<commandRequest" + idAttribute + "><command>" + command +
         "</command><requestData><item x=\"a\">7</item></requestData>"
         "</commandRequest>";
}

void ExpectReply(const Reply& reply, const Reply& expected) {
  EXPECT_EQ(reply.id, expected.id);
  EXPECT_EQ(reply.status, expected.status);
  EXPECT_EQ(reply.code, expected.code);
  EXPECT_EQ(reply.message, expected.message);
}

TEST(ExecutorTest, KnownNameRunsItsCommandWithIdAndRequestData) {
  ExpectReply(Execute(Request("Echo")), {"5:Echo:7", "SUCCESS", "-", "-"});
  ExpectReply(Execute("<commandRequest id=\"5\"><command>Echo</command>"
                      "</commandRequest>"),
              {"5:Echo:no data", "SUCCESS", "-", "-"});
}

TEST(ExecutorTest, UnknownNamesAreNotFoundWithTheRequestsId) {
  for (const char* name : {"Other", "echo", " Echo", "Echo\n", ""}) {
    ExpectReply(Execute(Request(name)),
                {"5", "FAILURE", "400", "command not found."});
  }
}

TEST(ExecutorTest, CommandNameIsAllTextOfItsElement) {
  ExpectReply(Execute(Request("Ec<!-- split -->ho")),
              {"5:Echo:7", "SUCCESS", "-", "-"});
}

TEST(ExecutorTest, FirstCommandElementDecides) {
  ExpectReply(Execute("<commandRequest id=\"5\"><command>Other</command>"
                      "<command>Echo</command></commandRequest>"),
              {"5", "FAILURE", "400", "command not found."});
}

TEST(ExecutorTest, EmptyOrMissingIdGivesEmptyId) {
  ExpectReply(Execute(Request("Other", " id=\"\"")),
              {"", "FAILURE", "400", "command not found."});
  ExpectReply(Execute(Request("Other", "")),
              {"", "FAILURE", "400", "command not found."});
}

TEST(ExecutorTest, MissingCommandElementGivesCodeOnly) {
  ExpectReply(Execute("<commandRequest id=\"5\"/>"),
              {"0", "FAILURE", "400", "-"});
  ExpectReply(Execute("<otherRequest id=\"5\"><command>Echo</command>"
                      "</otherRequest>"),
              {"0", "FAILURE", "400", "-"});
}

TEST(ExecutorTest, BodyThatIsNotXmlGivesTheParserText) {
  for (const char* body : {"", "not xml", "<commandRequest id=\"5\">"}) {
    const Reply reply = Execute(body);
    EXPECT_EQ(reply.id, "0") << body;
    EXPECT_EQ(reply.status, "FAILURE");
    EXPECT_EQ(reply.code, "400");
    EXPECT_EQ(reply.message.rfind("SAXParseException: ", 0), 0u)
        << reply.message;
  }
}

TEST(ExecutorTest, ExceptionsInsideACommandBecomeFailureWithIdZero) {
  ExpectReply(Execute(Request("ThrowPoco")),
              {"0", "FAILURE", "400", "I/O error: line <down>"});
  ExpectReply(Execute(Request("ThrowStd")),
              {"0", "FAILURE", "400", std::bad_alloc().what()});
}

TEST(ExecutorTest, CommandWithoutReplyStillGetsAFailureReply) {
  const Reply reply = Execute(Request("Silent"));
  EXPECT_EQ(reply.id, "0");
  EXPECT_EQ(reply.status, "FAILURE");
}

TEST(ExecutorTest, ServicesOwnTableKnowsNoneOfTheOtherServicesCommands) {
  DeviceSettingInterface noDevice;
  const ReceiveRequestCommandExecutor executor(skylet::kSkyletProfile.commands,
                                               noDevice);
  for (const char* name : {"CheckConnectionForKM50", "UpdateSettingsForKM50"}) {
    ExpectReply(Parse(executor.ExecuteRequest(Request(name))),
                {"5", "FAILURE", "400", "command not found."});
  }
}

}  // namespace
}  // namespace tool
