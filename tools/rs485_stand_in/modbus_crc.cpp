#include "rs485_stand_in/modbus_crc.h"

namespace stand_in {
namespace {

constexpr uint16_t kCrcStart = 0xFFFF;
constexpr uint16_t kCrcPolynomial = 0xA001;
constexpr std::size_t kCrcSize = 2;

}  // namespace

uint16_t ModbusCrc(const std::vector<uint8_t>& bytes, std::size_t count) {
  uint16_t crc = kCrcStart;
  for (std::size_t i = 0; i < count; ++i) {
    crc ^= bytes[i];
    for (int bit = 0; bit < 8; ++bit) {
      const bool lowBitSet = (crc & 1) != 0;
      crc >>= 1;
      if (lowBitSet) crc ^= kCrcPolynomial;
    }
  }
  return crc;
}

void AppendModbusCrc(std::vector<uint8_t>* frame) {
  const uint16_t crc = ModbusCrc(*frame, frame->size());
  frame->push_back(static_cast<uint8_t>(crc & 0xFF));
  frame->push_back(static_cast<uint8_t>(crc >> 8));
}

bool HasValidModbusCrc(const std::vector<uint8_t>& frame) {
  if (frame.size() <= kCrcSize) return false;
  const std::size_t bodySize = frame.size() - kCrcSize;
  const uint16_t crc = ModbusCrc(frame, bodySize);
  return frame[bodySize] == (crc & 0xFF) && frame[bodySize + 1] == (crc >> 8);
}

}  // namespace stand_in
