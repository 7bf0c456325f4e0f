#ifndef TOOL_TOOLS_RS485_STAND_IN_CHANNEL_TABLE_H_
#define TOOL_TOOLS_RS485_STAND_IN_CHANNEL_TABLE_H_

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "rs485_stand_in/device_kinds.h"
#include "rs485_stand_in/line_settings.h"
#include "rs485_stand_in/simulated_device.h"

namespace stand_in {

// The state the connections share: each channel's last line settings and
// the device on each channel's line.
//
// The set of devices is fixed at construction and the table owns them. All
// member functions are safe to call from any thread: settings are kept
// under one lock, and each line has a lock of its own that is held while its
// device answers, so a slow device delays only its own channel.
class ChannelTable {
 public:
  // One device per channel; a later device on the same channel replaces an
  // earlier one.
  explicit ChannelTable(std::vector<ChannelDevice> devices);

  ChannelTable(const ChannelTable&) = delete;
  ChannelTable& operator=(const ChannelTable&) = delete;

  // Keeps `settings` for `channel`, replacing what a previous port-setting
  // record set. Any channel number is kept, not only those with a device.
  void SetLineSettings(uint32_t channel, const LineSettings& settings);

  // Sends `frame` to the device on `channel` with the channel's current line
  // settings. Returns the device's answer, or empty when the channel has no
  // device or the device stays silent.
  std::optional<std::vector<uint8_t>> Exchange(
      uint32_t channel, const std::vector<uint8_t>& frame);

 private:
  struct Line {
    std::unique_ptr<SimulatedDevice> device;
    std::mutex mutex;  // one frame on the line at a time
  };

  // Keys and devices never change after construction, so finding a line
  // needs no lock.
  std::map<uint32_t, Line> lines_;

  std::mutex settingsMutex_;
  std::map<uint32_t, LineSettings> settings_;
};

}  // namespace stand_in

#endif  // TOOL_TOOLS_RS485_STAND_IN_CHANNEL_TABLE_H_
