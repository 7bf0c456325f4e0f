#ifndef TOOL_RS485_RS485_ACCESS_REQUEST_H_
#define TOOL_RS485_RS485_ACCESS_REQUEST_H_

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "rs485/request.h"

namespace tool {

class LoggerSettingXmlManager;
class RS485AccessRequestCallback;

// One exchange with the RS-485 communication service: connect to the
// service's Unix-domain socket (the ComSocketPath setting, read when the
// exchange starts), write the access record, read the reply record until the
// service closes the connection or the reply buffer is full, and report the
// outcome to the callback.
//
// Send and receive each time out after 10 s. A broken connection never
// raises SIGPIPE. A reply record that ends before the frame its length field
// announces was cut short and counts as a failed read. Used for exactly one
// exchange.
class RS485AccessRequest : public Request {
 public:
  // Codes passed to OnResult.
  static constexpr int kOk = 0;
  static constexpr int kSocketFailed = -1;
  static constexpr int kConnectFailed = -2;  // also a path that cannot fit
  static constexpr int kWriteFailed = -3;
  static constexpr int kReadFailed = -4;

  // `callback` and `settings` must remain live until the request is
  // destroyed.
  RS485AccessRequest(RS485AccessRequestCallback* callback,
                     const LoggerSettingXmlManager& settings);

  // Attaches the `size` bytes at `data` as the record to write. They are not
  // copied: they must stay unchanged until Process has returned, which
  // `keepAlive`, when given, guarantees by sharing ownership of them.
  void SetAccessData(const std::uint8_t* data, int size,
                     std::shared_ptr<const void> keepAlive = nullptr);

  // A cancelled request still makes its exchange, but reports only failures.
  // Safe from any thread.
  void Cancel();

  // Cuts a running exchange short by shutting its connection down, so that
  // it reports the failure of the step it was in (at the latest -4) at once
  // instead of after its time-out; an exchange not yet started fails before
  // it connects (-2). Only a connect that waits for room in the service's
  // backlog is not cut short. Safe from any thread.
  void Abort() override;

  // The exchange. Calls the callback's OnResult at most once.
  void Process() override;

 protected:
  // Calls the callback's OnDropped when OnResult never ran.
  ~RS485AccessRequest() override;

 private:
  void Report(int code, const std::uint8_t* reply);
  int Exchange(int fd, std::uint8_t* reply);

  RS485AccessRequestCallback* const callback_;
  const LoggerSettingXmlManager& settings_;
  std::atomic<bool> cancelled_{false};
  // Guards the open socket against Abort shutting down a closed (and maybe
  // reused) descriptor.
  std::mutex socketMutex_;
  int socket_ = -1;
  bool aborted_ = false;
  bool reported_ = false;
  const std::uint8_t* data_ = nullptr;
  int size_ = 0;
  std::shared_ptr<const void> keepAlive_;
};

}  // namespace tool

#endif  // TOOL_RS485_RS485_ACCESS_REQUEST_H_
