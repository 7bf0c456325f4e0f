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
