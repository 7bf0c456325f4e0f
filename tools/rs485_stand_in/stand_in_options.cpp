#include "rs485_stand_in/stand_in_options.h"

#include <optional>
#include <utility>

#include "rs485_stand_in/option_fields.h"

namespace stand_in {
namespace {

// Stores one option's value in `*options`. Returns false and sets `*error`
// when the value is unusable.
using OptionSetter = bool (*)(const std::string& value, StandInOptions* options,
                              std::string* error);

struct Option {
  const char* name;
  OptionSetter set;
};

bool SetSocket(const std::string& value, StandInOptions* options,
               std::string* error) {
  if (value.empty()) {
    *error = "--socket needs a path";
    return false;
  }
  options->socketPath = value;
  return true;
}

bool SetRecordLog(const std::string& value, StandInOptions* options,
                  std::string* /*error*/) {
  options->recordLogPath = value;
  return true;
}

bool AddDevice(const std::string& value, StandInOptions* options,
               std::string* error) {
  std::optional<ChannelDevice> device = MakeChannelDevice(value, error);
  if (!device) return false;
  for (const ChannelDevice& other : options->devices) {
    if (other.channel == device->channel) {
      *error = "channel " + std::to_string(device->channel) +
               " has more than one device";
      return false;
    }
  }
  options->devices.push_back(std::move(*device));
  return true;
}

bool AddFault(const std::string& value, StandInOptions* options,
              std::string* error) {
  std::optional<ChannelFault> fault = ParseChannelFault(value, error);
  if (!fault) return false;
  for (const ChannelFault& other : options->faults) {
    if (other.channel == fault->channel) {
      *error = "channel " + std::to_string(fault->channel) +
               " has more than one fault";
      return false;
    }
  }
  options->faults.push_back(*fault);
  return true;
}

bool SetSilence(const std::string& value, StandInOptions* options,
                std::string* error) {
  if (!ParseDecimal(value, kMaxSilenceMs, &options->silenceMs)) {
    *error = "--silence-ms \"" + value +
             "\" is not a decimal number of milliseconds from 0 to " +
             std::to_string(kMaxSilenceMs);
    return false;
  }
  return true;
}

// The options that take a value.
constexpr Option kOptions[] = {
    {"--socket", SetSocket},      {"--record-log", SetRecordLog},
    {"--device", AddDevice},      {"--fault", AddFault},
    {"--silence-ms", SetSilence},
};

const Option* FindOption(const std::string& name) {
  for (const Option& option : kOptions) {
    if (name == option.name) return &option;
  }
  return nullptr;
}

}  // namespace

bool ParseStandInOptions(int argc, const char* const* argv,
                         StandInOptions* options, std::string* error) {
  for (int i = 1; i < argc; ++i) {
    std::string name = argv[i];
    if (name == "--help" || name == "-h") {
      options->help = true;
      continue;
    }
    if (name == "--refuse") {
      options->refuse = true;
      continue;
    }
    std::optional<std::string> value;
    const std::size_t equals = name.find('=');
    if (equals != std::string::npos) {
      value = name.substr(equals + 1);
      name.resize(equals);
    }
    const Option* option = FindOption(name);
    if (option == nullptr) {
      *error = "unknown option " + name;
      return false;
    }
    if (!value) {
      if (i + 1 == argc) {
        *error = name + " needs a value";
        return false;
      }
      value = argv[++i];
    }
    if (!option->set(*value, options, error)) return false;
  }
  return true;
}

std::string StandInUsage() {
  return std::string(
             "Usage: rs485_stand_in [--socket PATH] [--record-log FILE]\n"
             "                      [--device CH:KIND[:ARGS]]...\n"
             "                      [--fault CH:MODE[:ARG][:skip=N][:count=M]]"
             "...\n"
             "                      [--silence-ms N] [--refuse]\n"
             "Answers the RS-485 communication service's socket records from\n"
             "simulated devices.\n"
             "  --socket PATH       socket to listen on (default\n"
             "                      ") +
         kDefaultSocketPath +
         ")\n"
         "  --record-log FILE   one line per record received and reply sent;\n"
         "                      - for standard output\n"
         "  --device CH:KIND[:ARGS]\n"
         "                      the device on channel CH (1 to 3), one per "
         "channel; a\n"
         "                      channel without a device does not answer. "
         "Kinds:\n" +
         DeviceKindsUsage() +
         "  --fault CH:MODE[:ARG][:skip=N][:count=M]\n"
         "                      the fault of channel CH, one per channel: the "
         "first N\n"
         "                      command records (default 0) are answered "
         "normally, the\n"
         "                      next M (default all) meet the fault; "
         "port-setting\n"
         "                      records never do. Modes:\n" +
         FaultModesUsage() +
         "                      truncated, length and other-address use the "
         "request\n"
         "                      when the device is silent; each faulted "
         "record is\n"
         "                      logged as \"fault ch=CH mode=MODE\"\n"
         "  --silence-ms N      wait N milliseconds (0 to 60000, default 0) "
         "before the\n"
         "                      status 1 reply to a command that no device "
         "answers, as\n"
         "                      a line time-out does; answered commands and "
         "faults keep\n"
         "                      their timing\n"
         "  --refuse            refuse every connection (the socket file "
         "exists, nobody\n"
         "                      listens)\n"
         "  --help              show this text\n";
}

}  // namespace stand_in
