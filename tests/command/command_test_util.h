#ifndef TOOL_TESTS_COMMAND_COMMAND_TEST_UTIL_H_
#define TOOL_TESTS_COMMAND_COMMAND_TEST_UTIL_H_

#include <string>
#include <vector>

#include "command/fake_device_setting.h"

namespace tool {
namespace testing {

// The id every request of these tests carries.
inline constexpr char kRequestId[] = "7";

// A commandRequest for `command` whose requestData holds one item per value,
// tagged "1", "2", ... in order.
std::string CommandRequest(const std::string& command,
                           const std::vector<std::string>& items);
// A commandRequest for `command` without requestData.
std::string CommandRequestWithoutData(const std::string& command);

// The id and status of a commandResponse; "-" for what it lacks.
struct Reply {
  std::string id;
  std::string status;
};
Reply ParseReply(const std::string& text);

// The command bytes the device-setting operations are given for a Modbus
// request in hex (slave address onwards), with its CRC-16/MODBUS, and for
// the text of a CompoWay/F frame, framed by STX, ETX and BCC; each behind
// its 2-byte little-endian length.
Bytes ModbusBytes(const std::string& hexRequest);
Bytes CompowayBytes(const std::string& text);

}  // namespace testing
}  // namespace tool

#endif  // TOOL_TESTS_COMMAND_COMMAND_TEST_UTIL_H_
