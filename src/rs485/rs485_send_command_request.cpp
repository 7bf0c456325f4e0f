#include "rs485/rs485_send_command_request.h"

#include <cstring>
#include <new>

#include "log/logger_setting_xml_manager.h"
#include "rs485/rs485_access_request.h"
#include "rs485/rs485_record_layout.h"

namespace tool {
namespace {

// The length field, the uninterpreted byte and the frame.
constexpr int kReplyHeaderBytes =
    record::kReplyFrameOffset - record::kReplyLengthOffset;

}  // namespace

RS485SendCommandRequest::RS485SendCommandRequest(
    const LoggerSettingXmlManager& settings)
    : settings_(settings) {}

std::future<std::shared_ptr<ByteDataHolder>>
RS485SendCommandRequest::GetFuture() {
  return promise_.get_future();
}

RS485AccessRequest* RS485SendCommandRequest::CreateAccessRequest() {
  return new RS485AccessRequest(this, settings_);
}

void RS485SendCommandRequest::OnResult(int code, const std::uint8_t* reply) {
  serviceAnswered_ = reply != nullptr && code == RS485AccessRequest::kOk;
  if (reply == nullptr || code != RS485AccessRequest::kOk ||
      record::LoadInt32(reply + record::kStatusOffset) != 0) {
    Complete(nullptr);
    return;
  }
  const int length = record::LoadInt16(reply + record::kReplyLengthOffset);
  if (length < 0 || length > record::kMaxReplyFrameBytes) {
    Complete(nullptr);
    return;
  }
  std::shared_ptr<ByteDataHolder> holder;
  try {
    holder = std::make_shared<ByteDataHolder>(length + kReplyHeaderBytes);
  } catch (const std::bad_alloc&) {
    Complete(nullptr);
    return;
  }
  std::memcpy(holder->GetData(), reply + record::kReplyLengthOffset,
              holder->GetSize());
  Complete(std::move(holder));
}

void RS485SendCommandRequest::OnDropped() { Complete(nullptr); }

void RS485SendCommandRequest::Complete(std::shared_ptr<ByteDataHolder> reply) {
  if (completed_.exchange(true)) return;
  promise_.set_value(std::move(reply));
}

}  // namespace tool
