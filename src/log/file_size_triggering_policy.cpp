#include "log/file_size_triggering_policy.h"

#include <log4cxx/appender.h>
#include <log4cxx/layout.h>

#include <algorithm>

namespace tool {

FileSizeTriggeringPolicy::FileSizeTriggeringPolicy(std::size_t maxFileSize) {
  setMaxFileSize(maxFileSize);
}

bool FileSizeTriggeringPolicy::isTriggeringEvent(
    log4cxx::Appender* appender, const log4cxx::spi::LoggingEventPtr& event,
    const log4cxx::LogString& /*filename*/, std::size_t fileLength) {
  log4cxx::LogString line;
  appender->getLayout()->format(line, event, pool_);
  // The appender's count wins where it knows more, as for a file that
  // already held lines when it was opened.
  fileBytes_ = std::max(fileBytes_, fileLength);
  if (fileBytes_ > 0 && fileBytes_ + line.size() > getMaxFileSize()) {
    fileBytes_ = line.size();
    return true;
  }
  fileBytes_ += line.size();
  return false;
}

}  // namespace tool
