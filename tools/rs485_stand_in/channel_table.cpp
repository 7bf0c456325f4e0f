#include "rs485_stand_in/channel_table.h"

#include <utility>

namespace stand_in {

ChannelTable::ChannelTable(std::vector<ChannelDevice> devices) {
  for (ChannelDevice& entry : devices) {
    lines_[entry.channel].device = std::move(entry.device);
  }
}

void ChannelTable::SetLineSettings(uint32_t channel,
                                   const LineSettings& settings) {
  std::lock_guard<std::mutex> lock(settingsMutex_);
  settings_[channel] = settings;
}

std::optional<std::vector<uint8_t>> ChannelTable::Exchange(
    uint32_t channel, const std::vector<uint8_t>& frame) {
  const auto line = lines_.find(channel);
  if (line == lines_.end()) return std::nullopt;

  std::optional<LineSettings> settings;
  {
    std::lock_guard<std::mutex> lock(settingsMutex_);
    const auto found = settings_.find(channel);
    if (found != settings_.end()) settings = found->second;
  }
  std::lock_guard<std::mutex> lock(line->second.mutex);
  return line->second.device->Answer(settings, frame);
}

}  // namespace stand_in
