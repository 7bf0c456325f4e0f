#include "server/logger_server.h"

#include <Poco/Net/HTTPClientSession.h>
#include <Poco/Net/HTTPRequest.h>
#include <Poco/Net/HTTPResponse.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>

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

  Poco::Net::HTTPClientSession session("127.0.0.1", port);
  Poco::Net::HTTPRequest request(Poco::Net::HTTPRequest::HTTP_POST, "/");
  request.setContentLength(0);
  session.sendRequest(request);
  Poco::Net::HTTPResponse response;
  std::ostringstream body;
  body << session.receiveResponse(response).rdbuf();
  EXPECT_EQ(response.getStatus(), Poco::Net::HTTPResponse::HTTP_OK);
  EXPECT_NE(body.str().find("<status>FAILURE</status>"), std::string::npos);

  server.Stop();
  EXPECT_EQ(server.GetPort(), 0);
  server.Stop();
}

}  // namespace
}  // namespace tool
