#include "protocol/check_sum.h"

#include <cstdint>

namespace tool {
namespace {

constexpr std::uint16_t kCrcStart = 0xFFFF;
constexpr std::uint16_t kCrcPolynomial = 0xA001;  // 0x8005, bits reversed
constexpr char kBccMask = 0x7F;

}  // namespace

std::shared_ptr<ByteDataHolder> CheckSum::CalculateCrc16(const char* data,
                                                         unsigned length) {
  std::uint16_t crc = kCrcStart;
  for (unsigned i = 0; data != nullptr && i < length; ++i) {
    crc ^= static_cast<std::uint8_t>(data[i]);
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 1) ? (crc >> 1) ^ kCrcPolynomial : crc >> 1;
    }
  }
  auto holder = std::make_shared<ByteDataHolder>(2);
  holder->GetData()[0] = static_cast<std::uint8_t>(crc & 0xFF);
  holder->GetData()[1] = static_cast<std::uint8_t>(crc >> 8);
  return holder;
}

char CheckSum::CalculateBcc(const char* data, unsigned length) {
  char bcc = 0;
  for (unsigned i = 1; data != nullptr && i < length; ++i) {
    bcc ^= data[i] & kBccMask;
  }
  return bcc;
}

}  // namespace tool
