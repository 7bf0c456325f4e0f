#include "rs485/rs485_device_set_port_params_utility.h"

#include <Poco/Format.h>

#include <algorithm>
#include <string>

#include "log/logger_log.h"
#include "rs485/rs485_record_layout.h"

namespace tool {
namespace {

struct CodeEntry {
  int code;
  int encoded;
};

constexpr CodeEntry kDataBitsCodes[] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}};
constexpr CodeEntry kStopBitsCodes[] = {{0, 0}, {1, 4}, {2, 8}};
constexpr CodeEntry kParityCodes[] = {{0, 16}, {1, 48}, {255, 0}};

constexpr int kAddress = 1;
constexpr int kTimeout = 500;
constexpr int kDelimiter = 1;
constexpr int kDelimiterValue = 0;
constexpr int kDelimiterFlag = 10;
constexpr int kComWait = 10;
constexpr int kComWaitFlag = 1;

template <size_t N>
int Encode(const CodeEntry (&table)[N], int code) {
  const int cut = static_cast<std::int16_t>(code);
  for (const CodeEntry& entry : table) {
    if (entry.code == cut) return entry.encoded;
  }
  return 0;
}

}  // namespace

void RS485DeviceSetPortParamsUtility::SetSetPortParams(std::uint8_t* block, int,
                                                       int dataBits,
                                                       int stopBits,
                                                       int parity) {
  if (block == nullptr) return;
  block[0] = kAddress;
  block[1] = GetDataFormat(dataBits, stopBits, parity);
  record::StoreUint16(block + 2, kTimeout);
  block[4] = kDelimiter;
  block[5] = GetDelimiterByte(kDelimiterValue, kDelimiterFlag);
  block[6] = GetComWaitTime(kComWait, kComWaitFlag);
  LoggerLog::DebugFormat(
      "RS485DeviceSetPortParamsUtility",
      "%s address:%d, databits:%d, timeout:%d, delimiter:%d, "
      "delimiterbyte:%d, com_wait_time:%d",
      std::string("SetSetPortParams"), int{block[0]}, int{block[1]},
      int{record::LoadInt16(block + 2)}, int{block[4]}, int{block[5]},
      int{block[6]});
}

std::uint8_t RS485DeviceSetPortParamsUtility::GetDataFormat(int dataBits,
                                                            int stopBits,
                                                            int parity) {
  return static_cast<std::uint8_t>(GetDataBitsCode(dataBits) |
                                   GetStopBitsCode(stopBits) |
                                   GetParityCode(parity));
}

int RS485DeviceSetPortParamsUtility::GetDataBitsCode(int dataBits) {
  return Encode(kDataBitsCodes, dataBits);
}

int RS485DeviceSetPortParamsUtility::GetStopBitsCode(int stopBits) {
  return Encode(kStopBitsCodes, stopBits);
}

int RS485DeviceSetPortParamsUtility::GetParityCode(int parity) {
  return Encode(kParityCodes, parity);
}

std::uint8_t RS485DeviceSetPortParamsUtility::GetDelimiterByte(int value, int) {
  return static_cast<std::uint8_t>(value);
}

std::uint8_t RS485DeviceSetPortParamsUtility::GetComWaitTime(int wait,
                                                             int flag) {
  long long value = wait;
  if (flag == 0) value *= 50;
  return static_cast<std::uint8_t>(std::min(value / 4, 255LL));
}

}  // namespace tool
