#include "process/load_driver.h"

#include <regex>
#include <utility>

#include "process/http_exchange.h"

namespace tool {
namespace testing {

LoadDriver::LoadDriver(int clients, RequestMaker makeRequest,
                       std::chrono::milliseconds replyTimeout)
    : clients_(clients),
      makeRequest_(std::move(makeRequest)),
      replyTimeout_(replyTimeout) {}

LoadDriver::~LoadDriver() { Join(); }

void LoadDriver::Run() {
  sending_.store(true);
  for (int i = 0; i < clients_; ++i) {
    threads_.emplace_back(&LoadDriver::Client, this, i);
  }
}

void LoadDriver::StopSending() { sending_.store(false); }

LoadDriver::Outcome LoadDriver::Join() {
  StopSending();
  for (std::thread& thread : threads_) thread.join();
  threads_.clear();
  std::lock_guard<std::mutex> lock(mutex_);
  return outcome_;
}

void LoadDriver::Client(int number) {
  std::mt19937 random(static_cast<unsigned>(number) * 7919u + 1u);
  for (int sent = 0; sending_.load(); ++sent) {
    const std::string request = makeRequest_(number, sent, random);
    ++sent_;
    const auto start = std::chrono::steady_clock::now();
    const HttpReply reply = HttpExchange(PostRequest(request), replyTimeout_);
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    Record(request, reply.status, reply.body, waited);
  }
}

void LoadDriver::Record(const std::string& request, int status,
                        const std::string& body,
                        std::chrono::milliseconds waited) {
  std::string replyStatus;
  const bool wellFormed =
      status == 200 && IsWellFormedReply(body, &replyStatus);
  if (status != 0) ++answered_;
  std::lock_guard<std::mutex> lock(mutex_);
  ++outcome_.sent;
  if (waited > outcome_.longest) outcome_.longest = waited;
  if (wellFormed && replyStatus == "SUCCESS") {
    ++outcome_.success;
  } else if (wellFormed) {
    ++outcome_.failure;
  } else if (status == 0 && body.empty() && waited < replyTimeout_) {
    ++outcome_.closed;
  } else {
    outcome_.malformed.push_back("status " + std::to_string(status) +
                                 " after " + std::to_string(waited.count()) +
                                 " ms: " + body + " for " + request);
  }
}

bool IsWellFormedReply(const std::string& body, std::string* status) {
  static const std::regex reply(
      "<\\?xml version=\"1\\.0\" encoding=\"UTF-8\"\\?>\n"
      "<commandResponse id=\"[^\"<>]*\">\n"
      "\t<status>(SUCCESS|FAILURE)</status>\n"
      "(\t<detail>\n(\t\t<code>400</code>\n)?(\t\t<message>[^<]*</message>\n)?"
      "\t</detail>\n)?"
      "</commandResponse>\n");
  std::smatch match;
  if (!std::regex_match(body, match, reply)) return false;
  *status = match[1].str();
  return true;
}

}  // namespace testing
}  // namespace tool
