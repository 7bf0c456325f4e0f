#ifndef TOOL_TOOLS_RS485_STAND_IN_RECORD_LOG_H_
#define TOOL_TOOLS_RS485_STAND_IN_RECORD_LOG_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

#include "rs485_stand_in/access_record.h"
#include "rs485_stand_in/channel_fault.h"
#include "rs485_stand_in/reply_record.h"

namespace stand_in {

// One line of text per record received and per reply sent, so that a test
// or a person can see exactly what went over the socket:
//   port ch=1 index=0 baud=1 address=1 format=0x13 timeout=500 delimiter=1
//     delimiterbyte=0 wait=2                            (one line)
//   command ch=1 index=0 baud=1 format=0x13 frame=014605d263
//   reply ch=1 status=0 frame=014605d263
//   invalid bytes=100 length=4285
//   fault ch=1 mode=status:5
//   reply ch=1 bytes=73
// Numbers are decimal, bytes lower-case hex without separators. A command
// whose frame length is too long shows an empty frame. A fault line follows
// the command line of each record that meets a fault; a reply that is not a
// well-formed reply record shows only the number of bytes sent.
//
// Each line is written whole and flushed before the call returns, so it is
// in the file before the connection it belongs to is closed. Safe to call
// from any thread; a closed log (the default) drops every line.
class RecordLog {
 public:
  RecordLog() = default;
  ~RecordLog();

  RecordLog(const RecordLog&) = delete;
  RecordLog& operator=(const RecordLog&) = delete;

  // Starts writing to `path`, emptied first, or to standard output for "-".
  // Call before any other thread uses the log. Returns false and sets
  // `*error` when the file cannot be opened.
  bool Open(const std::string& path, std::string* error);

  void LogPortSetting(const AccessRecord& record);
  void LogCommand(const AccessRecord& record);
  void LogReply(uint32_t channel, const ReplyRecord& reply);
  void LogInvalid(const AccessRecord& record);
  void LogFault(uint32_t channel, const ChannelFault& fault);
  void LogRawReply(uint32_t channel, std::size_t bytesSent);

 private:
  void WriteLine(const std::string& line);

  std::mutex mutex_;
  std::FILE* file_ = nullptr;
  bool ownsFile_ = false;
};

}  // namespace stand_in

#endif  // TOOL_TOOLS_RS485_STAND_IN_RECORD_LOG_H_
