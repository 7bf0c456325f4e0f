#include "rs485_stand_in/echo_device.h"

namespace stand_in {

std::optional<std::vector<uint8_t>> EchoDevice::Answer(
    const std::optional<LineSettings>& /*settings*/,
    const std::vector<uint8_t>& frame) {
  return frame;
}

}  // namespace stand_in
