#ifndef TOOL_TOOLS_RS485_STAND_IN_KM50_DEVICE_H_
#define TOOL_TOOLS_RS485_STAND_IN_KM50_DEVICE_H_

#include <cstdint>
#include <optional>
#include <vector>

#include "rs485_stand_in/simulated_device.h"

namespace stand_in {

// The protocol a KM50 speaks on its line.
enum class Km50Protocol { kCompoWay, kModbus };

// The largest station number a KM50 takes: node number for CompoWay/F,
// slave address for Modbus.
constexpr uint8_t Km50MaxStation(Km50Protocol protocol) {
  return protocol == Km50Protocol::kCompoWay ? 99 : 255;
}

// A KM50 power monitor whose station number, baud code and serial
// parameters can be changed over the line, in CompoWay/F or Modbus RTU. It
// answers an echoback test (CompoWay/F) or Return Query Data (Modbus), an
// enter-setting and an apply operation command, and writes of its settings,
// which wait until the apply command has been answered. It stays silent
// unless the line matches its settings, the frame's check value is right,
// the frame is for its station and the request is one it knows.
//
// The state kept between frames has no lock: the channel table hands the
// device on a line one frame at a time.
class Km50Device : public SimulatedDevice {
 public:
  // Values written and not yet applied; empty when not written since the
  // last apply.
  struct PendingSettings {
    std::optional<uint32_t> marker;  // must be 1; kept, not acted on
    std::optional<uint32_t> station;
    std::optional<uint32_t> baudCode;
    std::optional<uint32_t> parity;  // 0 none, 1 even, 2 odd
  };

  // `station` is the node number or slave address, at most
  // Km50MaxStation(protocol). `baudCode` is the LineSettings baud code the
  // line must have. `paramSetting` is the KM50's serial-parameter setting,
  // 0 to 11, standing for one LineSettings format; other values act as 3.
  Km50Device(Km50Protocol protocol, uint8_t station, uint8_t baudCode,
             uint8_t paramSetting);

  std::optional<std::vector<uint8_t>> Answer(
      const std::optional<LineSettings>& settings,
      const std::vector<uint8_t>& frame) override;

  // The variables (CompoWay/F) or registers (Modbus) written, in order.
  const std::vector<uint16_t>& WrittenAddresses() const {
    return writtenAddresses_;
  }

 private:
  // True when the line is driven as the current settings require.
  bool MatchesLine(const std::optional<LineSettings>& settings) const;

  // Makes the pending values current.
  void Apply();

  const Km50Protocol protocol_;
  uint8_t station_;
  uint8_t baudCode_;
  uint8_t paramSetting_;
  PendingSettings pending_;
  std::vector<uint16_t> writtenAddresses_;
};

}  // namespace stand_in

#endif  // TOOL_TOOLS_RS485_STAND_IN_KM50_DEVICE_H_
