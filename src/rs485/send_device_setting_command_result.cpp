#include "rs485/send_device_setting_command_result.h"

#include <Poco/Format.h>

#include <string>

#include "log/logger_log.h"

namespace tool {
namespace {

constexpr char kTag[] = "SendDeviceSettingCommandResult";

// Where the frame starts in the command bytes and in the reply bytes.
constexpr int kSentFrameStart = 2;
constexpr int kReplyFrameStart = 3;
// A CompoWay/F reply's end code: two characters after STX, node number and
// sub-address.
constexpr int kEndCodeStart = kReplyFrameStart + 5;
constexpr unsigned kNormalEndCode = 0x3030;  // "00"

bool SizeError() {
  LoggerLog::Error(kTag, "Received Error [size error]");
  return false;
}

void LogReceivedData(const ByteDataHolder& reply) {
  LoggerLog::Info(kTag, "Received Data [" + reply.ToHexString() + "]");
}

}  // namespace

SendDeviceSettingCommandResult::SendDeviceSettingCommandResult(
    std::shared_ptr<ByteDataHolder> sentData, int checkKind,
    int modbusCompareLength)
    : sentData_(std::move(sentData)),
      checkKind_(checkKind),
      modbusCompareLength_(modbusCompareLength) {}

bool SendDeviceSettingCommandResult::CheckReceivedData(
    const std::shared_ptr<ByteDataHolder>& reply) const {
  if (!sentData_ || !reply) {
    LoggerLog::Error(kTag, "Received Error [data null]");
    return false;
  }
  if (sentData_->GetSize() <= kSentFrameStart ||
      reply->GetSize() <= kReplyFrameStart) {
    return SizeError();
  }
  return checkKind_ == kCompowayF ? CheckReceivedDataForCompoWayF(*reply)
                                  : CheckReceivedDataForModbus(*reply);
}

bool SendDeviceSettingCommandResult::CheckReceivedDataForModbus(
    const ByteDataHolder& reply) const {
  const int k = modbusCompareLength_;
  if (reply.GetSize() < kReplyFrameStart + k ||
      sentData_->GetSize() < kSentFrameStart + k) {
    return SizeError();
  }
  if (LoggerLog::IsDebugEnabled()) {
    LoggerLog::Debug(
        kTag, Poco::format("### %s send_data:%s, recv_data:%s",
                           std::string("CheckReceivedDataForModbus"),
                           sentData_->ToHexString(), reply.ToHexString()));
  }
  bool same = true;
  for (int i = 0; i < k; ++i) {
    same = same && reply.GetData()[kReplyFrameStart + i] ==
                       sentData_->GetData()[kSentFrameStart + i];
  }
  LogReceivedData(reply);
  return same;
}

bool SendDeviceSettingCommandResult::CheckReceivedDataForCompoWayF(
    const ByteDataHolder& reply) const {
  if (reply.GetSize() < kEndCodeStart + 2) return SizeError();
  const std::uint8_t* end = reply.GetData() + kEndCodeStart;
  const unsigned endCode = end[0] | unsigned{end[1]} << 8;
  if (LoggerLog::IsDebugEnabled()) {
    LoggerLog::Debug(
        kTag,
        Poco::format("### %s send_data:%s, recv_data:%s, EndCode:0x%04x",
                     std::string("CheckReceivedDataForCompoWayF"),
                     sentData_->ToHexString(), reply.ToHexString(), endCode));
  }
  LogReceivedData(reply);
  return endCode == kNormalEndCode;
}

}  // namespace tool
