#include "rs485_stand_in/fixed_device.h"

#include <utility>

namespace stand_in {

FixedDevice::FixedDevice(std::vector<uint8_t> answer)
    : answer_(std::move(answer)) {}

std::optional<std::vector<uint8_t>> FixedDevice::Answer(
    const std::optional<LineSettings>& /*settings*/,
    const std::vector<uint8_t>& /*frame*/) {
  return answer_;
}

}  // namespace stand_in
