#include "rs485_stand_in/fault_replies.h"

#include <cstddef>
#include <optional>
#include <random>
#include <string>

#include "rs485_stand_in/compoway_frame.h"
#include "rs485_stand_in/modbus_crc.h"
#include "rs485_stand_in/reply_record.h"

namespace stand_in {
namespace {

constexpr uint8_t kExceptionBit = 0x80;
constexpr std::size_t kCrcSize = 2;

// Field positions in a CompoWay/F request text: node number (2),
// sub-address (2), SID (1), MRC (2), SRC (2).
constexpr std::size_t kNodeSize = 2;
constexpr std::size_t kNodeAndSubAddressSize = 4;
constexpr std::size_t kRequestCodesOffset = 5;
constexpr std::size_t kRequestCodesSize = 4;
constexpr char kErrorEndCode[] = "0F";
constexpr char kUnsupportedCommand[] = "0401";
constexpr int kNodeNumbers = 100;

// Where the length field sits in a reply record.
constexpr std::size_t kLengthFieldOffset = 68;

std::vector<uint8_t> WithModbusCrc(std::vector<uint8_t> body) {
  AppendModbusCrc(&body);
  return body;
}

bool IsTwoDigits(const std::string& text) {
  return text.size() == kNodeSize && text[0] >= '0' && text[0] <= '9' &&
         text[1] >= '0' && text[1] <= '9';
}

std::string NextNode(const std::string& node) {
  if (!IsTwoDigits(node)) return "00";
  const int next = ((node[0] - '0') * 10 + (node[1] - '0') + 1) % kNodeNumbers;
  return std::string{static_cast<char>('0' + next / 10),
                     static_cast<char>('0' + next % 10)};
}

}  // namespace

std::vector<uint8_t> ExceptionAnswer(const std::vector<uint8_t>& request) {
  if (const std::optional<std::string> text = CompowayFrameText(request)) {
    std::string codes =
        text->size() >= kRequestCodesOffset + kRequestCodesSize
            ? text->substr(kRequestCodesOffset, kRequestCodesSize)
            : std::string(kRequestCodesSize, '0');
    return MakeCompowayFrame(text->substr(0, kNodeAndSubAddressSize) +
                             kErrorEndCode + codes + kUnsupportedCommand);
  }
  const uint8_t address = request.empty() ? 0 : request[0];
  const uint8_t function = request.size() < 2 ? 0 : request[1];
  return WithModbusCrc({address, static_cast<uint8_t>(function | kExceptionBit),
                        kFaultExceptionCode});
}

std::vector<uint8_t> OtherAddressAnswer(const std::vector<uint8_t>& answer) {
  if (const std::optional<std::string> text = CompowayFrameText(answer)) {
    return MakeCompowayFrame(
        NextNode(text->substr(0, kNodeSize)) +
        (text->size() > kNodeSize ? text->substr(kNodeSize) : std::string()));
  }
  std::vector<uint8_t> other = answer;
  if (other.empty()) return other;
  ++other[0];
  if (other.size() > kCrcSize) {
    other.resize(other.size() - kCrcSize);
    AppendModbusCrc(&other);
  }
  return other;
}

std::vector<uint8_t> TruncatedReplyRecord(const std::vector<uint8_t>& frame) {
  ReplyRecord reply;
  reply.frame = frame;
  std::vector<uint8_t> bytes = EncodeReplyRecord(reply);
  const std::size_t sent = bytes.size() - kReplyHeaderSize;
  const std::size_t kept = sent <= 1 ? 0 : (sent + 1) / 2;
  bytes.resize(kReplyHeaderSize + kept);
  return bytes;
}

std::vector<uint8_t> LengthFieldReplyRecord(const std::vector<uint8_t>& frame,
                                            int16_t length) {
  ReplyRecord reply;
  reply.frame = frame;
  std::vector<uint8_t> bytes = EncodeReplyRecord(reply);
  const uint16_t field = static_cast<uint16_t>(length);
  bytes[kLengthFieldOffset] = static_cast<uint8_t>(field);
  bytes[kLengthFieldOffset + 1] = static_cast<uint8_t>(field >> 8);
  return bytes;
}

std::vector<uint8_t> RandomReplyRecord(uint32_t seed, uint32_t record) {
  // The engine's output sequence and seed_seq's mixing are fixed by the
  // standard, unlike the distributions, so the bytes do not depend on the
  // library.
  std::seed_seq seeds{seed, record};
  std::mt19937 engine(seeds);
  std::vector<uint8_t> bytes(engine() % (kMaxReplySize + 1));
  for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(engine());
  return bytes;
}

}  // namespace stand_in
