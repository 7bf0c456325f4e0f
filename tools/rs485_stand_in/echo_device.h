#ifndef TOOL_TOOLS_RS485_STAND_IN_ECHO_DEVICE_H_
#define TOOL_TOOLS_RS485_STAND_IN_ECHO_DEVICE_H_

#include "rs485_stand_in/simulated_device.h"

namespace stand_in {

// Sends every frame back unchanged, whatever the line settings: shows that a
// frame crosses the record layer intact in both directions. Stateless.
class EchoDevice : public SimulatedDevice {
 public:
  std::optional<std::vector<uint8_t>> Answer(
      const std::optional<LineSettings>& settings,
      const std::vector<uint8_t>& frame) override;
};

}  // namespace stand_in

#endif  // TOOL_TOOLS_RS485_STAND_IN_ECHO_DEVICE_H_
