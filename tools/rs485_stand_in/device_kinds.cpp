#include "rs485_stand_in/device_kinds.h"

#include <cstddef>
#include <iterator>
#include <limits>
#include <utility>
#include <vector>

#include "rs485_stand_in/echo_device.h"
#include "rs485_stand_in/fixed_device.h"
#include "rs485_stand_in/hex_text.h"
#include "rs485_stand_in/km50_device.h"
#include "rs485_stand_in/option_fields.h"
#include "rs485_stand_in/reply_record.h"
#include "rs485_stand_in/weather_sensor_device.h"

namespace stand_in {
namespace {

// Makes one kind's device from the text after "KIND:" (empty when the value
// ends after KIND). Returns null and sets `*error` for unusable arguments.
using DeviceFactory = std::unique_ptr<SimulatedDevice> (*)(
    const std::optional<std::string>& arguments, std::string* error);

struct DeviceKind {
  const char* name;
  // The value's form and what the device does; lines after the first are
  // indented by DeviceKindsUsage as the first is.
  const char* usage;
  DeviceFactory create;
};

std::unique_ptr<SimulatedDevice> MakeEchoDevice(
    const std::optional<std::string>& arguments, std::string* error) {
  if (arguments) {
    *error = "echo takes no arguments";
    return nullptr;
  }
  return std::make_unique<EchoDevice>();
}

std::unique_ptr<SimulatedDevice> MakeFixedDevice(
    const std::optional<std::string>& arguments, std::string* error) {
  std::vector<uint8_t> answer;
  if (!arguments || arguments->empty() || !ParseHexText(*arguments, &answer)) {
    *error = "fixed needs the answer as hex digits, two per byte";
    return nullptr;
  }
  if (answer.size() > kMaxReplyFrameLength) {
    *error = "fixed answer is longer than a reply can carry";
    return nullptr;
  }
  return std::make_unique<FixedDevice>(std::move(answer));
}

// A decimal argument's name and largest value.
struct DecimalArgument {
  const char* name;
  uint32_t max;
};
// The weather sensor's arguments, in order.
constexpr DecimalArgument kWeatherArguments[] = {
    {"ADDRESS", std::numeric_limits<uint8_t>::max()},
    {"BAUD", std::numeric_limits<uint8_t>::max()},
    {"PARAM", std::numeric_limits<uint8_t>::max()},
    {"DEAF", std::numeric_limits<uint32_t>::max()},
};
// DEAF may be left out.
constexpr std::size_t kRequiredWeatherArguments = 3;

std::unique_ptr<SimulatedDevice> MakeWeatherSensorDevice(
    const std::optional<std::string>& arguments, std::string* error) {
  const std::vector<std::string> fields =
      arguments ? SplitFields(*arguments) : std::vector<std::string>();
  if (fields.size() < kRequiredWeatherArguments ||
      fields.size() > std::size(kWeatherArguments)) {
    *error = "weather needs ADDRESS:BAUD:PARAM[:DEAF]";
    return nullptr;
  }
  uint32_t values[std::size(kWeatherArguments)] = {};
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const DecimalArgument& argument = kWeatherArguments[i];
    if (!ParseDecimal(fields[i], argument.max, &values[i])) {
      *error = std::string("weather ") + argument.name + " \"" + fields[i] +
               "\" is not a decimal number from 0 to " +
               std::to_string(argument.max);
      return nullptr;
    }
  }
  return std::make_unique<WeatherSensorDevice>(
      static_cast<uint8_t>(values[0]), static_cast<uint8_t>(values[1]),
      static_cast<uint8_t>(values[2]), values[3]);
}

// The KM50 protocols by their name in a --device value.
struct Km50ProtocolName {
  const char* name;
  Km50Protocol protocol;
};
constexpr Km50ProtocolName kKm50Protocols[] = {
    {"compoway", Km50Protocol::kCompoWay},
    {"modbus", Km50Protocol::kModbus},
};
// PROTOCOL, ADDRESS, BAUD, PARAM.
constexpr std::size_t kKm50Arguments = 4;

std::unique_ptr<SimulatedDevice> MakeKm50Device(
    const std::optional<std::string>& arguments, std::string* error) {
  const std::vector<std::string> fields =
      arguments ? SplitFields(*arguments) : std::vector<std::string>();
  if (fields.size() != kKm50Arguments) {
    *error = "km50 needs PROTOCOL:ADDRESS:BAUD:PARAM";
    return nullptr;
  }
  const Km50ProtocolName* protocol = nullptr;
  for (const Km50ProtocolName& entry : kKm50Protocols) {
    if (fields[0] == entry.name) protocol = &entry;
  }
  if (protocol == nullptr) {
    *error = "km50 PROTOCOL \"" + fields[0] + "\" is not compoway or modbus";
    return nullptr;
  }
  // ADDRESS's largest value depends on the protocol.
  const DecimalArgument numbers[] = {
      {"ADDRESS", Km50MaxStation(protocol->protocol)},
      {"BAUD", std::numeric_limits<uint8_t>::max()},
      {"PARAM", std::numeric_limits<uint8_t>::max()},
  };
  uint32_t values[std::size(numbers)] = {};
  for (std::size_t i = 0; i < std::size(numbers); ++i) {
    if (!ParseDecimal(fields[i + 1], numbers[i].max, &values[i])) {
      *error = std::string("km50 ") + numbers[i].name + " \"" + fields[i + 1] +
               "\" is not a decimal number from 0 to " +
               std::to_string(numbers[i].max);
      return nullptr;
    }
  }
  return std::make_unique<Km50Device>(
      protocol->protocol, static_cast<uint8_t>(values[0]),
      static_cast<uint8_t>(values[1]), static_cast<uint8_t>(values[2]));
}

constexpr DeviceKind kDeviceKinds[] = {
    {"echo", "CH:echo        answers every frame with the frame itself",
     MakeEchoDevice},
    {"fixed", "CH:fixed:HEX   answers every frame with the bytes HEX",
     MakeFixedDevice},
    {"weather",
     "CH:weather:ADDRESS:BAUD:PARAM[:DEAF]\n"
     "  Modbus weather sensor at slave ADDRESS, silent unless\n"
     "  the line matches its BAUD and PARAM settings; applies\n"
     "  settings written to it on a restart, then ignores DEAF\n"
     "  frames (default 0)",
     MakeWeatherSensorDevice},
    {"km50",
     "CH:km50:PROTOCOL:ADDRESS:BAUD:PARAM\n"
     "  KM50 power monitor speaking PROTOCOL compoway or\n"
     "  modbus at node or slave ADDRESS, silent unless the\n"
     "  line has baud code BAUD and the format of serial\n"
     "  parameter setting PARAM (0 to 11); applies settings\n"
     "  written to it on the apply command",
     MakeKm50Device},
};

const DeviceKind* FindKind(const std::string& name) {
  for (const DeviceKind& kind : kDeviceKinds) {
    if (name == kind.name) return &kind;
  }
  return nullptr;
}

bool ParseChannel(const std::string& text, uint32_t* channel) {
  if (text.size() != 1 || text[0] < '0' + static_cast<int>(kFirstChannel) ||
      text[0] > '0' + static_cast<int>(kLastChannel)) {
    return false;
  }
  *channel = static_cast<uint32_t>(text[0] - '0');
  return true;
}

}  // namespace

std::optional<ChannelDevice> MakeChannelDevice(const std::string& text,
                                               std::string* error) {
  const std::size_t kindStart = text.find(':');
  ChannelDevice result;
  if (kindStart == std::string::npos ||
      !ParseChannel(text.substr(0, kindStart), &result.channel)) {
    *error = "device \"" + text + "\" does not start with a channel 1 to 3";
    return std::nullopt;
  }
  const std::size_t argumentsStart = text.find(':', kindStart + 1);
  const std::string kindName =
      text.substr(kindStart + 1, argumentsStart == std::string::npos
                                     ? std::string::npos
                                     : argumentsStart - kindStart - 1);
  const DeviceKind* kind = FindKind(kindName);
  if (kind == nullptr) {
    *error = "unknown device kind \"" + kindName + "\"";
    return std::nullopt;
  }
  std::optional<std::string> arguments;
  if (argumentsStart != std::string::npos) {
    arguments = text.substr(argumentsStart + 1);
  }
  result.device = kind->create(arguments, error);
  if (!result.device) return std::nullopt;
  return result;
}

std::string DeviceKindsUsage() {
  std::string usage;
  for (const DeviceKind& kind : kDeviceKinds)
    usage += IndentedUsage(kind.usage);
  return usage;
}

}  // namespace stand_in
