// The command interface of the running services, used as a client uses it.
#include <Poco/DOM/DOMParser.h>
#include <Poco/DOM/Document.h>
#include <Poco/DOM/Element.h>
#include <Poco/Net/ServerSocket.h>
#include <Poco/Net/SocketAddress.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "command/weather/skylet_profile.h"
#include "process/http_exchange.h"
#include "process/resident_memory.h"
#include "process/service_test.h"
#include "server/receive_request_command_executor.h"
#include "support/test_files.h"

namespace tool {
namespace testing {
namespace {

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr char kRequest[] =
    "<commandRequest id=\"17\"><command>NoSuchCommand</command>"
    "</commandRequest>";

// The reply text that the service's executor gives for `body`.
std::string ExecutorReply(const std::string& body) {
  DeviceSettingInterface noDevice;
  return ReceiveRequestCommandExecutor(skylet::kSkyletProfile.commands,
                                       noDevice)
      .ExecuteRequest(body);
}

// "status" or "detail/message" of a reply, "" when absent.
std::string ReplyText(const std::string& reply, const std::string& path) {
  Poco::XML::DOMParser parser;
  Poco::AutoPtr<Poco::XML::Document> document = parser.parseString(reply);
  const Poco::XML::Node* node =
      document->getNodeByPath("/commandResponse/" + path);
  return node == nullptr ? "" : node->innerText();
}

class HttpFrontEndTest : public ServiceTest {
 protected:
  // Starts Skylet with unbuffered logging at `logLevel`; returns the log.
  std::string Start(int logLevel = 1) {
    WriteFile(ServiceSandbox::SettingsFilePath(),
              SettingsXml({{"LogLevel", std::to_string(logLevel)},
                           {"EnableLogBufferedIO", "0"}}));
    return StartAndAwait(kSkylet, kSdcardHome);
  }

  // The log's messages from the front end.
  static std::vector<std::string> ServerLines(const std::string& log) {
    std::vector<std::string> lines;
    for (const std::string& line : Messages(ReadFile(log))) {
      if (line.find(" LoggerServer ") != std::string::npos) {
        lines.push_back(line);
      }
    }
    return lines;
  }
};

TEST_F(HttpFrontEndTest, PostToAnyPathGetsTheExecutorsReply) {
  Start();
  for (const char* path : {"/", "/any/path?query=1"}) {
    const HttpReply reply = HttpExchange(PostRequest(kRequest, path));
    EXPECT_EQ(reply.status, 200) << path;
    EXPECT_THAT(reply.headers, HasSubstr("Content-Type: text/xml\r\n"));
    EXPECT_EQ(reply.body, ExecutorReply(kRequest)) << path;
    EXPECT_EQ(ReplyText(reply.body, "detail/message"), "command not found.");
  }
}

TEST_F(HttpFrontEndTest, WattletAnswersOnTheSamePortWithItsOwnCommands) {
  StartAndAwait(kWattlet, kSdcardHome);
  const HttpReply reply = HttpExchange(
      PostRequest("<commandRequest id=\"4\"><command>RestartForWeatherSensor"
                  "</command></commandRequest>"));
  EXPECT_EQ(reply.status, 200);
  EXPECT_EQ(ReplyText(reply.body, "detail/message"), "command not found.");
}

TEST_F(HttpFrontEndTest, OtherMethodsAreRefusedWithoutBody) {
  Start();
  for (const char* method : {"GET", "HEAD", "PUT"}) {
    const HttpReply reply =
        HttpExchange(std::string(method) +
                     " / HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(reply.status, 405) << method;
    EXPECT_THAT(reply.headers, HasSubstr("Allow: POST\r\n"));
    EXPECT_EQ(reply.body, "") << method;
  }
  EXPECT_EQ(HttpExchange(PostRequest(kRequest)).status, 200);
}

TEST_F(HttpFrontEndTest, BodyEndsAtItsFirstZeroByte) {
  Start();
  const std::string body = std::string(kRequest) + '\0' + "<trailing junk";
  EXPECT_EQ(HttpExchange(PostRequest(body)).body, ExecutorReply(kRequest));
}

TEST_F(HttpFrontEndTest, BodyThatIsNotXmlGetsFailure) {
  Start();
  const HttpReply reply = HttpExchange(PostRequest("not xml"));
  EXPECT_EQ(reply.status, 200);
  EXPECT_EQ(reply.body, ExecutorReply("not xml"));
  EXPECT_EQ(ReplyText(reply.body, "status"), "FAILURE");
  EXPECT_EQ(ReplyText(reply.body, "detail/code"), "400");
}

TEST_F(HttpFrontEndTest, HugeContentLengthIsAnsweredAtOnceUnread) {
  Start();
  const auto begin = std::chrono::steady_clock::now();
  const HttpReply reply = HttpExchange(
      "POST / HTTP/1.1\r\nHost: x\r\nContent-Length: 2000000000\r\n\r\n<c");
  EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(1));
  EXPECT_EQ(reply.status, 200);
  EXPECT_EQ(ReplyText(reply.body, "detail/message"), "request body too large.");
  // Far below the announced 2 GB: the length was never allocated.
  EXPECT_LT(ResidentKiB(process_->Pid()), 64 * 1024);
}

std::string Chunked(const std::string& body) {
  std::string request =
      "POST / HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n";
  constexpr std::size_t kChunk = 1000;
  for (std::size_t at = 0; at < body.size(); at += kChunk) {
    const std::string piece = body.substr(at, kChunk);
    char size[16];
    std::snprintf(size, sizeof(size), "%zx", piece.size());
    request += std::string(size) + "\r\n" + piece + "\r\n";
  }
  return request + "0\r\n\r\n";
}

TEST_F(HttpFrontEndTest, ChunkedBodyIsReadToItsEndUpToTheLimit) {
  Start();
  EXPECT_EQ(HttpExchange(Chunked(kRequest)).body, ExecutorReply(kRequest));
  const HttpReply tooLarge = HttpExchange(Chunked(std::string(70000, 'a')));
  EXPECT_EQ(ReplyText(tooLarge.body, "detail/message"),
            "request body too large.");
}

TEST_F(HttpFrontEndTest, DebugLevelLogsFourLinesInfoLevelTwo) {
  const std::string reply = ExecutorReply(kRequest);
  const std::string debugLog = Start(0);
  HttpExchange(PostRequest(kRequest));
  StopInOrder();
  EXPECT_THAT(
      ServerLines(debugLog),
      ElementsAre(
          "DEBUG LoggerServer ReceiveRequest [" + std::string(kRequest) + "]",
          "INFO LoggerServer HTTP Request [" + std::string(kRequest) + "]",
          // A reply's lines are continued in the log.
          "DEBUG LoggerServer Responce [" + SplitLines(reply).front(),
          "INFO LoggerServer HTTP Response [" + SplitLines(reply).front()));
  EXPECT_THAT(ReadFile(debugLog), HasSubstr("Responce [" + reply + "]"));
}

TEST_F(HttpFrontEndTest, InfoLevelLogsRequestAndResponseOnly) {
  const std::string log = Start(1);
  HttpExchange(PostRequest(kRequest));
  StopInOrder();
  const std::vector<std::string> lines = ServerLines(log);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_THAT(lines[0], HasSubstr("INFO LoggerServer HTTP Request ["));
  EXPECT_THAT(lines[1], HasSubstr("INFO LoggerServer HTTP Response ["));
}

TEST_F(HttpFrontEndTest, TakenPortEndsTheServiceWithStatusOne) {
  // Held the way a second instance of the service would hold it.
  Poco::Net::ServerSocket holder;
  holder.bind(Poco::Net::SocketAddress("0.0.0.0", 8084), true, true);
  holder.listen();
  process_.emplace(skyletExecutable, "Skylet", "/tmp");
  ASSERT_TRUE(process_->Start());
  EXPECT_EQ(process_->WaitForExit(kStartTimeout), 1);
  EXPECT_THAT(process_->Stderr(),
              HasSubstr("Skylet: start failed: Net Exception: Address "
                        "already in use"));
  EXPECT_THAT(ReadFile(LogPath(kSdcardHome, kSkylet)),
              HasSubstr("[FATAL] ToolManager Start failed. [Net Exception"));
}

TEST_F(HttpFrontEndTest, ExternalEntityNeverBringsAFileIntoReplyOrLog) {
  constexpr char kSecret[] = "SECRET-7f3a";
  WriteFile("/tmp/secret.txt", kSecret);
  const std::string log = Start(0);
  for (const char* uri : {"file:///tmp/secret.txt", "/tmp/secret.txt"}) {
    const std::string body =
        std::string("<!DOCTYPE commandRequest [<!ENTITY e SYSTEM \"") + uri +
        "\">]><commandRequest id=\"1\"><command>&e;</command>"
        "</commandRequest>";
    const HttpReply reply = HttpExchange(PostRequest(body));
    EXPECT_EQ(ReplyText(reply.body, "status"), "FAILURE") << uri;
    EXPECT_THAT(reply.body, Not(HasSubstr(kSecret)));
  }
  StopInOrder();
  EXPECT_THAT(ReadFile(log),
              AllOf(HasSubstr("XMLException ["), Not(HasSubstr(kSecret))));
}

TEST_F(HttpFrontEndTest, EntityExpansionBombIsAnsweredWithinASecond) {
  std::string body = "<!DOCTYPE commandRequest [<!ENTITY l0 \"lol\">";
  for (int level = 1; level <= 9; ++level) {
    body += "<!ENTITY l" + std::to_string(level) + " \"";
    for (int i = 0; i < 10; ++i) body += "&l" + std::to_string(level - 1) + ";";
    body += "\">";
  }
  body += "]><commandRequest id=\"1\"><command>&l9;</command></commandRequest>";
  Start();
  const auto begin = std::chrono::steady_clock::now();
  const HttpReply reply = HttpExchange(PostRequest(body));
  EXPECT_LT(std::chrono::steady_clock::now() - begin,
            std::chrono::seconds(1) * kEmulationScale);
  EXPECT_EQ(ReplyText(reply.body, "status"), "FAILURE");
  EXPECT_THAT(ReplyText(reply.body, "detail/message"),
              HasSubstr("amplification"));
  EXPECT_LT(ResidentKiB(process_->Pid()), 64 * 1024);
}

}  // namespace
}  // namespace testing
}  // namespace tool
