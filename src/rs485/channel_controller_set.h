#ifndef TOOL_RS485_CHANNEL_CONTROLLER_SET_H_
#define TOOL_RS485_CHANNEL_CONTROLLER_SET_H_

#include <memory>
#include <mutex>
#include <vector>

#include "rs485/rs485_channel_controller.h"

namespace tool {

class LoggerSettingXmlManager;

// The controllers of the gateway's RS-485 channels 1, 2 and 3, from Create
// to Release. Safe from any thread: request threads look controllers up
// while the stop sequence may release them.
class ChannelControllerSet {
 public:
  // Creates nothing yet. The controllers will reach the communication
  // service through `settings`, which must remain live while this set or a
  // controller it made exists.
  explicit ChannelControllerSet(const LoggerSettingXmlManager& settings);
  virtual ~ChannelControllerSet() = default;

  ChannelControllerSet(const ChannelControllerSet&) = delete;
  ChannelControllerSet& operator=(const ChannelControllerSet&) = delete;

  // Creates the controllers of channels 1 to 3; keeps those it has.
  void Create();

  // Closes every controller, so that operations in progress and those
  // waiting for their channel fail within moments, and drops the set. A
  // controller still in use lives on with its operation, which ends at once
  // now. Does nothing when there are no controllers.
  void Release();

  // The controller of `channelNo`; empty when there is none or the
  // controllers are not created. Holding it keeps it alive through a
  // Release.
  std::shared_ptr<RS485ChannelController> Get(int channelNo) const;

 private:
  using ControllerList = std::vector<std::shared_ptr<RS485ChannelController>>;

  const LoggerSettingXmlManager& settings_;
  mutable std::mutex mutex_;
  std::unique_ptr<ControllerList> controllers_;
};

}  // namespace tool

#endif  // TOOL_RS485_CHANNEL_CONTROLLER_SET_H_
