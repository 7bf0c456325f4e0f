#ifndef TOOL_TOOLS_RS485_STAND_IN_COMPOWAY_FRAME_H_
#define TOOL_TOOLS_RS485_STAND_IN_COMPOWAY_FRAME_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace stand_in {

// CompoWay/F framing: STX, the ASCII text, ETX, then the block check
// character (BCC), the XOR of the text and the ETX with each byte taken as
// 7 bits.

// The BCC of a frame carrying `text`.
uint8_t CompowayBcc(const std::string& text);

// `text` framed as STX + text + ETX + BCC.
std::vector<uint8_t> MakeCompowayFrame(const std::string& text);

// The text `frame` carries, or empty when it does not start with STX, has no
// ETX right before its last byte, has STX or ETX inside the text, or has a
// wrong BCC.
std::optional<std::string> CompowayFrameText(const std::vector<uint8_t>& frame);

}  // namespace stand_in

#endif  // TOOL_TOOLS_RS485_STAND_IN_COMPOWAY_FRAME_H_
