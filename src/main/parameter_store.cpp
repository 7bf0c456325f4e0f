#include "main/parameter_store.h"

namespace tool {

ParameterStore::ParameterStore(int checkKind) {
  connectedParams_.checkKind = checkKind;
  updatedParams_.checkKind = checkKind;
}

void ParameterStore::SetConnectedParams(const DeviceConnectionParams& params) {
  std::lock_guard<std::mutex> lock(mutex_);
  connectedParams_ = params;
}

DeviceConnectionParams ParameterStore::GetConnectedParams() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return connectedParams_;
}

void ParameterStore::SetUpdatedParams(const DeviceConnectionParams& params) {
  std::lock_guard<std::mutex> lock(mutex_);
  updatedParams_ = params;
}

DeviceConnectionParams ParameterStore::GetUpdatedParams() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return updatedParams_;
}

}  // namespace tool
