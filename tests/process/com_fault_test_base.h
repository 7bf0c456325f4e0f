#ifndef TOOL_TESTS_PROCESS_COM_FAULT_TEST_BASE_H_
#define TOOL_TESTS_PROCESS_COM_FAULT_TEST_BASE_H_

#include <chrono>
#include <future>
#include <ostream>
#include <string>
#include <vector>

#include "process/device_command_test.h"

namespace tool {
namespace testing {

// A deliverable speaking one protocol to the device of each channel.
struct ComTarget {
  const char* name;
  const Deliverable* deliverable;
  // Wattlet's protocol item ("0" CompoWay/F, "1" Modbus); empty for Skylet.
  const char* protocol;
};

void PrintTo(const ComTarget& target, std::ostream* out);

// Skylet with its weather sensor; Wattlet with a KM50 in either protocol.
extern const ComTarget kSkyletTarget;
extern const ComTarget kWattletCompowayTarget;
extern const ComTarget kWattletModbusTarget;

// The service's log lines for a failed exchange and for a rejected reply.
constexpr char kReceivedDataNull[] = "ERROR ToolManager ### received data null";
constexpr char kResponseError[] =
    "ERROR ToolManager ### send data response error";
constexpr char kRestartSleepStart[] =
    "DEBUG RestartRequestCommand Execute restart send sleep start";

// A reply of the service: its body and how long it took.
struct TimedReply {
  std::string body;
  std::chrono::milliseconds took{0};
};

// Device commands of a target against the RS-485 stand-in, each request
// with an id of its own so that every reply can be matched to its request.
// The devices stay at the settings they start with: the updates write those
// same settings, so a command that reached the device or not leaves it
// where the next check finds it.
class ComFaultTestBase : public DeviceCommandTest {
 protected:
  explicit ComFaultTestBase(const ComTarget& target)
      : DeviceCommandTest(*target.deliverable), target_(&target) {}

  // Builds the requests and devices of `target` from now on; `target` must
  // stay live while the test uses it and belong to the service under test.
  void UseTarget(const ComTarget& target) { target_ = &target; }

  // The --device value of the target's device on `channel`.
  std::string Device(int channel) const;
  // The stand-in's --device values for channels 1 to 3.
  std::vector<std::string> Devices() const;
  bool HasRestart() const;

  // Requests with a fresh id each, which `id` receives.
  std::string Check(int channel, int* id);
  std::string Update(int* id);
  std::string Restart(int* id);

  // The whole reply document for request `id`.
  static std::string Reply(int id, bool success);
  // Posts `request` and expects SUCCESS for request `id`.
  static void ExpectSuccess(const std::string& request, int id);

  // Posts `request` and waits up to `timeout` for the reply.
  static TimedReply TimedPost(const std::string& request,
                              std::chrono::milliseconds timeout);
  // TimedPost on a thread of its own.
  static std::future<TimedReply> PostAsync(const std::string& request,
                                           std::chrono::milliseconds timeout);

  // Waits up to 2 s until the stand-in has logged `line`.
  bool AwaitRecord(const std::string& line) const;

  // The number of the stand-in's record lines that are `line`.
  int CountRecords(const std::string& line) const;

  const ComTarget* target_;
  int nextId_ = 100;
};

}  // namespace testing
}  // namespace tool

#endif  // TOOL_TESTS_PROCESS_COM_FAULT_TEST_BASE_H_
