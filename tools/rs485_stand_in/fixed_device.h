#ifndef TOOL_TOOLS_RS485_STAND_IN_FIXED_DEVICE_H_
#define TOOL_TOOLS_RS485_STAND_IN_FIXED_DEVICE_H_

#include "rs485_stand_in/simulated_device.h"

namespace stand_in {

// Answers every frame with the same bytes, whatever the line settings: for
// feeding a client a reply it has to decode, such as a device's error
// answer. Immutable after construction.
class FixedDevice : public SimulatedDevice {
 public:
  explicit FixedDevice(std::vector<uint8_t> answer);

  std::optional<std::vector<uint8_t>> Answer(
      const std::optional<LineSettings>& settings,
      const std::vector<uint8_t>& frame) override;

 private:
  const std::vector<uint8_t> answer_;
};

}  // namespace stand_in

#endif  // TOOL_TOOLS_RS485_STAND_IN_FIXED_DEVICE_H_
