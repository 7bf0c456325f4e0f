#ifndef TOOL_TOOLS_RS485_STAND_IN_SIMULATED_DEVICE_H_
#define TOOL_TOOLS_RS485_STAND_IN_SIMULATED_DEVICE_H_

#include <cstdint>
#include <optional>
#include <vector>

#include "rs485_stand_in/line_settings.h"

namespace stand_in {

// A device on one channel's line: it receives each frame the client sends on
// that channel and decides what, if anything, comes back.
//
// The channel table calls one device from one connection thread at a time
// (one frame is on a line at a time), so an implementation needs no lock of
// its own for state kept between frames. Different channels' devices run in
// parallel.
class SimulatedDevice {
 public:
  virtual ~SimulatedDevice() = default;

  // `settings` are the channel's line settings from the last port-setting
  // record, or empty when none came yet; a model can stay silent when they
  // do not match its own. `frame` is the frame as sent, check bytes
  // included. Returns the bytes the device sends back, or empty when it
  // stays silent.
  virtual std::optional<std::vector<uint8_t>> Answer(
      const std::optional<LineSettings>& settings,
      const std::vector<uint8_t>& frame) = 0;
};

}  // namespace stand_in

#endif  // TOOL_TOOLS_RS485_STAND_IN_SIMULATED_DEVICE_H_
