#include "protocol/compoway_command.h"

#include <Poco/Format.h>

#include <algorithm>
#include <cstdint>

#include "log/logger_log.h"
#include "protocol/check_sum.h"

namespace tool {
namespace {

constexpr char kTag[] = "CompowayCommand";
constexpr std::uint8_t kStx = 0x02;
constexpr std::uint8_t kEtx = 0x03;
constexpr int kLengthBytes = 2;

}  // namespace

std::shared_ptr<ByteDataHolder> CompowayCommand::CreateCommand(
    const std::string& text) {
  const std::string name = "CreateCommand";
  LoggerLog::DebugFormat(kTag, "%s data:%s", name, text);
  const int t = static_cast<int>(text.size());
  auto holder = std::make_shared<ByteDataHolder>(t + 5);
  std::uint8_t* frame = holder->GetData() + kLengthBytes;
  frame[0] = kStx;
  std::copy(text.begin(), text.end(), frame + 1);
  frame[t + 1] = kEtx;
  frame[t + 2] = static_cast<std::uint8_t>(
      CheckSum::CalculateBcc(reinterpret_cast<const char*>(frame), t + 2));
  const int frameLength = t + 3;
  holder->GetData()[0] = static_cast<std::uint8_t>(frameLength & 0xFF);
  holder->GetData()[1] = static_cast<std::uint8_t>((frameLength >> 8) & 0xFF);
  if (LoggerLog::IsDebugEnabled()) {
    LoggerLog::Debug(
        kTag, Poco::format("%s command:%s", name, holder->ToHexString()));
  }
  return holder;
}

}  // namespace tool
