#include "rs485_stand_in/device_kinds.h"

#include <utility>
#include <vector>

#include "rs485_stand_in/echo_device.h"
#include "rs485_stand_in/fixed_device.h"
#include "rs485_stand_in/hex_text.h"
#include "rs485_stand_in/reply_record.h"

namespace stand_in {
namespace {

// Makes one kind's device from the text after "KIND:" (empty when the value
// ends after KIND). Returns null and sets `*error` for unusable arguments.
using DeviceFactory = std::unique_ptr<SimulatedDevice> (*)(
    const std::optional<std::string>& arguments, std::string* error);

struct DeviceKind {
  const char* name;
  const char* usage;  // the value's form and what the device does
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

constexpr DeviceKind kDeviceKinds[] = {
    {"echo", "CH:echo        answers every frame with the frame itself",
     MakeEchoDevice},
    {"fixed", "CH:fixed:HEX   answers every frame with the bytes HEX",
     MakeFixedDevice},
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
  for (const DeviceKind& kind : kDeviceKinds) {
    usage += "                        ";
    usage += kind.usage;
    usage += '\n';
  }
  return usage;
}

}  // namespace stand_in
