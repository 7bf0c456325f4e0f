#ifndef TOOL_RS485_RS485_RECORD_LAYOUT_H_
#define TOOL_RS485_RS485_RECORD_LAYOUT_H_

#include <cstdint>

namespace tool {

// The two records exchanged with the RS-485 communication service, one of
// each per connection. The gateway's service reads and writes exactly these
// offsets; every multi-byte field is little-endian.
namespace record {

// Access record: always this long, zero where no field is named.
inline constexpr int kAccessRecordSize = 4285;
inline constexpr int kLengthOffset = 0;       // 4 bytes, kAccessRecordSize
inline constexpr int kPortIndexOffset = 8;    // 4 bytes, channel number - 1
inline constexpr int kHeaderFlagOffset = 12;  // 1 byte, always 1
inline constexpr int kChannelNoOffset = 64;   // 4 bytes, 1 to 3
inline constexpr int kBaudCodeOffset = 68;    // 1 byte
inline constexpr int kPortParamsOffset = 69;  // 7-byte port-parameter block
inline constexpr int kPortParamsSize = 7;
inline constexpr int kFrameFlagOffset = 286;  // 1 in command records
inline constexpr int kCommandOffset = 287;    // 2-byte length, then frame
inline constexpr int kMaxCommandBytes = kAccessRecordSize - kCommandOffset;

// Reply record: what the service writes before it closes the connection.
inline constexpr int kReplyRecordSize = 13739;
inline constexpr int kStatusOffset = 64;       // 4 bytes, signed, 0 = ok
inline constexpr int kReplyLengthOffset = 68;  // 2 bytes, signed
inline constexpr int kReplyFrameOffset = 71;   // after one uninterpreted byte
// The longest frame whose bytes still lie inside the reply record.
inline constexpr int kMaxReplyFrameBytes = kReplyRecordSize - kReplyFrameOffset;

inline void StoreUint32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i)
    at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

inline void StoreUint16(std::uint8_t* at, std::uint16_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

inline std::int32_t LoadInt32(const std::uint8_t* at) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(at[0]) |
                                   static_cast<std::uint32_t>(at[1]) << 8 |
                                   static_cast<std::uint32_t>(at[2]) << 16 |
                                   static_cast<std::uint32_t>(at[3]) << 24);
}

inline std::int16_t LoadInt16(const std::uint8_t* at) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(
      at[0] | static_cast<std::uint16_t>(at[1]) << 8));
}

}  // namespace record
}  // namespace tool

#endif  // TOOL_RS485_RS485_RECORD_LAYOUT_H_
