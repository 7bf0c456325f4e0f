#ifndef TOOL_TESTS_PROCESS_STAND_IN_PROCESS_H_
#define TOOL_TESTS_PROCESS_STAND_IN_PROCESS_H_

#include <string>
#include <vector>

#include "process/service_process.h"

namespace tool {
namespace testing {

// Opened by the test program's main before the sandbox hides the build
// directory.
extern int standInExecutable;

// The services' fixed socket of the RS-485 communication service.
constexpr char kComSocketPath[] = "/mnt/system/orvanecom/orvane.com";

// One run of the RS-485 stand-in on the services' socket, writing every
// record it receives and every reply it sends to a record log in /tmp.
class StandInProcess {
 public:
  // `name` tells the output files apart; each of `devices` is a --device
  // value, such as "1:weather:10:2:0"; `options` follow them as they stand,
  // such as "--fault", "1:hang".
  StandInProcess(const std::string& name,
                 const std::vector<std::string>& devices,
                 const std::vector<std::string>& options = {});

  StandInProcess(const StandInProcess&) = delete;
  StandInProcess& operator=(const StandInProcess&) = delete;

  // Starts the stand-in and waits until its socket takes connections.
  bool Start();
  // Stops it with SIGTERM; true when it removed its socket and exited 0.
  bool Stop();

  // The record log's lines so far.
  std::vector<std::string> RecordLines() const;
  std::string Stderr() const { return process_.Stderr(); }

 private:
  const std::string recordLogPath_;
  ServiceProcess process_;
};

}  // namespace testing
}  // namespace tool

#endif  // TOOL_TESTS_PROCESS_STAND_IN_PROCESS_H_
