#include "server/logger_server.h"

#include <Poco/Exception.h>
#include <Poco/Net/SocketAddress.h>
#include <Poco/Net/StreamSocket.h>
#include <Poco/Timespan.h>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "log/logger_log.h"
#include "server/command_response_element.h"
#include "server/my_http_request_handler.h"
#include "server/send_reply_command.h"

namespace tool {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Short enough to keep the tests quick.
constexpr milliseconds kRequestTime(300);
// Far beyond the request time, for a loaded machine.
constexpr milliseconds kGenerous(5000);

// Lets the test hold the "Wait" command until it opens the gate.
class Gate {
 public:
  void Open() {
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = true;
    opened_.notify_all();
  }
  void Close() {
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = false;
    arrived_ = 0;
  }
  void Pass() {
    std::unique_lock<std::mutex> lock(mutex_);
    ++arrived_;
    opened_.wait(lock, [this] { return open_; });
  }
  // How many commands came to the gate since it was closed.
  int Arrived() {
    std::lock_guard<std::mutex> lock(mutex_);
    return arrived_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable opened_;
  bool open_ = true;
  int arrived_ = 0;
};

Gate gate;

// Waits at the gate, then answers SUCCESS.
class WaitCommand : public ReceiveRequestCommand {
 public:
  using ReceiveRequestCommand::ReceiveRequestCommand;
  std::shared_ptr<SendReplyCommand> Execute() override {
    gate.Pass();
    return std::make_shared<SendReplyCommand>(
        CommandResponseElement::CreateResponseDocument(true, requestId_,
                                                       nullptr, nullptr));
  }
};

constexpr CommandEntry kEntries[] = {{"Wait", &MakeCommand<WaitCommand>}};
constexpr CommandTable kCommands = {kEntries, 1};

constexpr char kWaitRequest[] =
    "<commandRequest id=\"5\"><command>Wait</command></commandRequest>";

std::string Post(const std::string& body) {
  return "POST / HTTP/1.1\r\nHost: x\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\n\r\n" + body;
}

class LoggerServerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // The logging library makes its level objects on first use. Making them
    // here, before server threads log at once, shows thread checkers that
    // they are made before every use. Nothing is written before logging is
    // set up.
    LoggerLog::Debug("LoggerServerTest", "");
    LoggerLog::Info("LoggerServerTest", "");
    LoggerLog::Warn("LoggerServerTest", "");
  }

  LoggerServerTest() : server_(0, executor_, kRequestTime) {
    gate.Open();
    server_.Start();
  }
  ~LoggerServerTest() override { gate.Open(); }

  Poco::Net::StreamSocket Connect() {
    return Poco::Net::StreamSocket(
        Poco::Net::SocketAddress("127.0.0.1", server_.GetPort()));
  }

  // Sends `request` on `socket` and reads until the server closes it.
  static std::string Exchange(Poco::Net::StreamSocket& socket,
                              const std::string& request) {
    std::string received;
    try {
      socket.setReceiveTimeout(Poco::Timespan(kGenerous.count() * 1000));
      socket.sendBytes(request.data(), static_cast<int>(request.size()));
      char buffer[1024];
      for (int n; (n = socket.receiveBytes(buffer, sizeof buffer)) > 0;) {
        received.append(buffer, static_cast<std::size_t>(n));
      }
    } catch (const Poco::Exception&) {
      // A reset or a time-out ends what is received.
    }
    return received;
  }

  // True once the server has closed `socket`, waiting up to `wait`.
  static bool Closed(Poco::Net::StreamSocket& socket, milliseconds wait) {
    try {
      if (!socket.poll(Poco::Timespan(wait.count() * 1000),
                       Poco::Net::Socket::SELECT_READ)) {
        return false;
      }
      char buffer[1024];
      while (socket.receiveBytes(buffer, sizeof buffer) > 0) {
      }
      return true;
    } catch (const Poco::Exception&) {
      return true;
    }
  }

  DeviceSettingInterface noDevice_;
  const ReceiveRequestCommandExecutor executor_{kCommands, noDevice_};
  LoggerServer server_;
};

TEST(LoggerServerStartTest, StartsOnceAndStopsOnce) {
  DeviceSettingInterface noDevice;
  const ReceiveRequestCommandExecutor executor(kCommands, noDevice);
  LoggerServer server(0, executor);
  EXPECT_EQ(server.GetPort(), 0);
  server.Stop();  // never started: nothing to do
  server.Start();
  const Poco::UInt16 port = server.GetPort();
  ASSERT_NE(port, 0);
  server.Start();
  EXPECT_EQ(server.GetPort(), port);

  server.Stop();
  EXPECT_EQ(server.GetPort(), 0);
  EXPECT_EQ(server.CurrentConnections(), 0);
  server.Stop();
}

TEST_F(LoggerServerTest, SilentAndTricklingClientsAreCutOffAtTheRequestTime) {
  Poco::Net::StreamSocket silent = Connect();
  silent.sendBytes("POST / HTTP/1.1\r\n", 17);
  Poco::Net::StreamSocket trickling = Connect();
  const auto begin = Clock::now();
  bool closed = false;
  while (!closed && Clock::now() - begin < kGenerous) {
    try {
      trickling.sendBytes("P", 1);
    } catch (const Poco::Exception&) {
    }
    closed = Closed(trickling, milliseconds(20));
  }
  EXPECT_TRUE(closed);
  EXPECT_GE(Clock::now() - begin, kRequestTime);
  EXPECT_TRUE(Closed(silent, kGenerous));
}

TEST_F(LoggerServerTest, MoreSlowClientsThanThreadsDelayOthersOnlyBriefly) {
  // Every thread and queue place taken by a silent client; they are cut
  // off after the request time, and the valid request is served then.
  std::vector<Poco::Net::StreamSocket> silent;
  for (int i = 0; i < LoggerServer::kMaxThreads + 8; ++i) {
    silent.push_back(Connect());
    silent.back().sendBytes("POST", 4);
  }
  const auto begin = Clock::now();
  Poco::Net::StreamSocket client = Connect();
  const std::string reply = Exchange(client, Post(kWaitRequest));
  EXPECT_NE(reply.find("<status>SUCCESS</status>"), std::string::npos);
  EXPECT_LT(Clock::now() - begin, kGenerous);
}

TEST_F(LoggerServerTest, CommandLongerThanTheRequestTimeIsAnswered) {
  gate.Close();
  Poco::Net::StreamSocket client = Connect();
  std::future<std::string> reply = std::async(
      std::launch::async, [&] { return Exchange(client, Post(kWaitRequest)); });
  EXPECT_EQ(reply.wait_for(4 * kRequestTime), std::future_status::timeout);
  gate.Open();
  const std::string received = reply.get();
  EXPECT_NE(received.find("HTTP/1.1 200 OK\r\n"), std::string::npos);
  EXPECT_NE(received.find("<commandResponse id=\"5\">"), std::string::npos);
}

TEST_F(LoggerServerTest, LargeBodiesAreExecutedAFewAtATime) {
  gate.Close();
  constexpr int kAtOnce = MyHttpRequestHandler::kLargeBodiesAtOnce;
  const std::string large =
      "<commandRequest id=\"5\"><command>Wait</command>" +
      std::string(MyHttpRequestHandler::kLargeBodyBytes, ' ') +
      "</commandRequest>";
  std::vector<Poco::Net::StreamSocket> clients;
  for (int i = 0; i < kAtOnce + 2; ++i) clients.push_back(Connect());
  std::vector<std::future<std::string>> replies;
  for (Poco::Net::StreamSocket& client : clients) {
    replies.push_back(std::async(std::launch::async, [&client, &large] {
      return Exchange(client, Post(large));
    }));
  }
  const auto limit = Clock::now() + kGenerous;
  while (gate.Arrived() < kAtOnce && Clock::now() < limit) {
    std::this_thread::sleep_for(milliseconds(5));
  }
  // Small bodies are not held up by them.
  Poco::Net::StreamSocket small = Connect();
  EXPECT_NE(Exchange(small, Post("<commandRequest id=\"6\"><command>Other"
                                 "</command></commandRequest>"))
                .find("command not found."),
            std::string::npos);
  EXPECT_EQ(gate.Arrived(), kAtOnce);

  gate.Open();
  for (std::future<std::string>& reply : replies) {
    EXPECT_NE(reply.get().find("<status>SUCCESS</status>"), std::string::npos);
  }
}

TEST_F(LoggerServerTest, KeptAliveConnectionGetsTheRequestTimeAfterItsReply) {
  Poco::Net::StreamSocket client = Connect();
  const std::string get = "GET / HTTP/1.1\r\nHost: x\r\n\r\n";
  client.sendBytes(get.data(), static_cast<int>(get.size()));
  char buffer[1024];
  client.setReceiveTimeout(Poco::Timespan(kGenerous.count() * 1000));
  const int n = client.receiveBytes(buffer, sizeof buffer);
  EXPECT_EQ(std::string(buffer, n > 0 ? n : 0).rfind("HTTP/1.1 405", 0), 0u);
  const auto replied = Clock::now();
  EXPECT_TRUE(Closed(client, kGenerous));
  EXPECT_GE(Clock::now() - replied, kRequestTime - milliseconds(100));
}

TEST_F(LoggerServerTest, StopAbortsTheConnectionOfACommandThatRunsOn) {
  gate.Close();
  Poco::Net::StreamSocket client = Connect();
  std::future<std::string> reply = std::async(
      std::launch::async, [&] { return Exchange(client, Post(kWaitRequest)); });
  const auto limit = Clock::now() + kGenerous;
  while (gate.Arrived() == 0 && Clock::now() < limit) {
    std::this_thread::sleep_for(milliseconds(5));
  }
  ASSERT_EQ(gate.Arrived(), 1);
  const auto begin = Clock::now();
  server_.Stop();
  EXPECT_LT(Clock::now() - begin, milliseconds(1500));
  ASSERT_EQ(reply.wait_for(kGenerous), std::future_status::ready);
  EXPECT_EQ(reply.get().find("<commandResponse"), std::string::npos);
  // The command then runs to its end, with the server gone.
  gate.Open();
}

}  // namespace
}  // namespace tool
