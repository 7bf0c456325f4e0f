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

bool ReadUntilClosedOrFull(int fd, std::uint8_t* buffer, int capacity) {
  int received = 0;
  while (received < capacity) {
    const ssize_t n = recv(fd, buffer + received, capacity - received, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    received += static_cast<int>(n);
  }
  return true;
}

}  // namespace

RS485AccessRequest::RS485AccessRequest(RS485AccessRequestCallback* callback)
    : RS485AccessRequest(callback, LoggerSettingXmlManager::GetInstance()) {}

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

void RS485AccessRequest::Report(int code, const std::uint8_t* reply) {
  if (callback_ == nullptr) return;
  reported_ = true;
  callback_->OnResult(code, reply);
}

void RS485AccessRequest::Process() {
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  if (fd < 0) {
    Report(kSocketFailed, nullptr);
    return;
  }
  // Lives on the worker's stack; zero-filled so that whatever the service
  // leaves out reads as zero.
  std::uint8_t reply[record::kReplyRecordSize] = {};
  const int code = Exchange(fd, reply);
  if (code != kOk) {
    close(fd);
    Report(code, nullptr);
    return;
  }
  if (!cancelled_.load()) Report(kOk, reply);
  close(fd);
}

int RS485AccessRequest::Exchange(int fd, std::uint8_t* reply) {
  SetTimeouts(fd);
  if (!Connect(fd, settings_.GetComSocketPath())) return kConnectFailed;
  if (!WriteAll(fd, data_, size_)) return kWriteFailed;
  if (!ReadUntilClosedOrFull(fd, reply, record::kReplyRecordSize)) {
    return kReadFailed;
  }
  return kOk;
}

}  // namespace tool
