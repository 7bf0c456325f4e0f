#include "rs485_stand_in/access_record.h"

namespace stand_in {
namespace {

// Field offsets inside the access record; all integers are little-endian.
constexpr std::size_t kLengthOffset = 0;
constexpr std::size_t kPortIndexOffset = 8;
constexpr std::size_t kChannelOffset = 64;
constexpr std::size_t kBaudOffset = 68;
constexpr std::size_t kAddressOffset = 69;
constexpr std::size_t kFormatOffset = 70;
constexpr std::size_t kTimeoutOffset = 71;
constexpr std::size_t kDelimiterOffset = 73;
constexpr std::size_t kDelimiterByteOffset = 74;
constexpr std::size_t kWaitTimeOffset = 75;
constexpr std::size_t kKindOffset = 286;
constexpr std::size_t kFrameLengthOffset = 287;
constexpr std::size_t kFrameOffset = 289;

constexpr uint8_t kPortSettingKind = 0;
constexpr uint8_t kCommandKind = 1;

static_assert(kFrameOffset + kMaxFrameLength == kAccessRecordSize,
              "the longest frame fills the record");

uint32_t ReadUint32(const std::vector<uint8_t>& bytes, std::size_t offset) {
  return static_cast<uint32_t>(bytes[offset]) |
         static_cast<uint32_t>(bytes[offset + 1]) << 8 |
         static_cast<uint32_t>(bytes[offset + 2]) << 16 |
         static_cast<uint32_t>(bytes[offset + 3]) << 24;
}

uint16_t ReadUint16(const std::vector<uint8_t>& bytes, std::size_t offset) {
  return static_cast<uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

}  // namespace

AccessRecord ParseAccessRecord(const std::vector<uint8_t>& bytes) {
  AccessRecord record;
  record.bytesRead = bytes.size();
  if (bytes.size() >= kLengthOffset + 4) {
    record.lengthField = ReadUint32(bytes, kLengthOffset);
  }
  if (bytes.size() != kAccessRecordSize ||
      record.lengthField != kAccessRecordSize) {
    return record;
  }

  record.portIndex = ReadUint32(bytes, kPortIndexOffset);
  record.channel = ReadUint32(bytes, kChannelOffset);
  LineSettings& settings = record.settings;
  settings.baudCode = bytes[kBaudOffset];
  settings.address = bytes[kAddressOffset];
  settings.format = bytes[kFormatOffset];
  settings.timeout = ReadUint16(bytes, kTimeoutOffset);
  settings.delimiter = bytes[kDelimiterOffset];
  settings.delimiterByte = bytes[kDelimiterByteOffset];
  settings.waitTime = bytes[kWaitTimeOffset];

  switch (bytes[kKindOffset]) {
    case kPortSettingKind:
      record.kind = RecordKind::kPortSetting;
      break;
    case kCommandKind:
      record.kind = RecordKind::kCommand;
      record.frameLength = ReadUint16(bytes, kFrameLengthOffset);
      if (record.frameLength <= kMaxFrameLength) {
        record.frame.assign(bytes.begin() + kFrameOffset,
                            bytes.begin() + kFrameOffset + record.frameLength);
      }
      break;
    default:
      break;
  }
  return record;
}

}  // namespace stand_in
