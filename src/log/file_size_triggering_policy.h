#ifndef TOOL_LOG_FILE_SIZE_TRIGGERING_POLICY_H_
#define TOOL_LOG_FILE_SIZE_TRIGGERING_POLICY_H_

#include <log4cxx/helpers/pool.h>
#include <log4cxx/rolling/sizebasedtriggeringpolicy.h>

#include <cstddef>

namespace tool {

// Rolls the log file before a line would take it past its maximum size, so
// that no file ever holds more than the maximum; a single line longer than
// the maximum gets a file of its own. The line that triggers the roll
// starts the new file.
//
// The appender's own byte count lags behind by whatever waits in its write
// buffer, which may be larger than a whole file; this policy therefore also
// counts the formatted lines it lets through.
//
// Not thread-safe by itself: the appender calls it under its own lock, once
// for each line before writing it.
class FileSizeTriggeringPolicy
    : public log4cxx::rolling::SizeBasedTriggeringPolicy {
 public:
  explicit FileSizeTriggeringPolicy(std::size_t maxFileSize);

  // True when `event`, formatted by `appender`'s layout, would not fit into
  // the current file of `fileLength` bytes written (plus what is buffered).
  bool isTriggeringEvent(log4cxx::Appender* appender,
                         const log4cxx::spi::LoggingEventPtr& event,
                         const log4cxx::LogString& filename,
                         std::size_t fileLength) override;

 private:
  // Bytes in the current file, buffered ones included.
  std::size_t fileBytes_ = 0;
  log4cxx::helpers::Pool pool_;
};

}  // namespace tool

#endif  // TOOL_LOG_FILE_SIZE_TRIGGERING_POLICY_H_
