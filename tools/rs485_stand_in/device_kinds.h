#ifndef TOOL_TOOLS_RS485_STAND_IN_DEVICE_KINDS_H_
#define TOOL_TOOLS_RS485_STAND_IN_DEVICE_KINDS_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "rs485_stand_in/simulated_device.h"

namespace stand_in {

// The channel numbers a gateway has.
constexpr uint32_t kFirstChannel = 1;
constexpr uint32_t kLastChannel = 3;

// A device and the channel whose line it sits on.
struct ChannelDevice {
  uint32_t channel = 0;
  std::unique_ptr<SimulatedDevice> device;
};

// Makes the device that a --device value "CH:KIND[:ARGS]" describes: CH one
// of the channel numbers, KIND a name from the kinds table, ARGS whatever
// that kind takes. Returns empty and sets `*error` to a one-line reason when
// the text does not describe a device. Thread-safe.
std::optional<ChannelDevice> MakeChannelDevice(const std::string& text,
                                               std::string* error);

// The kinds table as usage text, one line per kind, indented to sit under
// the --device option's description.
std::string DeviceKindsUsage();

}  // namespace stand_in

#endif  // TOOL_TOOLS_RS485_STAND_IN_DEVICE_KINDS_H_
