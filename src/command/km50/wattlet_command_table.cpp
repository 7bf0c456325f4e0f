// The commands that Wattlet answers; every other name is "command not found.".
#include "command/km50/check_connection_request_command.h"
#include "command/km50/update_setting_request_command.h"
#include "server/command_table.h"

namespace tool {
namespace {

constexpr CommandEntry kEntries[] = {
    {"CheckConnectionForKM50", MakeCommand<CheckConnectionRequestCommand>},
    {"UpdateSettingsForKM50", MakeCommand<UpdateSettingRequestCommand>},
};

}  // namespace

constexpr CommandTable kCommandTable = {kEntries,
                                        sizeof kEntries / sizeof kEntries[0]};

}  // namespace tool
