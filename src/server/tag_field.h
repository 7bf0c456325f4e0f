#ifndef TOOL_SERVER_TAG_FIELD_H_
#define TOOL_SERVER_TAG_FIELD_H_

#include <cstddef>
#include <string>

#include "log/logger_log.h"

namespace tool {

// Which string member of a `Command` a request item's tag fills, and the
// label that names it in the log. A command keeps a constant table of them.
template <class Command>
struct TagField {
  const char* tag;
  const char* label;
  std::string Command::*member;
};

// Stores `value` in the member that `tag` selects in `fields` (compared
// exactly) and logs "SetTagValue<label><value>" at Debug under `logTag`.
// Returns false, with nothing logged, for a tag that is not in the table.
template <class Command, std::size_t N>
bool SetTagField(Command* command, const TagField<Command> (&fields)[N],
                 const std::string& tag, const std::string& value,
                 const char* logTag) {
  for (const TagField<Command>& field : fields) {
    if (tag == field.tag) {
      command->*field.member = value;
      if (LoggerLog::IsDebugEnabled()) {
        LoggerLog::Debug(logTag,
                         std::string("SetTagValue") + field.label + value);
      }
      return true;
    }
  }
  return false;
}

}  // namespace tool

#endif  // TOOL_SERVER_TAG_FIELD_H_
