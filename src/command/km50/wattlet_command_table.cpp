// The commands that Wattlet answers; every other name is "command not found.".
#include "server/command_table.h"

namespace tool {

// The device commands join this table as they are built.
constexpr CommandTable kCommandTable = {nullptr, 0};

}  // namespace tool
