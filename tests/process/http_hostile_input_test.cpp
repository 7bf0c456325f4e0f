// Hostile input and slow clients at the command port of a running service:
// whatever arrives, the service answers with a well-formed reply, stays
// within a bounded memory and answers the next request.
#include <Poco/AutoPtr.h>
#include <Poco/DOM/DOMParser.h>
#include <Poco/DOM/Document.h>
#include <Poco/DOM/Element.h>
#include <Poco/Exception.h>
#include <Poco/Net/Socket.h>
#include <Poco/Net/SocketAddress.h>
#include <Poco/Net/StreamSocket.h>
#include <Poco/Timespan.h>
#include <dirent.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "command/weather/skylet_profile.h"
#include "process/device_command_test.h"
#include "process/http_exchange.h"
#include "process/resident_memory.h"
#include "server/logger_server.h"
#include "server/my_http_request_handler.h"
#include "server/receive_request_command_executor.h"
#include "support/test_files.h"

namespace tool {
namespace testing {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;
using Clock = std::chrono::steady_clock;

constexpr char kRequest[] =
    "<commandRequest id=\"17\"><command>NoSuchCommand</command>"
    "</commandRequest>";
// The largest body the service reads.
constexpr std::size_t kBodyLimit = MyHttpRequestHandler::kMaxBodyBytes;
// How soon a request must be answered while the service is under attack.
constexpr auto kAnswerTime = std::chrono::seconds(3) * kTimeScale;
// How long a test waits for any reply. The sanitizers slow the deepest
// documents down several times over.
constexpr auto kReplyTimeout = std::chrono::seconds(5) * kTimeScale;

// Memory figures mean nothing under a sanitizer's allocator.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kMemoryFiguresHold = false;
#else
constexpr bool kMemoryFiguresHold = true;
#endif
// The service's peak resident size over a whole test, and how much its
// resident size may have grown from the start to the end of a test.
constexpr long kPeakBoundKb = 40 * 1024;
constexpr long kGrowthBoundKb = 16 * 1024;
// The same with as many of the largest documents at once as the service has
// threads: the stack each thread has used for the deepest trees stays
// resident, and a few of the trees are held at the same time.
constexpr long kConcurrentPeakBoundKb = 128 * 1024;
constexpr long kConcurrentGrowthBoundKb = 80 * 1024;

struct Memory {
  // VmHWM; under emulation it includes the emulator's own memory.
  long peakKb = -1;
  long residentKb = -1;
};

Memory ReadMemory(pid_t pid) {
  Memory memory;
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) memory.peakKb = std::stol(line.substr(6));
  }
  memory.residentKb = ResidentKiB(pid);
  return memory;
}

// The sockets the process holds open. Other descriptors come and go on
// their own (the library's poll takes one for every wait).
int OpenSockets(pid_t pid) {
  const std::string directory = "/proc/" + std::to_string(pid) + "/fd/";
  DIR* entries = opendir(directory.c_str());
  if (entries == nullptr) return -1;
  int count = 0;
  while (const dirent* entry = readdir(entries)) {
    char target[64] = {};
    const ssize_t length = readlink((directory + entry->d_name).c_str(), target,
                                    sizeof target - 1);
    if (length > 0 && std::string(target).rfind("socket:", 0) == 0) ++count;
  }
  closedir(entries);
  return count;
}

// The reply text that the service's executor gives for `body`; only for
// bodies that never reach a device command.
std::string ExecutorReply(const std::string& body) {
  DeviceSettingInterface noDevice;
  return ReceiveRequestCommandExecutor(skylet::kSkyletProfile.commands,
                                       noDevice)
      .ExecuteRequest(body);
}

// The reply's "status", "detail/message" or "@id"; throws when the reply
// is not well-formed.
std::string ReplyText(const std::string& reply, const std::string& path) {
  Poco::XML::DOMParser parser;
  Poco::AutoPtr<Poco::XML::Document> document = parser.parseString(reply);
  if (path == "@id") return document->documentElement()->getAttribute("id");
  const Poco::XML::Node* node =
      document->getNodeByPath("/commandResponse/" + path);
  return node == nullptr ? "" : node->innerText();
}

bool IsWellFormed(const std::string& reply) {
  try {
    ReplyText(reply, "status");
    return true;
  } catch (const Poco::Exception&) {
    return false;
  }
}

// True when `text` is UTF-8 without overlong forms, surrogates or code
// points beyond U+10FFFF.
bool IsUtf8(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto byte = static_cast<unsigned char>(text[i]);
    int length = 0;
    unsigned long codePoint = 0;
    if (byte < 0x80) {
      ++i;
      continue;
    } else if ((byte & 0xE0) == 0xC0) {
      length = 2;
      codePoint = byte & 0x1F;
    } else if ((byte & 0xF0) == 0xE0) {
      length = 3;
      codePoint = byte & 0x0F;
    } else if ((byte & 0xF8) == 0xF0) {
      length = 4;
      codePoint = byte & 0x07;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    for (int k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      codePoint = (codePoint << 6) | (next & 0x3F);
    }
    static constexpr unsigned long kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (codePoint < kSmallest[length] || codePoint > 0x10FFFF ||
        (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
      return false;
    }
    i += length;
  }
  return true;
}

// The connections waiting in the accept queue of the port.
int AcceptQueueLength() {
  std::ifstream table("/proc/net/tcp");
  std::string line;
  std::getline(table, line);
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string slot, local, remote, state, queues;
    fields >> slot >> local >> remote >> state >> queues;
    // Listening on port 8084 (hexadecimal 1F94).
    if (state == "0A" && local.size() > 5 &&
        local.compare(local.size() - 5, 5, ":1F94") == 0) {
      return std::stoi(queues.substr(queues.find(':') + 1), nullptr, 16);
    }
  }
  return 0;
}

Poco::Net::StreamSocket Connect() {
  return Poco::Net::StreamSocket(Poco::Net::SocketAddress("127.0.0.1", 8084));
}

// True once the service has closed or reset `socket`; reads nothing that
// the service might send.
bool ClosedByService(Poco::Net::StreamSocket& socket) {
  try {
    if (!socket.poll(Poco::Timespan(0), Poco::Net::Socket::SELECT_READ)) {
      return false;
    }
    char byte;
    return socket.receiveBytes(&byte, 1) == 0;
  } catch (const Poco::Exception&) {
    return true;
  }
}

// Skylet, alone or with the RS-485 stand-in, under attack at its port.
class HttpHostileInputTest : public WeatherSensorTest {
 protected:
  void SetUp() override {
    // Writes to connections that the service has dropped must fail, not
    // end the test program.
    signal(SIGPIPE, SIG_IGN);
  }

  // Starts Skylet without a communication service, logging at Info
  // unbuffered; returns its log file.
  std::string StartAlone() {
    WriteFile(ServiceSandbox::SettingsFilePath(),
              SettingsXml({{"LogLevel", "1"}, {"EnableLogBufferedIO", "0"}}));
    const std::string log = StartAndAwait(kSkylet, kSdcardHome);
    startMemory_ = ReadMemory(process_->Pid());
    return log;
  }

  // Starts Skylet with the stand-in's `devices`, logging every level.
  std::string StartWithDevices(const std::vector<std::string>& devices) {
    const std::string log = Start(devices);
    startMemory_ = ReadMemory(process_->Pid());
    return log;
  }

  // Posts `body` and expects the executor's own reply to it, at once.
  void ExpectExecutorReply(const std::string& body) {
    const auto begin = Clock::now();
    const HttpReply reply = HttpExchange(PostRequest(body), kReplyTimeout);
    EXPECT_LT(Clock::now() - begin, kAnswerTime);
    EXPECT_EQ(reply.status, 200);
    EXPECT_TRUE(IsWellFormed(reply.body)) << reply.body;
    EXPECT_EQ(reply.body, ExecutorReply(body));
  }

  // The service still answers an ordinary request at once.
  void ExpectAnswersNextRequest() { ExpectExecutorReply(kRequest); }

  // Peak and growth of the service's resident memory within their bounds.
  void ExpectMemoryBounded(long peakBoundKb = kPeakBoundKb,
                           long growthBoundKb = kGrowthBoundKb) {
    const Memory memory = ReadMemory(process_->Pid());
    std::printf("memory: start %ld kB, now %ld kB, peak %ld kB\n",
                startMemory_.residentKb, memory.residentKb, memory.peakKb);
    RecordProperty("PeakKb", std::to_string(memory.peakKb));
    RecordProperty("GrowthKb",
                   std::to_string(memory.residentKb - startMemory_.residentKb));
    if (!kMemoryFiguresHold) return;
    EXPECT_LT(memory.peakKb, peakBoundKb);
    EXPECT_LT(memory.residentKb - startMemory_.residentKb, growthBoundKb);
  }

  Memory startMemory_;
};

TEST_F(HttpHostileInputTest, SlowClientsNeitherStarveOthersNorKeepTheirWorker) {
  StartAlone();
  const pid_t pid = process_->Pid();
  const int socketsBefore = OpenSockets(pid);
  // Twenty clients send half a request header; the even ones then stay
  // silent, the odd ones trickle a byte every 200 ms.
  constexpr int kSlowClients = 20;
  std::vector<Poco::Net::StreamSocket> slow;
  const auto opened = Clock::now();
  for (int i = 0; i < kSlowClients; ++i) {
    slow.push_back(Connect());
    slow.back().sendBytes("POST / HTTP/1.1\r\nHost: x\r\nContent-Le", 36);
  }
  ASSERT_TRUE(WaitUntil(
      [&] { return OpenSockets(pid) >= socketsBefore + kSlowClients; },
      std::chrono::seconds(2)));
  std::atomic<bool> trickling(true);
  std::thread trickler([&] {
    while (trickling) {
      for (int i = 1; i < kSlowClients; i += 2) {
        try {
          slow[i].sendBytes("x", 1);
        } catch (const Poco::Exception&) {
          // Dropped by the service.
        }
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
  });

  const auto begin = Clock::now();
  const HttpReply reply = HttpExchange(PostRequest(kRequest),
                                       kAnswerTime + std::chrono::seconds(1));
  EXPECT_LT(Clock::now() - begin, kAnswerTime);
  EXPECT_EQ(reply.body, ExecutorReply(kRequest));

  // Each slow client loses its connection within a few seconds, the
  // trickling ones too.
  std::vector<bool> closed(kSlowClients, false);
  const bool allClosed = WaitUntil(
      [&] {
        bool all = true;
        for (int i = 0; i < kSlowClients; ++i) {
          if (!closed[i]) closed[i] = ClosedByService(slow[i]);
          all = all && closed[i];
        }
        return all;
      },
      std::chrono::duration_cast<std::chrono::milliseconds>(
          opened + std::chrono::seconds(8) - Clock::now()));
  trickling = false;
  trickler.join();
  EXPECT_TRUE(allClosed);
  for (Poco::Net::StreamSocket& socket : slow) socket.close();

  ExpectAnswersNextRequest();
  EXPECT_TRUE(WaitUntil([&] { return OpenSockets(pid) <= socketsBefore; },
                        std::chrono::seconds(2)))
      << OpenSockets(pid) << " sockets, " << socketsBefore << " before";
  ExpectMemoryBounded();
}

TEST_F(HttpHostileInputTest, RequestSentInPiecesOverTwoSecondsIsAnswered) {
  StartAlone();
  const std::string request = PostRequest(kRequest);
  Poco::Net::StreamSocket socket = Connect();
  constexpr std::size_t kPieces = 5;
  const std::size_t piece = request.size() / kPieces + 1;
  for (std::size_t at = 0; at < request.size(); at += piece) {
    if (at > 0) std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const std::string part = request.substr(at, piece);
    socket.sendBytes(part.data(), static_cast<int>(part.size()));
  }
  socket.setReceiveTimeout(Poco::Timespan(5, 0));
  std::string received;
  char buffer[4096];
  for (int n; (n = socket.receiveBytes(buffer, sizeof buffer)) > 0;) {
    received.append(buffer, static_cast<std::size_t>(n));
  }
  EXPECT_THAT(received, HasSubstr("\r\n\r\n" + ExecutorReply(kRequest)));
}

TEST_F(HttpHostileInputTest, ThousandConnectionsOpenedAndDropped) {
  StartAlone();
  const pid_t pid = process_->Pid();
  const int socketsBefore = OpenSockets(pid);
  // A quarter is closed at once, a quarter after half a header, a quarter
  // after the header and part of the body, and a quarter is reset after
  // half a header; all but the first are held until every one is open.
  constexpr int kConnections = 1000;
  const std::string header =
      "POST / HTTP/1.1\r\nHost: x\r\nContent-Length: 100\r\n\r\n<commandReq";
  std::vector<Poco::Net::StreamSocket> held;
  int refused = 0;
  for (int i = 0; i < kConnections; ++i) {
    // A full accept queue drops the client's handshake, which is tried
    // again only a second later.
    ASSERT_TRUE(WaitUntil([] { return AcceptQueueLength() < 32; },
                          std::chrono::seconds(2)));
    Poco::Net::StreamSocket socket;
    try {
      socket.connect(Poco::Net::SocketAddress("127.0.0.1", 8084),
                     Poco::Timespan(2, 0));
    } catch (const Poco::Exception&) {
      ++refused;
      continue;
    }
    try {
      switch (i % 4) {
        case 0:
          break;
        case 1:
        case 3:
          socket.sendBytes(header.data(), 20);
          if (i % 4 == 3) socket.setLinger(true, 0);
          break;
        default:
          socket.sendBytes(header.data(), static_cast<int>(header.size()));
          break;
      }
    } catch (const Poco::Exception&) {
      // Beyond its threads and queue the service closes connections at
      // once.
    }
    if (i % 4 == 0) {
      socket.close();
    } else {
      held.push_back(socket);
    }
  }
  for (Poco::Net::StreamSocket& socket : held) socket.close();
  EXPECT_EQ(refused, 0);

  // Until the service has closed the dropped connections still queued, a
  // new one may find the queue full and be closed at once, as overload
  // requires.
  EXPECT_TRUE(WaitUntil([&] { return OpenSockets(pid) <= socketsBefore; },
                        std::chrono::seconds(5) * kTimeScale))
      << OpenSockets(pid) << " sockets, " << socketsBefore << " before";
  ExpectAnswersNextRequest();
  ExpectMemoryBounded();
}

TEST_F(HttpHostileInputTest, BodyThatIsOneHugeTextNode) {
  StartAlone();
  // The command name, then the id that the reply echoes, each filling the
  // body up to the limit.
  const std::string commandHead = "<commandRequest id=\"1\"><command>";
  const std::string commandTail = "</command></commandRequest>";
  const std::string hugeCommand =
      commandHead +
      std::string(kBodyLimit - commandHead.size() - commandTail.size(), 'c') +
      commandTail;
  ASSERT_EQ(hugeCommand.size(), kBodyLimit);
  ExpectExecutorReply(hugeCommand);

  const std::string idHead = "<commandRequest id=\"";
  const std::string idTail =
      "\"><command>NoSuchCommand</command></commandRequest>";
  const std::string hugeId =
      std::string(kBodyLimit - idHead.size() - idTail.size(), 'i');
  const std::string body = idHead + hugeId + idTail;
  ASSERT_EQ(body.size(), kBodyLimit);
  const HttpReply reply = HttpExchange(PostRequest(body), kReplyTimeout);
  EXPECT_EQ(ReplyText(reply.body, "@id"), hugeId);
  EXPECT_EQ(ReplyText(reply.body, "detail/message"), "command not found.");

  ExpectAnswersNextRequest();
  ExpectMemoryBounded();
}

std::string Nested(const std::string& name, std::size_t levels, bool closed) {
  std::string text;
  text.reserve(levels * (2 * name.size() + 5));
  for (std::size_t i = 0; i < levels; ++i) text += "<" + name + ">";
  if (closed) {
    for (std::size_t i = 0; i < levels; ++i) text += "</" + name + ">";
  }
  return text;
}

TEST_F(HttpHostileInputTest, DeepNestingOverTheLimitOrUnclosed) {
  StartAlone();
  const std::string head = "<commandRequest id=\"1\"><command>C</command>";
  const HttpReply tooLarge = HttpExchange(
      PostRequest(head + Nested("a", 10000, true) + "</commandRequest>"));
  EXPECT_EQ(ReplyText(tooLarge.body, "detail/message"),
            "request body too large.");

  const std::string unclosed = head + Nested("a", 10000, false);
  ASSERT_LT(unclosed.size(), kBodyLimit);
  ExpectExecutorReply(unclosed);
  EXPECT_EQ(ReplyText(ExecutorReply(unclosed), "status"), "FAILURE");
  // As many unclosed levels as fit.
  ExpectExecutorReply(head +
                      Nested("a", (kBodyLimit - head.size()) / 3, false));

  ExpectAnswersNextRequest();
  ExpectMemoryBounded();
}

TEST_F(HttpHostileInputTest, DeepestNestingThatFitsInARealCommand) {
  StartAlone();
  // The check copies its requestData tree level by level; no item names
  // a channel, so it fails without a device exchange.
  const std::string head = "<requestData>";
  const std::string tail = "</requestData>";
  const std::size_t room =
      kBodyLimit -
      CommandRequest("CheckConnectionForWeatherSensor", head + tail).size();
  const std::size_t levels = room / 7;
  const std::string request =
      CommandRequest("CheckConnectionForWeatherSensor",
                     head + Nested("a", levels, true) + tail);
  ASSERT_LE(request.size(), kBodyLimit);
  ASSERT_GT(levels, 9000u);
  const auto begin = Clock::now();
  EXPECT_EQ(Post(request, kReplyTimeout), FailureReply());
  EXPECT_LT(Clock::now() - begin, kAnswerTime);

  ExpectAnswersNextRequest();
  ExpectMemoryBounded();
}

TEST_F(HttpHostileInputTest, InvalidUtf8InTextIdAndElementName) {
  const std::string log = StartAlone();
  const std::vector<std::string> sequences = {
      "\x80",              // lone continuation byte
      "\xBF\xBF",          // two of them
      "\xC0\xAF",          // overlong '/'
      "\xE0\x80\xAF",      // overlong '/' in three bytes
      "\xE2\x82",          // truncated three-byte sequence
      "\xF0\x9F\x98",      // truncated four-byte sequence
      "\xED\xA0\x80",      // surrogate
      "\xF4\x90\x80\x80",  // beyond U+10FFFF
      "\xFF",
      "\xFE\xFF",
  };
  for (const std::string& bad : sequences) {
    SCOPED_TRACE(::testing::PrintToString(bad));
    for (const std::string& body :
         {"<commandRequest id=\"1\"><command>No" + bad +
              "Such</command></commandRequest>",
          "<commandRequest id=\"a" + bad +
              "b\"><command>NoSuchCommand</command></commandRequest>",
          "<commandRequest id=\"1\"><command>NoSuchCommand</command><x" + bad +
              "y/></commandRequest>"}) {
      const HttpReply reply = HttpExchange(PostRequest(body), kReplyTimeout);
      EXPECT_TRUE(IsUtf8(reply.body));
      EXPECT_EQ(ReplyText(reply.body, "status"), "FAILURE");
      EXPECT_EQ(reply.body, ExecutorReply(body));
    }
  }
  ExpectAnswersNextRequest();
  ExpectMemoryBounded();
  StopInOrder();

  // The log stays UTF-8, with the bad bytes written as \xNN, every line
  // that begins a message keeps the layout (the lines of a reply continue
  // its message), and the log goes on after the bad requests.
  const std::string text = ReadFile(log);
  EXPECT_TRUE(IsUtf8(text));
  const std::vector<std::string> messages = Messages(text);
  EXPECT_THAT(messages, Not(Contains(StartsWith("unexpected layout: ["))));
  EXPECT_THAT(messages, Contains("INFO LoggerServer HTTP Request "
                                 "[<commandRequest id=\"a\\xc0\\xafb\">"
                                 "<command>NoSuchCommand</command>"
                                 "</commandRequest>]"));
  EXPECT_THAT(messages, Contains("INFO LoggerServer HTTP Request [" +
                                 std::string(kRequest) + "]"));
  EXPECT_THAT(messages, Contains(HasSubstr("Skylet Stop")));
}

TEST_F(HttpHostileInputTest, ManyDeepestDocumentsAtOnce) {
  StartAlone();
  // As many at once as the service has threads, each of the largest
  // trees: unclosed levels to the limit, or a real command whose
  // requestData is nested as deep as fits.
  const std::string head = "<commandRequest id=\"1\"><command>C</command>";
  const std::string unclosed =
      head + Nested("a", (kBodyLimit - head.size()) / 3, false);
  const std::string command = CommandRequest(
      "CheckConnectionForWeatherSensor",
      "<requestData>" + Nested("a", 9000, true) + "</requestData>");
  ASSERT_LE(command.size(), kBodyLimit);
  constexpr int kClients = LoggerServer::kMaxThreads;
  for (int round = 0; round < 2; ++round) {
    std::vector<std::string> replies(kClients);
    std::vector<std::thread> clients;
    for (int i = 0; i < kClients; ++i) {
      clients.emplace_back([&replies, &unclosed, &command, i] {
        replies[i] = HttpExchange(PostRequest(i % 2 == 0 ? unclosed : command),
                                  std::chrono::seconds(20))
                         .body;
      });
    }
    for (std::thread& client : clients) client.join();
    for (int i = 0; i < kClients; ++i) {
      EXPECT_EQ(replies[i],
                i % 2 == 0 ? ExecutorReply(unclosed) : FailureReply());
    }
  }
  ExpectAnswersNextRequest();
  ExpectMemoryBounded(kConcurrentPeakBoundKb, kConcurrentGrowthBoundKb);
}

TEST_F(HttpHostileInputTest, RequestDataWithThousandsOfItems) {
  StartWithDevices({"1:weather:1:2:0"});
  // Items cycling through the four tags with values that find nothing, and
  // unknown tags between them; the last four name the sensor and win.
  const std::string head = "<requestData>";
  const std::string last =
      "<item x=\"1\">1</item><item x=\"2\">2</item>"
      "<item x=\"3\">1</item><item x=\"4\">0</item></requestData>";
  const std::size_t room =
      kBodyLimit -
      CommandRequest("CheckConnectionForWeatherSensor", head + last).size();
  std::string items;
  int count = 0;
  for (;; ++count) {
    const std::string item = "<item x=\"" + std::to_string(count % 5 + 1) +
                             "\">" + std::to_string(count % 3 + 3) + "</item>";
    if (items.size() + item.size() > room) break;
    items += item;
  }
  ASSERT_GT(count, 3000);
  const std::string request =
      CommandRequest("CheckConnectionForWeatherSensor", head + items + last);
  ASSERT_LE(request.size(), kBodyLimit);
  EXPECT_EQ(Post(request, kReplyTimeout), SuccessReply());
  EXPECT_THAT(Sent(), Contains("command ch=1 frame=" + WithCrc("014605")));

  ExpectAnswersNextRequest();
  ExpectMemoryBounded();
}

}  // namespace
}  // namespace testing
}  // namespace tool
