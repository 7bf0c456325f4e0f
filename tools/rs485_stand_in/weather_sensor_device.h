#ifndef TOOL_TOOLS_RS485_STAND_IN_WEATHER_SENSOR_DEVICE_H_
#define TOOL_TOOLS_RS485_STAND_IN_WEATHER_SENSOR_DEVICE_H_

#include <cstdint>
#include <optional>
#include <vector>

#include "rs485_stand_in/simulated_device.h"

namespace stand_in {

// A Modbus RTU weather sensor whose slave address and line can be changed
// over the line. It answers a probe; it takes a baud setting and a
// serial-parameter setting, or an address, as pending values; and on a
// Restart Communications request it answers at its current address and line
// and only then applies the pending values. Like the real sensor it stays
// silent unless the line matches its settings, the check value is right, the
// frame is for its address and the request is one it knows. Every answer is
// the request echoed with a freshly computed check value.
//
// After each restart it ignores the next `deafFrames` frames, whatever they
// are, as a sensor still rebooting does; a client that retries must cope.
//
// The state kept between frames has no lock: the channel table hands the
// device on a line one frame at a time.
class WeatherSensorDevice : public SimulatedDevice {
 public:
  // `baudSetting` and `paramSetting` are the sensor's own setting numbers,
  // each standing for one baud code or one line format of LineSettings; an
  // unknown number stands for the sensor's default line.
  WeatherSensorDevice(uint8_t address, uint8_t baudSetting,
                      uint8_t paramSetting, uint32_t deafFrames);

  std::optional<std::vector<uint8_t>> Answer(
      const std::optional<LineSettings>& settings,
      const std::vector<uint8_t>& frame) override;

 private:
  // True when the line is driven as the current settings require.
  bool MatchesLine(const std::optional<LineSettings>& settings) const;

  // Applies the pending values and starts the deaf period.
  void Restart();

  uint8_t address_;
  uint8_t baudSetting_;
  uint8_t paramSetting_;
  // Values written since the last restart; a value not written keeps the
  // current one.
  std::optional<uint8_t> pendingAddress_;
  std::optional<uint8_t> pendingBaudSetting_;
  std::optional<uint8_t> pendingParamSetting_;
  const uint32_t deafFrames_;
  uint32_t framesToIgnore_ = 0;
};

}  // namespace stand_in

#endif  // TOOL_TOOLS_RS485_STAND_IN_WEATHER_SENSOR_DEVICE_H_
