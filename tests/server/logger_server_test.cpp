#include "server/logger_server.h"

#include <gtest/gtest.h>

namespace tool {
namespace {

TEST(LoggerServerTest, StartsOnceAndStopsOnce) {
  LoggerServer server(0);
  EXPECT_EQ(server.GetPort(), 0);
  server.Stop();  // never started: nothing to do
  server.Start();
  const Poco::UInt16 port = server.GetPort();
  ASSERT_NE(port, 0);
  server.Start();
  EXPECT_EQ(server.GetPort(), port);

  server.Stop();
  EXPECT_EQ(server.GetPort(), 0);
  server.Stop();
}

}  // namespace
}  // namespace tool
