#ifndef TOOL_SERVER_COMMAND_TABLE_H_
#define TOOL_SERVER_COMMAND_TABLE_H_

#include <Poco/DOM/Node.h>

#include <cstddef>
#include <memory>
#include <string>

#include "rs485/device_setting_interface.h"
#include "server/receive_request_command.h"

namespace tool {

// Makes the command of one table entry from the request's id, the matched
// name, its requestData element (or null) and the device-setting operations
// the command is to use.
using CommandFactory = std::shared_ptr<ReceiveRequestCommand> (*)(
    const std::string& requestId, const std::string& commandName,
    Poco::XML::Node* requestData, DeviceSettingInterface& device);

// The factory of command class `Command`, for table entries.
template <class Command>
std::shared_ptr<ReceiveRequestCommand> MakeCommand(
    const std::string& requestId, const std::string& commandName,
    Poco::XML::Node* requestData, DeviceSettingInterface& device) {
  return std::make_shared<Command>(requestId, commandName, requestData, device);
}

struct CommandEntry {
  const char* name;  // compared exactly, with case, over the whole text
  CommandFactory create;
};

// The command names a service knows, searched in order; the first equal
// name wins. Constant data, safe to read from any thread.
struct CommandTable {
  const CommandEntry* entries;
  std::size_t size;
};

}  // namespace tool

#endif  // TOOL_SERVER_COMMAND_TABLE_H_
