// What makes the framework the KM50 power-monitor service Wattlet.
#include "command/km50/wattlet_profile.h"

#include <iterator>

#include "command/km50/check_connection_request_command.h"
#include "command/km50/scan_request_command.h"
#include "command/km50/update_setting_request_command.h"
#include "rs485/send_device_setting_command_result.h"

namespace tool::wattlet {
namespace {

// The commands that Wattlet answers; every other name is "command not
// found.".
constexpr CommandEntry kCommands[] = {
    {"CheckConnectionForKM50", MakeCommand<CheckConnectionRequestCommand>},
    {"UpdateSettingsForKM50", MakeCommand<UpdateSettingRequestCommand>},
    {"ScanForKM50", MakeCommand<ScanRequestCommand>},
};

// The KM50's serial-parameter settings 0 to 11 as the service's data-bit,
// stop-bit and parity codes.
constexpr PortComParams kSerialParams[] = {
    {2, 0, 255}, {2, 2, 255}, {2, 0, 0}, {2, 2, 0}, {2, 0, 1}, {2, 2, 1},
    {3, 0, 255}, {3, 2, 255}, {3, 0, 0}, {3, 2, 0}, {3, 0, 1}, {3, 2, 1},
};

}  // namespace

constexpr ProductProfile kWattletProfile = {
    {
        "Wattlet",               // name
        "Wattlet Start:",        // startLogText
        "Wattlet Stop",          // stopLogText
        "Wattlet.log",           // logFileName
        "com.kestrova.wattlet",  // applicationId
        "/tmp/wattletcfg_wdt",   // watchdogFilePath
    },
    {kCommands, std::size(kCommands)},
    {
        {kSerialParams, std::size(kSerialParams), {2, 2, 0}},
        // The KM50's baud-rate settings are the service's codes.
        {nullptr, 0, 0},
    },
    // The KM50's reply repeats the slave address, the function code and the
    // first two data bytes: the whole sub-function or register address.
    4,
    // Protocol 0 of the requests; a request may choose Modbus instead.
    SendDeviceSettingCommandResult::kCompowayF,
};

}  // namespace tool::wattlet
