#ifndef TOOL_TOOLS_RS485_STAND_IN_STAND_IN_OPTIONS_H_
#define TOOL_TOOLS_RS485_STAND_IN_STAND_IN_OPTIONS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "rs485_stand_in/channel_fault.h"
#include "rs485_stand_in/device_kinds.h"

namespace stand_in {

// Where the gateway's services look for the RS-485 communication service.
constexpr char kDefaultSocketPath[] = "/mnt/system/orvanecom/orvane.com";
// The longest --silence-ms: a minute is far past the line time-out the
// services ask for (500 ms) and their receive time-out (10 s).
constexpr uint32_t kMaxSilenceMs = 60000;

// The command line of one run.
struct StandInOptions {
  std::string socketPath = kDefaultSocketPath;
  std::string recordLogPath;  // empty: no record log; "-": standard output
  std::vector<ChannelDevice> devices;  // at most one per channel
  std::vector<ChannelFault> faults;    // at most one per channel
  // How long a command record that no device answers waits for its "no
  // answer" reply, in milliseconds; 0 replies at once.
  uint32_t silenceMs = 0;
  bool refuse = false;  // refuse every connection
  bool help = false;
};

// Reads the arguments after the program name. Each option but the flags
// --refuse and --help takes its value either as the next argument or after
// "=" ("--socket=PATH"). Returns false and sets `*error` to a one-line
// reason for an unknown option, a missing value, a bad device or fault, a
// second device or fault on one channel, or a --silence-ms that is not a
// decimal number from 0 to kMaxSilenceMs.
bool ParseStandInOptions(int argc, const char* const* argv,
                         StandInOptions* options, std::string* error);

// The usage text, ending in a newline.
std::string StandInUsage();

}  // namespace stand_in

#endif  // TOOL_TOOLS_RS485_STAND_IN_STAND_IN_OPTIONS_H_
