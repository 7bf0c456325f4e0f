#ifndef TOOL_TESTS_COMMAND_FAKE_DEVICE_SETTING_H_
#define TOOL_TESTS_COMMAND_FAKE_DEVICE_SETTING_H_

#include <cstdint>
#include <deque>
#include <initializer_list>
#include <ostream>
#include <vector>

#include "rs485/device_connection_params.h"
#include "rs485/device_setting_interface.h"

namespace tool {

// Field by field, so that tests can compare and print stored settings.
bool operator==(const DeviceConnectionParams& a,
                const DeviceConnectionParams& b);
void PrintTo(const DeviceConnectionParams& params, std::ostream* out);

namespace testing {

using Bytes = std::vector<std::uint8_t>;

enum class Operation {
  kConnection,              // DeviceSettingConnection
  kConnectionUntilSuccess,  // DeviceSettingConnectionUntilSuccess
  kSetConnected,
  kGetConnected,
  kSetUpdated,
  kGetUpdated,
  kPause,
};

// One call a command made of the device-setting operations.
struct Call {
  Operation operation;
  // Those of a connection or a setter, or what a getter returned.
  DeviceConnectionParams params;
  // A copy of each frame's command bytes, for a connection.
  std::vector<Bytes> frames;
  // What a pause was asked for.
  int milliseconds;
};

bool operator==(const Call& a, const Call& b);
void PrintTo(const Call& call, std::ostream* out);

// The calls a test expects.
Call Connection(const DeviceConnectionParams& params,
                std::vector<Bytes> frames);
Call ConnectionUntilSuccess(const DeviceConnectionParams& params,
                            std::vector<Bytes> frames);
Call SetConnected(const DeviceConnectionParams& params);
Call SetUpdated(const DeviceConnectionParams& params);
Call Pause(int milliseconds);

// Device-setting operations that reach no device: they record every call,
// answer connections and pauses as the test scripts them and keep the
// connected and updated settings as the service does (both start as
// {0, 0, 0, 0, 0}). For the test's thread only.
class FakeDeviceSetting : public DeviceSettingInterface {
 public:
  // The results of the next connections of either kind, in order; once they
  // are used up, connections succeed.
  void ScriptConnections(std::initializer_list<bool> results);
  // What every pause returns from now on; false acts as a stop of the
  // service. Pauses return at once either way.
  void set_pause_result(bool result) { pauseResult_ = result; }

  // Every call so far, in order.
  const std::vector<Call>& calls() const { return calls_; }
  // The calls that send, store or pause: all but the getters.
  std::vector<Call> Effects() const;
  void ClearCalls() { calls_.clear(); }

  // The stored settings, read without being recorded.
  const DeviceConnectionParams& connected() const { return connected_; }
  const DeviceConnectionParams& updated() const { return updated_; }

  // As the real operations, empty or unequal lists give false with no
  // frame recorded.
  bool DeviceSettingConnection(const DeviceConnectionParams& params,
                               const std::vector<const std::uint8_t*>& datalist,
                               const std::vector<int>& sizelist) override;
  bool DeviceSettingConnectionUntilSuccess(
      const DeviceConnectionParams& params,
      const std::vector<const std::uint8_t*>& datalist,
      const std::vector<int>& sizelist) override;
  void SetConnectedParams(const DeviceConnectionParams& params) override;
  DeviceConnectionParams GetConnectedParams() const override;
  void SetUpdatedParams(const DeviceConnectionParams& params) override;
  DeviceConnectionParams GetUpdatedParams() const override;
  bool PauseUnlessStopped(int milliseconds) override;

 private:
  bool Connect(Operation operation, const DeviceConnectionParams& params,
               const std::vector<const std::uint8_t*>& datalist,
               const std::vector<int>& sizelist);

  std::deque<bool> connectionResults_;
  bool pauseResult_ = true;
  DeviceConnectionParams connected_;
  DeviceConnectionParams updated_;
  // Getters are const but recorded too.
  mutable std::vector<Call> calls_;
};

}  // namespace testing
}  // namespace tool

#endif  // TOOL_TESTS_COMMAND_FAKE_DEVICE_SETTING_H_
