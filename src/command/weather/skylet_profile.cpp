// What makes the framework the weather-sensor service Skylet.
#include "command/weather/skylet_profile.h"

#include <iterator>

#include "command/weather/check_connection_request_command.h"
#include "command/weather/restart_request_command.h"
#include "command/weather/scan_request_command.h"
#include "command/weather/update_setting_request_command.h"
#include "rs485/send_device_setting_command_result.h"

namespace tool::skylet {
namespace {

// The commands that Skylet answers; every other name is "command not found.".
constexpr CommandEntry kCommands[] = {
    {"CheckConnectionForWeatherSensor",
     MakeCommand<CheckConnectionRequestCommand>},
    {"UpdateSettingsForWeatherSensor",
     MakeCommand<UpdateSettingRequestCommand>},
    {"RestartForWeatherSensor", MakeCommand<RestartRequestCommand>},
    {"ScanForWeatherSensor", MakeCommand<ScanRequestCommand>},
};

// The sensor's serial-parameter settings 0 to 3 as the service's data-bit,
// stop-bit and parity codes.
constexpr PortComParams kSerialParams[] = {
    {3, 0, 255},
    {3, 2, 255},
    {3, 0, 0},
    {3, 0, 1},
};

// The sensor's baud-rate settings 0 to 4 as the service's codes.
constexpr int kBaudrateCodes[] = {0, 1, 3, 4, 5};

}  // namespace

constexpr ProductProfile kSkyletProfile = {
    {
        "Skylet",               // name
        "Skylet Start:",        // startLogText
        "Skylet Stop",          // stopLogText
        "Skylet.log",           // logFileName
        "com.kestrova.skylet",  // applicationId
        "/tmp/skyletcfg_wdt",   // watchdogFilePath
    },
    {kCommands, std::size(kCommands)},
    {
        {kSerialParams, std::size(kSerialParams), {3, 0, 255}},
        {kBaudrateCodes, std::size(kBaudrateCodes), 3},
    },
    // The sensor's reply repeats the slave address, the function code and
    // the first data byte of the request.
    3,
    // The sensor speaks Modbus only.
    SendDeviceSettingCommandResult::kModbus,
};

}  // namespace tool::skylet
