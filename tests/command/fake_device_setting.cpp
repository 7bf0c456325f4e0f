#include "command/fake_device_setting.h"

#include <cstddef>
#include <utility>

namespace tool {

bool operator==(const DeviceConnectionParams& a,
                const DeviceConnectionParams& b) {
  return a.checkKind == b.checkKind && a.channel == b.channel &&
         a.baudrate == b.baudrate && a.address == b.address &&
         a.param == b.param;
}

void PrintTo(const DeviceConnectionParams& params, std::ostream* out) {
  *out << "{kind " << params.checkKind << ", ch " << params.channel << ", baud "
       << params.baudrate << ", address " << params.address << ", param "
       << params.param << "}";
}

namespace testing {
namespace {

const char* Name(Operation operation) {
  switch (operation) {
    case Operation::kConnection:
      return "DeviceSettingConnection";
    case Operation::kConnectionUntilSuccess:
      return "DeviceSettingConnectionUntilSuccess";
    case Operation::kSetConnected:
      return "SetConnectedParams";
    case Operation::kGetConnected:
      return "GetConnectedParams";
    case Operation::kSetUpdated:
      return "SetUpdatedParams";
    case Operation::kGetUpdated:
      return "GetUpdatedParams";
    case Operation::kPause:
      return "PauseUnlessStopped";
  }
  return "?";
}

}  // namespace

bool operator==(const Call& a, const Call& b) {
  return a.operation == b.operation && a.params == b.params &&
         a.frames == b.frames && a.milliseconds == b.milliseconds;
}

void PrintTo(const Call& call, std::ostream* out) {
  *out << Name(call.operation);
  if (call.operation == Operation::kPause) {
    *out << "(" << call.milliseconds << " ms)";
    return;
  }
  *out << " ";
  PrintTo(call.params, out);
  for (const Bytes& frame : call.frames) {
    *out << " [";
    static constexpr char kDigits[] = "0123456789abcdef";
    for (std::uint8_t byte : frame) {
      *out << kDigits[byte >> 4] << kDigits[byte & 0x0F];
    }
    *out << "]";
  }
}

Call Connection(const DeviceConnectionParams& params,
                std::vector<Bytes> frames) {
  return {Operation::kConnection, params, std::move(frames), 0};
}

Call ConnectionUntilSuccess(const DeviceConnectionParams& params,
                            std::vector<Bytes> frames) {
  return {Operation::kConnectionUntilSuccess, params, std::move(frames), 0};
}

Call SetConnected(const DeviceConnectionParams& params) {
  return {Operation::kSetConnected, params, {}, 0};
}

Call SetUpdated(const DeviceConnectionParams& params) {
  return {Operation::kSetUpdated, params, {}, 0};
}

Call Pause(int milliseconds) {
  return {Operation::kPause, {}, {}, milliseconds};
}

void FakeDeviceSetting::ScriptConnections(std::initializer_list<bool> results) {
  connectionResults_.insert(connectionResults_.end(), results);
}

std::vector<Call> FakeDeviceSetting::Effects() const {
  std::vector<Call> effects;
  for (const Call& call : calls_) {
    if (call.operation != Operation::kGetConnected &&
        call.operation != Operation::kGetUpdated) {
      effects.push_back(call);
    }
  }
  return effects;
}

bool FakeDeviceSetting::DeviceSettingConnection(
    const DeviceConnectionParams& params,
    const std::vector<const std::uint8_t*>& datalist,
    const std::vector<int>& sizelist) {
  return Connect(Operation::kConnection, params, datalist, sizelist);
}

bool FakeDeviceSetting::DeviceSettingConnectionUntilSuccess(
    const DeviceConnectionParams& params,
    const std::vector<const std::uint8_t*>& datalist,
    const std::vector<int>& sizelist) {
  return Connect(Operation::kConnectionUntilSuccess, params, datalist,
                 sizelist);
}

bool FakeDeviceSetting::Connect(
    Operation operation, const DeviceConnectionParams& params,
    const std::vector<const std::uint8_t*>& datalist,
    const std::vector<int>& sizelist) {
  Call call = {operation, params, {}, 0};
  bool result = !datalist.empty() && datalist.size() == sizelist.size();
  if (result) {
    for (std::size_t i = 0; i < datalist.size(); ++i) {
      call.frames.emplace_back(datalist[i], datalist[i] + sizelist[i]);
    }
  }
  calls_.push_back(std::move(call));
  if (!connectionResults_.empty()) {
    result = result && connectionResults_.front();
    connectionResults_.pop_front();
  }
  return result;
}

void FakeDeviceSetting::SetConnectedParams(
    const DeviceConnectionParams& params) {
  calls_.push_back(SetConnected(params));
  connected_ = params;
}

DeviceConnectionParams FakeDeviceSetting::GetConnectedParams() const {
  calls_.push_back({Operation::kGetConnected, connected_, {}, 0});
  return connected_;
}

void FakeDeviceSetting::SetUpdatedParams(const DeviceConnectionParams& params) {
  calls_.push_back(SetUpdated(params));
  updated_ = params;
}

DeviceConnectionParams FakeDeviceSetting::GetUpdatedParams() const {
  calls_.push_back({Operation::kGetUpdated, updated_, {}, 0});
  return updated_;
}

bool FakeDeviceSetting::PauseUnlessStopped(int milliseconds) {
  calls_.push_back(Pause(milliseconds));
  return pauseResult_;
}

}  // namespace testing
}  // namespace tool
