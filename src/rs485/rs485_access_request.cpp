#include "rs485/rs485_access_request.h"

#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "log/logger_setting_xml_manager.h"
#include "rs485/rs485_access_request_callback.h"
#include "rs485/rs485_record_layout.h"

namespace tool {
namespace {

constexpr time_t kTimeoutSeconds = 10;

void SetTimeouts(int fd) {
  const timeval timeout = {kTimeoutSeconds, 0};
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
}

// False when the path does not fit sun_path with its terminating zero.
bool Connect(int fd, const std::string& path) {
  sockaddr_un address;
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.data(), path.size());
  return connect(fd, reinterpret_cast<const sockaddr*>(&address),
                 sizeof address) == 0;
}

// A stop signal landing on this thread must not fail the exchange.
bool WriteAll(int fd, const std::uint8_t* data, int size) {
  int written = 0;
  while (written < size) {
    const ssize_t n = send(fd, data + written, size - written, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    written += static_cast<int>(n);
  }
  return true;
}

// The number of bytes read into `buffer`, or -1 when a read failed.
int ReadUntilClosedOrFull(int fd, std::uint8_t* buffer, int capacity) {
  int received = 0;
  while (received < capacity) {
    const ssize_t n = recv(fd, buffer + received, capacity - received, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    received += static_cast<int>(n);
  }
  return received;
}

// A service that closes before the whole frame it announced has arrived
// sent a damaged reply; the zeros after its end would read as frame bytes.
// Replies without a frame may stop after any field, and a full buffer is
// not cut short (a length beyond it is the callback's to reject).
bool CutShort(const std::uint8_t* reply, int received) {
  const int length = record::LoadInt16(reply + record::kReplyLengthOffset);
  return length > 0 && received < record::kReplyRecordSize &&
         received < record::kReplyFrameOffset + length;
}

}  // namespace

RS485AccessRequest::RS485AccessRequest(RS485AccessRequestCallback* callback,
                                       const LoggerSettingXmlManager& settings)
    : callback_(callback), settings_(settings) {}

RS485AccessRequest::~RS485AccessRequest() {
  if (!reported_ && callback_ != nullptr) callback_->OnDropped();
}

void RS485AccessRequest::SetAccessData(const std::uint8_t* data, int size,
                                       std::shared_ptr<const void> keepAlive) {
  data_ = data;
  size_ = data == nullptr || size < 0 ? 0 : size;
  keepAlive_ = std::move(keepAlive);
}

void RS485AccessRequest::Cancel() { cancelled_.store(true); }

void RS485AccessRequest::Abort() {
  std::lock_guard<std::mutex> lock(socketMutex_);
  aborted_ = true;
  if (socket_ >= 0) shutdown(socket_, SHUT_RDWR);
}

void RS485AccessRequest::Report(int code, const std::uint8_t* reply) {
  if (callback_ == nullptr) return;
  reported_ = true;
  callback_->OnResult(code, reply);
}

void RS485AccessRequest::Process() {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    Report(kSocketFailed, nullptr);
    return;
  }
  {
    std::lock_guard<std::mutex> lock(socketMutex_);
    socket_ = fd;
  }
  // Lives on the worker's stack; zero-filled so that whatever the service
  // leaves out reads as zero.
  std::uint8_t reply[record::kReplyRecordSize] = {};
  const int code = Exchange(fd, reply);
  {
    std::lock_guard<std::mutex> lock(socketMutex_);
    socket_ = -1;
  }
  if (code != kOk) {
    close(fd);
    Report(code, nullptr);
    return;
  }
  if (!cancelled_.load()) Report(kOk, reply);
  close(fd);
}

int RS485AccessRequest::Exchange(int fd, std::uint8_t* reply) {
  const auto aborted = [this] {
    std::lock_guard<std::mutex> lock(socketMutex_);
    return aborted_;
  };
  SetTimeouts(fd);
  if (aborted() || !Connect(fd, settings_.GetComSocketPath())) {
    return kConnectFailed;
  }
  if (!WriteAll(fd, data_, size_)) return kWriteFailed;
  const int received =
      ReadUntilClosedOrFull(fd, reply, record::kReplyRecordSize);
  // A shutdown by Abort ends the read as if the service had closed.
  if (received < 0 || aborted() || CutShort(reply, received)) {
    return kReadFailed;
  }
  return kOk;
}

}  // namespace tool
