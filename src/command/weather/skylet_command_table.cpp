// The commands that Skylet answers; every other name is "command not found.".
#include "command/weather/check_connection_request_command.h"
#include "command/weather/restart_request_command.h"
#include "command/weather/update_setting_request_command.h"
#include "server/command_table.h"

namespace tool {
namespace {

constexpr CommandEntry kEntries[] = {
    {"CheckConnectionForWeatherSensor",
     MakeCommand<CheckConnectionRequestCommand>},
    {"UpdateSettingsForWeatherSensor",
     MakeCommand<UpdateSettingRequestCommand>},
    {"RestartForWeatherSensor", MakeCommand<RestartRequestCommand>},
};

}  // namespace

constexpr CommandTable kCommandTable = {kEntries,
                                        sizeof kEntries / sizeof kEntries[0]};

}  // namespace tool
