// Fuzz target: one reply record of the communication service through
// RS485SendCommandRequest::OnResult and, when that delivers reply bytes,
// through the judgement of SendDeviceSettingCommandResult against the
// frames the commands send: Modbus requests (with the service's compare
// length: built once with Skylet's profile, once with Wattlet's) and CompoWay/F
// frames.
//
// The input is the start of the record; the rest stays zero, as the worker
// thread's receive buffer does when the service writes less. Rules checked:
// a reply is delivered exactly when the status is 0 and the length field
// lies inside the record, and then holds the length, the uninterpreted byte
// and the frame; its hex text has two digits per byte; each judgement
// agrees with the bytes it compares.
#include <algorithm>
#include <cstring>
#include <future>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include TOOL_FUZZ_PROFILE_HEADER
#include "fuzz/fuzz_target.h"
#include "log/logger_setting_xml_manager.h"
#include "protocol/compoway_command.h"
#include "protocol/modbus_command.h"
#include "rs485/byte_data_holder.h"
#include "rs485/rs485_access_request.h"
#include "rs485/rs485_record_layout.h"
#include "rs485/rs485_send_command_request.h"
#include "rs485/send_device_setting_command_result.h"

namespace {

using tool::ByteDataHolder;
using tool::SendDeviceSettingCommandResult;
using tool::fuzzing::FuzzCheck;
namespace record = tool::record;

// The requests of the weather sensor's and the KM50's commands, at slave
// address 1.
constexpr const char* kModbusRequests[] = {
    "014605",
    "0146060302",
    "0146040a",
    "010800010000",
    "010800001234",
    "010600000700",
    "0110f0120002040000000a",
    "010600000400",
};
// The KM50's CompoWay/F command texts, at node 01.
constexpr const char* kCompowayTexts[] = {
    "0100008011234",
    "0100030050700",
    "010000202C000001280010000000a",
    "0100030050400",
};

constexpr int kSentFrameStart = 2;
constexpr int kReplyFrameStart = 3;
constexpr int kEndCodeStart = kReplyFrameStart + 5;

struct SentFrame {
  std::shared_ptr<ByteDataHolder> bytes;
  int checkKind;
};

// Built once; never destroyed.
const std::vector<SentFrame>* sentFrames = nullptr;
// No settings file: the socket path, which nothing here reads, is the
// default.
const tool::LoggerSettingXmlManager* settings = nullptr;

// What the judgement must answer, from the bytes alone.
bool Expected(const SentFrame& sent, const ByteDataHolder& reply) {
  const std::uint8_t* r = reply.GetData();
  if (sent.checkKind == SendDeviceSettingCommandResult::kCompowayF) {
    return reply.GetSize() >= kEndCodeStart + 2 && r[kEndCodeStart] == '0' &&
           r[kEndCodeStart + 1] == '0';
  }
  const int k = TOOL_FUZZ_PROFILE.modbusCompareLength;
  return reply.GetSize() >= kReplyFrameStart + k &&
         std::memcmp(r + kReplyFrameStart,
                     sent.bytes->GetData() + kSentFrameStart, k) == 0;
}

void CheckDelivery(const std::vector<std::uint8_t>& input,
                   const std::shared_ptr<ByteDataHolder>& reply) {
  const int length =
      record::LoadInt16(input.data() + record::kReplyLengthOffset);
  const bool deliverable =
      record::LoadInt32(input.data() + record::kStatusOffset) == 0 &&
      length >= 0 && length <= record::kMaxReplyFrameBytes;
  FuzzCheck(deliverable == (reply != nullptr),
            "reply delivered against its status or length field");
  if (!reply) return;
  FuzzCheck(reply->GetSize() == length + 3, "reply holder of the wrong size");
  FuzzCheck(std::equal(reply->GetData(), reply->GetData() + reply->GetSize(),
                       input.begin() + record::kReplyLengthOffset),
            "reply holder differs from the record");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  settings = new tool::LoggerSettingXmlManager("");
  auto* frames = new std::vector<SentFrame>;
  for (const char* request : kModbusRequests) {
    frames->push_back({tool::ModbusCommand::CreateCommand(request),
                       SendDeviceSettingCommandResult::kModbus});
  }
  for (const char* text : kCompowayTexts) {
    frames->push_back({tool::CompowayCommand::CreateCommand(text),
                       SendDeviceSettingCommandResult::kCompowayF});
  }
  for (const SentFrame& frame : *frames) {
    FuzzCheck(frame.bytes != nullptr, "a representative frame did not build");
  }
  sentFrames = frames;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  std::vector<std::uint8_t> input(record::kReplyRecordSize, 0);
  std::copy(data, data + std::min<std::size_t>(size, input.size()),
            input.begin());

  std::shared_ptr<ByteDataHolder> reply;
  {
    tool::RS485SendCommandRequest request(*settings);
    std::future<std::shared_ptr<ByteDataHolder>> future = request.GetFuture();
    request.OnResult(tool::RS485AccessRequest::kOk, input.data());
    reply = future.get();
  }
  CheckDelivery(input, reply);
  if (!reply) return 0;

  FuzzCheck(reply->ToHexString().size() == 2 * std::size_t(reply->GetSize()),
            "hex text of the wrong length");
  for (const SentFrame& sent : *sentFrames) {
    const bool judged =
        SendDeviceSettingCommandResult(sent.bytes, sent.checkKind,
                                       TOOL_FUZZ_PROFILE.modbusCompareLength)
            .CheckReceivedData(reply);
    FuzzCheck(judged == Expected(sent, *reply),
              "the judgement disagrees with the compared bytes");
  }
  return 0;
}
