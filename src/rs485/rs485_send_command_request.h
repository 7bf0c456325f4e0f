#ifndef TOOL_RS485_RS485_SEND_COMMAND_REQUEST_H_
#define TOOL_RS485_RS485_SEND_COMMAND_REQUEST_H_

#include <atomic>
#include <cstdint>
#include <future>
#include <memory>

#include "rs485/byte_data_holder.h"
#include "rs485/rs485_access_request_callback.h"

namespace tool {

class LoggerSettingXmlManager;
class RS485AccessRequest;

// The waiting side of one command exchange. The requesting thread queues the
// access request made by CreateAccessRequest and waits on GetFuture; the
// channel's worker thread completes the future with the reply bytes (a
// 2-byte frame length, one uninterpreted byte, then the device's frame), or
// with an empty pointer when the exchange failed, the service reported a
// non-zero status, the reply's length field lies outside the record, or the
// access request was destroyed without reporting. The future is therefore
// always completed, exactly once.
//
// Must remain live until the future has delivered.
class RS485SendCommandRequest : public RS485AccessRequestCallback {
 public:
  // `settings` (the socket path) must remain live while the access request
  // exists.
  explicit RS485SendCommandRequest(const LoggerSettingXmlManager& settings);
  ~RS485SendCommandRequest() override = default;

  RS485SendCommandRequest(const RS485SendCommandRequest&) = delete;
  RS485SendCommandRequest& operator=(const RS485SendCommandRequest&) = delete;

  // Call once.
  std::future<std::shared_ptr<ByteDataHolder>> GetFuture();

  // A new access request reporting to this object, holding one reference
  // that the caller hands on to the channel.
  RS485AccessRequest* CreateAccessRequest();

  void OnResult(int code, const std::uint8_t* reply) override;
  void OnDropped() override;

  // Whether the communication service sent a reply record, whatever its
  // status: false when it could not be reached or the exchange failed. Read
  // it once the future has delivered.
  bool ServiceAnswered() const { return serviceAnswered_; }

 private:
  void Complete(std::shared_ptr<ByteDataHolder> reply);

  const LoggerSettingXmlManager& settings_;
  std::promise<std::shared_ptr<ByteDataHolder>> promise_;
  std::atomic<bool> completed_{false};
  std::atomic<bool> serviceAnswered_{false};
};

}  // namespace tool

#endif  // TOOL_RS485_RS485_SEND_COMMAND_REQUEST_H_
