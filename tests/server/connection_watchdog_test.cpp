#include "server/connection_watchdog.h"

#include <Poco/Exception.h>
#include <Poco/Net/ServerSocket.h>
#include <Poco/Net/SocketAddress.h>
#include <Poco/Net/StreamSocket.h>
#include <Poco/Timespan.h>
#include <dirent.h>
#include <gtest/gtest.h>

#include <chrono>

namespace tool {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kRequestTime(200);
constexpr milliseconds kCheckInterval(10);
// Far beyond the request time, for a loaded machine.
constexpr milliseconds kGenerous(3000);

int OpenDescriptors() {
  DIR* directory = opendir("/proc/self/fd");
  int count = 0;
  while (const dirent* entry = readdir(directory)) {
    if (entry->d_name[0] != '.') ++count;
  }
  closedir(directory);
  return count;
}

// A loopback connection: the server's end, which is watched, and the
// client's end, which sees what the watchdog does to it.
struct Connection {
  Poco::Net::StreamSocket server;
  Poco::Net::StreamSocket client;
};

class ConnectionWatchdogTest : public ::testing::Test {
 protected:
  ConnectionWatchdogTest()
      : listener_(Poco::Net::SocketAddress("127.0.0.1", 0)),
        watchdog_(kRequestTime, kCheckInterval) {
    watchdog_.Start();
  }

  Connection Connect() {
    Connection connection;
    connection.client.connect(listener_.address());
    connection.server = listener_.acceptConnection();
    return connection;
  }

  // True once the server's end of `connection` has been shut down: the
  // client then reads the end of the stream.
  static bool ShutDown(Connection& connection, milliseconds wait) {
    try {
      if (!connection.client.poll(Poco::Timespan(wait.count() * 1000),
                                  Poco::Net::Socket::SELECT_READ)) {
        return false;
      }
      char byte;
      return connection.client.receiveBytes(&byte, 1) == 0;
    } catch (const Poco::Exception&) {
      return true;
    }
  }

  Poco::Net::ServerSocket listener_;
  ConnectionWatchdog watchdog_;
};

TEST_F(ConnectionWatchdogTest, ShutsDownAtTheDeadlineHoweverManyBytesCome) {
  Connection connection = Connect();
  const auto begin = Clock::now();
  const ConnectionWatchdog::Id id = watchdog_.Watch(connection.server);
  ASSERT_NE(id, ConnectionWatchdog::kNotWatched);
  // A byte every 20 ms, each read by the server, as from a trickling
  // client.
  bool shutDown = false;
  while (!shutDown && Clock::now() - begin < kGenerous) {
    try {
      connection.client.sendBytes("x", 1);
      char byte;
      connection.server.receiveBytes(&byte, 1);
    } catch (const Poco::Exception&) {
    }
    shutDown = ShutDown(connection, milliseconds(20));
  }
  EXPECT_TRUE(shutDown);
  EXPECT_GE(Clock::now() - begin, kRequestTime);
  // The server's own reads end as well.
  char byte;
  EXPECT_EQ(connection.server.receiveBytes(&byte, 1), 0);
  watchdog_.Forget(id);
}

TEST_F(ConnectionWatchdogTest, SuspendedConnectionWaitsUntilRenewed) {
  Connection connection = Connect();
  const ConnectionWatchdog::Id id = watchdog_.Watch(connection.server);
  watchdog_.Suspend(id);
  EXPECT_FALSE(ShutDown(connection, 3 * kRequestTime));

  const auto renewed = Clock::now();
  watchdog_.Renew(id);
  EXPECT_TRUE(ShutDown(connection, kGenerous));
  EXPECT_GE(Clock::now() - renewed, kRequestTime);
  watchdog_.Forget(id);
}

TEST_F(ConnectionWatchdogTest, ForgetClosesOnlyTheWatchdogsDescriptor) {
  const int before = OpenDescriptors();
  Connection connection = Connect();
  const ConnectionWatchdog::Id id = watchdog_.Watch(connection.server);
  EXPECT_EQ(watchdog_.WatchedCount(), 1u);
  EXPECT_EQ(OpenDescriptors(), before + 3);
  watchdog_.Forget(id);
  EXPECT_EQ(watchdog_.WatchedCount(), 0u);
  EXPECT_EQ(OpenDescriptors(), before + 2);
  // Never shut down once forgotten, and the connection still carries data.
  EXPECT_FALSE(ShutDown(connection, 2 * kRequestTime));
  connection.server.sendBytes("y", 1);
  char byte = 0;
  EXPECT_EQ(connection.client.receiveBytes(&byte, 1), 1);
  EXPECT_EQ(byte, 'y');
}

TEST_F(ConnectionWatchdogTest, ConnectionStaysOpenUntilForgotten) {
  // The server has closed its end, but the client sees the end of the
  // stream only once the watchdog lets go of the connection too.
  Connection connection = Connect();
  const ConnectionWatchdog::Id id = watchdog_.Watch(connection.server);
  watchdog_.Suspend(id);
  connection.server.close();
  EXPECT_FALSE(ShutDown(connection, milliseconds(50)));
  watchdog_.Forget(id);
  EXPECT_TRUE(ShutDown(connection, kGenerous));
}

TEST_F(ConnectionWatchdogTest, ShutDownAllTakesSuspendedOnesAndRefusesNew) {
  Connection waiting = Connect();
  Connection executing = Connect();
  const ConnectionWatchdog::Id waitingId = watchdog_.Watch(waiting.server);
  const ConnectionWatchdog::Id executingId = watchdog_.Watch(executing.server);
  watchdog_.Suspend(executingId);
  watchdog_.ShutDownAll();
  EXPECT_TRUE(ShutDown(waiting, kGenerous));
  EXPECT_TRUE(ShutDown(executing, kGenerous));

  Connection late = Connect();
  EXPECT_EQ(watchdog_.Watch(late.server), ConnectionWatchdog::kNotWatched);
  watchdog_.Forget(waitingId);
  watchdog_.Forget(executingId);
  EXPECT_EQ(watchdog_.WatchedCount(), 0u);
}

TEST_F(ConnectionWatchdogTest, ClosedSocketIsNotWatchedAndUnknownIdsIgnored) {
  Poco::Net::StreamSocket closed;
  EXPECT_EQ(watchdog_.Watch(closed), ConnectionWatchdog::kNotWatched);
  watchdog_.Suspend(12345);
  watchdog_.Renew(12345);
  watchdog_.Forget(12345);
  watchdog_.Forget(ConnectionWatchdog::kNotWatched);
  EXPECT_EQ(watchdog_.WatchedCount(), 0u);
}

TEST_F(ConnectionWatchdogTest, StoppedWatchdogShutsNothingDown) {
  Connection connection = Connect();
  const ConnectionWatchdog::Id id = watchdog_.Watch(connection.server);
  watchdog_.Stop();
  EXPECT_FALSE(ShutDown(connection, 3 * kRequestTime));
  watchdog_.Start();
  EXPECT_TRUE(ShutDown(connection, kGenerous));
  watchdog_.Forget(id);
}

}  // namespace
}  // namespace tool
