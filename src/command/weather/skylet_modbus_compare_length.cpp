#include "rs485/send_device_setting_command_result.h"

namespace tool {

// The weather sensor's reply repeats the slave address, the function code
// and the first data byte of the request.
constexpr int kModbusCompareLength = 3;

}  // namespace tool
