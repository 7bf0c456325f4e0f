#ifndef TOOL_PROTOCOL_COMPOWAY_COMMAND_H_
#define TOOL_PROTOCOL_COMPOWAY_COMMAND_H_

#include <memory>
#include <string>

#include "rs485/byte_data_holder.h"

namespace tool {

// Builds the command bytes of a CompoWay/F frame. Stateless; safe from any
// thread.
class CompowayCommand {
 public:
  virtual ~CompowayCommand() = default;

  // `text` (node number, sub-address, SID, request codes and data, as ASCII)
  // framed as command bytes: the frame length in two bytes, least
  // significant first, then STX, the text, ETX and the BCC over text and
  // ETX. Any text is framed; never empty.
  static std::shared_ptr<ByteDataHolder> CreateCommand(const std::string& text);
};

}  // namespace tool

#endif  // TOOL_PROTOCOL_COMPOWAY_COMMAND_H_
