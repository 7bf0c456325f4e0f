#include "server/my_http_request_handler.h"

#include <Poco/Exception.h>
#include <Poco/Net/HTTPRequest.h>
#include <Poco/Net/HTTPResponse.h>
#include <Poco/Semaphore.h>
#include <malloc.h>

#include <algorithm>
#include <exception>
#include <istream>
#include <string>

#include "log/logger_log.h"
#include "server/failed_request_command.h"
#include "server/log_text_util.h"
#include "server/receive_request_command_executor.h"

namespace tool {
namespace {

constexpr char kTag[] = "LoggerServer";

// Permits to execute a large body, shared by every request of the process;
// never destroyed, since a request may still run when the process ends.
Poco::Semaphore& LargeBodyPermits() {
  constexpr int kPermits = MyHttpRequestHandler::kLargeBodiesAtOnce;
  static Poco::Semaphore* const permits =
      new Poco::Semaphore(kPermits, kPermits);
  return *permits;
}

// The executor's reply to `body`. A large body waits for a permit, and the
// memory it took is handed back to the system afterwards.
std::string Execute(const ReceiveRequestCommandExecutor& executor,
                    const std::string& body) {
  if (body.size() <= MyHttpRequestHandler::kLargeBodyBytes) {
    return executor.ExecuteRequest(body);
  }
  LargeBodyPermits().wait();
  std::string reply;
  try {
    reply = executor.ExecuteRequest(body);
  } catch (...) {
    LargeBodyPermits().set();
    throw;
  }
  LargeBodyPermits().set();
  // The freed trees would otherwise stay with the allocator arena of this
  // thread, one of many, and keep the process large.
  malloc_trim(0);
  return reply;
}

// Reads the request body into `*body`, up to its first zero byte. Returns
// false, leaving the rest unread, when the body is longer than the limit.
// A body without a Content-Length runs to the end of its stream.
bool ReadBody(Poco::Net::HTTPServerRequest& request, std::string* body) {
  constexpr std::streamsize kLimit = MyHttpRequestHandler::kMaxBodyBytes;
  std::streamsize wanted = kLimit + 1;
  if (request.hasContentLength()) {
    const Poco::Int64 declared = request.getContentLength64();
    if (declared > kLimit) return false;
    wanted = std::max<std::streamsize>(declared, 0);
  }
  body->assign(static_cast<std::size_t>(wanted), '\0');
  std::istream& stream = request.stream();
  stream.read(&(*body)[0], wanted);
  const std::streamsize received = stream.gcount();
  if (received > kLimit) return false;
  body->resize(static_cast<std::size_t>(received));
  const std::string::size_type zero = body->find('\0');
  if (zero != std::string::npos) body->resize(zero);
  return true;
}

}  // namespace

MyHttpRequestHandler::MyHttpRequestHandler(
    const ReceiveRequestCommandExecutor& executor, ConnectionWatchdog* watchdog,
    ConnectionWatchdog::Id connection)
    : executor_(executor), watchdog_(watchdog), connection_(connection) {}

void MyHttpRequestHandler::handleRequest(
    Poco::Net::HTTPServerRequest& request,
    Poco::Net::HTTPServerResponse& response) {
  if (request.getMethod() != Poco::Net::HTTPRequest::HTTP_POST) {
    response.setStatusAndReason(
        Poco::Net::HTTPResponse::HTTP_METHOD_NOT_ALLOWED);
    response.set("Allow", Poco::Net::HTTPRequest::HTTP_POST);
    response.setContentLength(0);
    response.send();
    // The connection may be kept alive for a next request.
    RenewDeadline();
    return;
  }
  response.setStatusAndReason(Poco::Net::HTTPResponse::HTTP_OK);
  response.setContentType("text/xml");
  std::ostream& out = response.send();

  std::string reply;
  try {
    std::string body;
    if (ReadBody(request, &body)) {
      const std::string logged = LogTextUtil::Printable(body);
      if (LoggerLog::IsDebugEnabled()) {
        LoggerLog::Debug(kTag, "ReceiveRequest [" + logged + "]");
      }
      LoggerLog::Info(kTag, "HTTP Request [" + logged + "]");
      // A command may take far longer than a client may take to send it.
      SuspendDeadline();
      reply = Execute(executor_, body);
    } else {
      LoggerLog::Warn(kTag, "HTTP Request body over " +
                                std::to_string(kMaxBodyBytes) + " bytes");
      reply = FailedRequestCommand::ReplyText("0", "request body too large.");
    }
  } catch (const Poco::Exception& e) {
    // The body stream failed, for example when the client's chunks are
    // malformed.
    LoggerLog::Warn(kTag, "Exception [" + e.displayText() + "]");
    reply = FailedRequestCommand::ReplyText("0", e.displayText());
  } catch (const std::exception& e) {
    LoggerLog::Warn(kTag, std::string("Exception [") + e.what() + "]");
    reply = FailedRequestCommand::ReplyText("0", e.what());
  }
  RenewDeadline();
  out << reply;
  out.flush();
  const std::string logged = LogTextUtil::Printable(reply);
  if (LoggerLog::IsDebugEnabled()) {
    LoggerLog::Debug(kTag, "Responce [" + logged + "]");
  }
  LoggerLog::Info(kTag, "HTTP Response [" + logged + "]");
}

void MyHttpRequestHandler::SuspendDeadline() {
  if (watchdog_ != nullptr) watchdog_->Suspend(connection_);
}

void MyHttpRequestHandler::RenewDeadline() {
  if (watchdog_ != nullptr) watchdog_->Renew(connection_);
}

}  // namespace tool
