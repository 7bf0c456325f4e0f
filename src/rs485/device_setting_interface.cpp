#include "rs485/device_setting_interface.h"

namespace tool {

bool DeviceSettingInterface::DeviceSettingConnection(
    const DeviceConnectionParams&, const std::vector<const std::uint8_t*>&,
    const std::vector<int>&) {
  return false;
}

bool DeviceSettingInterface::DeviceSettingConnectionUntilSuccess(
    const DeviceConnectionParams&, const std::vector<const std::uint8_t*>&,
    const std::vector<int>&) {
  return false;
}

int DeviceSettingInterface::ProbeUntilAnswered(
    const DeviceConnectionParams&, const std::vector<int>&,
    const std::vector<const std::uint8_t*>&, const std::vector<int>&,
    const std::function<bool()>&, int* sent) {
  *sent = 0;
  return -1;
}

void DeviceSettingInterface::SetConnectedParams(const DeviceConnectionParams&) {
}

DeviceConnectionParams DeviceSettingInterface::GetConnectedParams() const {
  return {};
}

void DeviceSettingInterface::SetUpdatedParams(const DeviceConnectionParams&) {}

DeviceConnectionParams DeviceSettingInterface::GetUpdatedParams() const {
  return {};
}

bool DeviceSettingInterface::PauseUnlessStopped(int) { return false; }

}  // namespace tool
