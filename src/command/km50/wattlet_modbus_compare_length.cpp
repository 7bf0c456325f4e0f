#include "rs485/send_device_setting_command_result.h"

namespace tool {

// The KM50's reply repeats the slave address, the function code and the
// first two data bytes: the whole sub-function or register address.
constexpr int kModbusCompareLength = 4;

}  // namespace tool
