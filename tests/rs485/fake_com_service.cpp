#include "rs485/fake_com_service.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "rs485/rs485_record_layout.h"

namespace tool {
namespace testing {

FakeComService::FakeComService(const std::string& path) : path_(path) {
  listenFd_ = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address = {};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path_.c_str(), sizeof address.sun_path - 1);
  unlink(path_.c_str());
  if (listenFd_ < 0 ||
      bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) !=
          0 ||
      listen(listenFd_, 16) != 0) {
    std::perror("FakeComService");
    std::abort();
  }
  thread_ = std::thread([this] { Serve(); });
}

FakeComService::~FakeComService() {
  // Makes the blocked accept return.
  shutdown(listenFd_, SHUT_RDWR);
  thread_.join();
  close(listenFd_);
  for (int fd : openFds_) close(fd);
  unlink(path_.c_str());
}

void FakeComService::Answer(std::vector<std::uint8_t> reply, bool keepOpen) {
  std::lock_guard<std::mutex> lock(mutex_);
  reply_ = std::move(reply);
  keepOpen_ = keepOpen;
}

void FakeComService::AnswerCommands(
    std::vector<std::vector<std::uint8_t>> replies) {
  std::lock_guard<std::mutex> lock(mutex_);
  scripted_ = true;
  commandReplies_ = std::move(replies);
  commandsAnswered_ = 0;
}

std::vector<std::vector<std::uint8_t>> FakeComService::CommandFrames() const {
  std::vector<std::vector<std::uint8_t>> frames;
  for (const auto& received : Records()) {
    if (received.size() < record::kAccessRecordSize ||
        received[record::kFrameFlagOffset] == 0) {
      continue;
    }
    const std::uint8_t* command = received.data() + record::kCommandOffset;
    const size_t length = 2 + (command[0] | command[1] << 8);
    frames.emplace_back(
        command, command + std::min<size_t>(length, record::kMaxCommandBytes));
  }
  return frames;
}

std::vector<std::vector<std::uint8_t>> FakeComService::Records() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return records_;
}

bool FakeComService::AwaitRecords(size_t count) const {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (Records().size() < count) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

std::vector<std::uint8_t> FakeComService::ReplyRecord(
    int status, const std::vector<std::uint8_t>& frame) {
  std::vector<std::uint8_t> reply(record::kReplyFrameOffset + frame.size());
  record::StoreUint32(reply.data() + record::kStatusOffset, status);
  record::StoreUint16(reply.data() + record::kReplyLengthOffset,
                      static_cast<std::uint16_t>(frame.size()));
  std::copy(frame.begin(), frame.end(),
            reply.begin() + record::kReplyFrameOffset);
  return reply;
}

void FakeComService::Serve() {
  for (;;) {
    const int fd = accept(listenFd_, nullptr, nullptr);
    if (fd < 0) return;
    std::vector<std::uint8_t> received(record::kAccessRecordSize);
    size_t got = 0;
    while (got < received.size()) {
      const ssize_t n = read(fd, received.data() + got, received.size() - got);
      if (n <= 0) break;
      got += n;
    }
    received.resize(got);
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::uint8_t> reply = reply_;
    if (scripted_) {
      const bool command = received.size() == record::kAccessRecordSize &&
                           received[record::kFrameFlagOffset] != 0;
      reply = !command ? ReplyRecord(0, {})
              : commandsAnswered_ < commandReplies_.size()
                  ? commandReplies_[commandsAnswered_]
                  : std::vector<std::uint8_t>{};
      if (command) ++commandsAnswered_;
    }
    records_.push_back(std::move(received));
    if (!reply.empty()) {
      send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
    }
    if (keepOpen_) {
      openFds_.push_back(fd);
    } else {
      close(fd);
    }
  }
}

}  // namespace testing
}  // namespace tool
