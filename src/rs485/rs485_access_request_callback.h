#ifndef TOOL_RS485_RS485_ACCESS_REQUEST_CALLBACK_H_
#define TOOL_RS485_RS485_ACCESS_REQUEST_CALLBACK_H_

#include <cstdint>

namespace tool {

// Receives the outcome of one RS485AccessRequest. Both operations run on the
// channel's worker thread, never on the thread that queued the request, and
// at most one of them runs per request.
class RS485AccessRequestCallback {
 public:
  virtual ~RS485AccessRequestCallback() = default;

  // `code` is 0 when the record was written and the reply read, else -1 (no
  // socket), -2 (no connection), -3 (write failed) or -4 (read failed or
  // timed out). `reply` points to the zero-filled reply record of
  // record::kReplyRecordSize bytes when `code` is 0 and is null otherwise;
  // it is valid only during the call.
  virtual void OnResult(int code, const std::uint8_t* reply);

  // The request is being destroyed without having reported: its channel was
  // destroyed before its turn, or it was cancelled and succeeded. Lets a
  // waiting thread go.
  virtual void OnDropped();
};

}  // namespace tool

#endif  // TOOL_RS485_RS485_ACCESS_REQUEST_CALLBACK_H_
