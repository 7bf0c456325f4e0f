#ifndef TOOL_MAIN_PARAMETER_STORE_H_
#define TOOL_MAIN_PARAMETER_STORE_H_

#include <mutex>

#include "rs485/device_connection_params.h"

namespace tool {

// The line settings under which the device last answered a connection
// check (connected) and those an update last set (updated), which later
// commands read back. Safe from any thread: commands of different requests
// store and read them at once; a getter returns a copy.
class ParameterStore {
 public:
  // Both start with channel 0, which names no channel, and `checkKind`.
  explicit ParameterStore(int checkKind);
  virtual ~ParameterStore() = default;

  ParameterStore(const ParameterStore&) = delete;
  ParameterStore& operator=(const ParameterStore&) = delete;

  void SetConnectedParams(const DeviceConnectionParams& params);
  DeviceConnectionParams GetConnectedParams() const;
  void SetUpdatedParams(const DeviceConnectionParams& params);
  DeviceConnectionParams GetUpdatedParams() const;

 private:
  mutable std::mutex mutex_;
  DeviceConnectionParams connectedParams_;
  DeviceConnectionParams updatedParams_;
};

}  // namespace tool

#endif  // TOOL_MAIN_PARAMETER_STORE_H_
