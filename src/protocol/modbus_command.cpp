#include "protocol/modbus_command.h"

#include <Poco/Format.h>

#include <algorithm>
#include <cstdint>

#include "log/logger_log.h"
#include "protocol/check_sum.h"
#include "protocol/hex_util.h"

namespace tool {
namespace {

constexpr char kTag[] = "ModbusCommand";
constexpr int kLengthBytes = 2;
constexpr int kCrcBytes = 2;

}  // namespace

std::shared_ptr<ByteDataHolder> ModbusCommand::CreateCommand(
    const std::string& hexText) {
  const std::string name = "CreateCommand";
  LoggerLog::DebugFormat(kTag, "%s data:%s", name, hexText);
  const int n = HexUtil::GetByteLength(hexText);
  auto holder = std::make_shared<ByteDataHolder>(n + kLengthBytes + kCrcBytes);
  char* request = reinterpret_cast<char*>(holder->GetData()) + kLengthBytes;
  if (HexUtil::HexStringToBytes(hexText, request, holder->GetSize()) != 0) {
    LoggerLog::Error(kTag, name + " Data conversion failure." + hexText);
    return nullptr;
  }
  const auto crc = CheckSum::CalculateCrc16(request, n);
  std::copy(crc->GetData(), crc->GetData() + kCrcBytes,
            holder->GetData() + kLengthBytes + n);
  const int frameLength = n + kCrcBytes;
  holder->GetData()[0] = static_cast<std::uint8_t>(frameLength & 0xFF);
  holder->GetData()[1] = static_cast<std::uint8_t>((frameLength >> 8) & 0xFF);
  if (LoggerLog::IsDebugEnabled()) {
    LoggerLog::Debug(
        kTag, Poco::format("%s command:%s", name, holder->ToHexString()));
  }
  return holder;
}

}  // namespace tool
