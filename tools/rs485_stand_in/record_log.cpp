#include "rs485_stand_in/record_log.h"

#include <cerrno>
#include <cstring>

#include "rs485_stand_in/hex_text.h"

namespace stand_in {
namespace {

std::string FormatHexByte(uint8_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02x", value);
  return text;
}

std::string ChannelFields(const AccessRecord& record) {
  return "ch=" + std::to_string(record.channel) +
         " index=" + std::to_string(record.portIndex) +
         " baud=" + std::to_string(record.settings.baudCode);
}

}  // namespace

RecordLog::~RecordLog() {
  if (ownsFile_) std::fclose(file_);
}

bool RecordLog::Open(const std::string& path, std::string* error) {
  if (path == "-") {
    file_ = stdout;
    return true;
  }
  file_ = std::fopen(path.c_str(), "w");
  if (file_ == nullptr) {
    *error = "cannot write record log " + path + ": " + std::strerror(errno);
    return false;
  }
  ownsFile_ = true;
  return true;
}

void RecordLog::LogPortSetting(const AccessRecord& record) {
  const LineSettings& settings = record.settings;
  WriteLine("port " + ChannelFields(record) +
            " address=" + std::to_string(settings.address) +
            " format=" + FormatHexByte(settings.format) +
            " timeout=" + std::to_string(settings.timeout) +
            " delimiter=" + std::to_string(settings.delimiter) +
            " delimiterbyte=" + std::to_string(settings.delimiterByte) +
            " wait=" + std::to_string(settings.waitTime));
}

void RecordLog::LogCommand(const AccessRecord& record) {
  WriteLine("command " + ChannelFields(record) +
            " format=" + FormatHexByte(record.settings.format) +
            " frame=" + ToHexText(record.frame));
}

void RecordLog::LogReply(uint32_t channel, const ReplyRecord& reply) {
  WriteLine("reply ch=" + std::to_string(channel) + " status=" +
            std::to_string(reply.status) + " frame=" + ToHexText(reply.frame));
}

void RecordLog::LogInvalid(const AccessRecord& record) {
  WriteLine("invalid bytes=" + std::to_string(record.bytesRead) +
            " length=" + std::to_string(record.lengthField));
}

void RecordLog::LogFault(uint32_t channel, const ChannelFault& fault) {
  WriteLine("fault ch=" + std::to_string(channel) +
            " mode=" + FaultModeText(fault));
}

void RecordLog::LogRawReply(uint32_t channel, std::size_t bytesSent) {
  WriteLine("reply ch=" + std::to_string(channel) +
            " bytes=" + std::to_string(bytesSent));
}

void RecordLog::WriteLine(const std::string& line) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (file_ == nullptr) return;
  std::fputs(line.c_str(), file_);
  std::fputc('\n', file_);
  std::fflush(file_);
}

}  // namespace stand_in
