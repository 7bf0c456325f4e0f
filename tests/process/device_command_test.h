#ifndef TOOL_TESTS_PROCESS_DEVICE_COMMAND_TEST_H_
#define TOOL_TESTS_PROCESS_DEVICE_COMMAND_TEST_H_

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "process/request_text.h"
#include "process/service_test.h"
#include "process/stand_in_process.h"

namespace tool {
namespace testing {

// Skylet's requests, with the items' text as given.
std::string CheckRequest(const std::string& channel,
                         const std::string& baudrate,
                         const std::string& address, const std::string& param);
std::string UpdateRequest(const std::string& baudrate,
                          const std::string& address, const std::string& param);
std::string RestartRequest();

// The whole reply document for the requests above.
std::string SuccessReply();
std::string FailureReply();

// `hexFrame` followed by its Modbus RTU check value, in lower-case hex.
std::string WithCrc(const std::string& hexFrame);

// A service with the RS-485 stand-in in its sandbox, driven through HTTP.
class DeviceCommandTest : public ServiceTest {
 protected:
  explicit DeviceCommandTest(const Deliverable& deliverable)
      : deliverable_(deliverable) {}

  // Starts the stand-in with `devices` (--device values) and further
  // `standInOptions`, then the service logging every level unbuffered, and
  // waits until it carries device commands. Returns the service's log file.
  std::string Start(const std::vector<std::string>& devices,
                    const std::vector<std::string>& standInOptions = {});
  // Starts the stand-in only and has the service's next start log every
  // level unbuffered.
  void StartStandIn(const std::vector<std::string>& devices,
                    const std::vector<std::string>& standInOptions = {});

  // Posts `request` and returns the reply's body.
  static std::string Post(
      const std::string& request,
      std::chrono::milliseconds timeout = std::chrono::seconds(5));

  // The stand-in's records reduced to what the service chose:
  // "port ch=1 baud=3 format=0x03", "command ch=1 frame=0a4605a3a1" and
  // "reply ch=1 status=0 frame=0a4605a3a1".
  std::vector<std::string> Records() const;
  // Records() without the replies: what the service sent.
  std::vector<std::string> Sent() const;

  // The log's messages as "LEVEL Tag text"; read after the service stopped.
  static std::vector<std::string> LogMessages(const std::string& log);

  const Deliverable& deliverable_;
  std::optional<StandInProcess> standIn_;
};

// Skylet and its weather sensor.
class WeatherSensorTest : public DeviceCommandTest {
 protected:
  WeatherSensorTest() : DeviceCommandTest(kSkylet) {}
};

}  // namespace testing
}  // namespace tool

#endif  // TOOL_TESTS_PROCESS_DEVICE_COMMAND_TEST_H_
