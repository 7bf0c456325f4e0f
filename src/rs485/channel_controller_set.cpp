#include "rs485/channel_controller_set.h"

namespace tool {
namespace {

constexpr int kChannelNumbers[] = {1, 2, 3};

}  // namespace

ChannelControllerSet::ChannelControllerSet(
    const LoggerSettingXmlManager& settings)
    : settings_(settings) {}

void ChannelControllerSet::Create() {
  auto controllers = std::make_unique<ControllerList>();
  for (int channelNo : kChannelNumbers) {
    controllers->push_back(
        std::make_shared<RS485ChannelController>(channelNo, settings_));
  }
  std::lock_guard<std::mutex> lock(mutex_);
  if (!controllers_) controllers_ = std::move(controllers);
}

void ChannelControllerSet::Release() {
  std::unique_ptr<ControllerList> controllers;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    controllers = std::move(controllers_);
  }
  if (!controllers) return;
  for (const auto& controller : *controllers) {
    // Operations in progress, and those still waiting for the channel, fail
    // within moments instead of waiting for the communication service.
    controller->Close();
    // A controller in use is closed by its operation, which holds it alive
    // until then and ends at once now.
    std::unique_lock<FairMutex> lock(controller->GetSettingMutex(),
                                     std::try_to_lock);
    if (lock.owns_lock()) controller->StopLogging();
  }
}

std::shared_ptr<RS485ChannelController> ChannelControllerSet::Get(
    int channelNo) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!controllers_) return nullptr;
  for (const auto& controller : *controllers_) {
    if (controller->GetChannelNo() == channelNo) return controller;
  }
  return nullptr;
}

}  // namespace tool
