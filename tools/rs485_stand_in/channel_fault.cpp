#include "rs485_stand_in/channel_fault.h"

#include <cstddef>
#include <limits>
#include <vector>

#include "rs485_stand_in/device_kinds.h"
#include "rs485_stand_in/option_fields.h"

namespace stand_in {
namespace {

enum class Argument { kNone, kRequired, kOptional };

struct ModeEntry {
  const char* name;
  FaultMode mode;
  Argument argument;
  const char* argumentName;
  int64_t min;
  int64_t max;
  int64_t defaultValue;  // kOptional only
  // What the mode does; lines after the first are indented by
  // FaultModesUsage as the first is.
  const char* usage;
};

constexpr int64_t kInt32Min = std::numeric_limits<int32_t>::min();
constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();
constexpr int64_t kInt16Min = std::numeric_limits<int16_t>::min();
constexpr int64_t kInt16Max = std::numeric_limits<int16_t>::max();
constexpr int64_t kUint32Max = std::numeric_limits<uint32_t>::max();
// Ten minutes; longer would only outlast every client.
constexpr int64_t kMaxDelayMilliseconds = 600000;
constexpr int64_t kDefaultSeed = 1;

constexpr ModeEntry kModes[] = {
    {"close-unread", FaultMode::kCloseUnread, Argument::kNone, "", 0, 0, 0,
     "close-unread   closes the connection unread"},
    {"close-silent", FaultMode::kCloseSilent, Argument::kNone, "", 0, 0, 0,
     "close-silent   reads the record, closes unanswered"},
    {"hang", FaultMode::kHang, Argument::kNone, "", 0, 0, 0,
     "hang           reads the record, never answers and keeps\n"
     "  the connection until the client closes it"},
    {"status", FaultMode::kStatus, Argument::kRequired, "N", kInt32Min,
     kInt32Max, 0, "status:N       status N (not 0) with the device's answer"},
    {"truncated", FaultMode::kTruncated, Argument::kNone, "", 0, 0, 0,
     "truncated      announces the whole answer, sends the\n"
     "  header and half of it, then closes"},
    {"length", FaultMode::kLength, Argument::kRequired, "N", kInt16Min,
     kInt16Max, 0,
     "length:N       status 0, length field N (-32768..32767),\n"
     "  then the device's answer"},
    {"random", FaultMode::kRandom, Argument::kOptional, "SEED", 0, kUint32Max,
     kDefaultSeed,
     "random[:SEED]  0 to 13739 random bytes, the same for the\n"
     "  same SEED (default 1) and record number"},
    {"exception", FaultMode::kException, Argument::kNone, "", 0, 0, 0,
     "exception      in the device's place a Modbus exception\n"
     "  (code 04) or a CompoWay/F end code 0F"},
    {"other-address", FaultMode::kOtherAddress, Argument::kNone, "", 0, 0, 0,
     "other-address  the device's answer (or the request) from\n"
     "  the next slave address or node number"},
    {"delay", FaultMode::kDelay, Argument::kRequired, "MS", 0,
     kMaxDelayMilliseconds, 0,
     "delay:MS       the normal reply MS milliseconds late (MS\n"
     "  up to 600000)"},
};

const ModeEntry* FindMode(const std::string& name) {
  for (const ModeEntry& entry : kModes) {
    if (name == entry.name) return &entry;
  }
  return nullptr;
}

const ModeEntry& EntryOf(FaultMode mode) {
  for (const ModeEntry& entry : kModes) {
    if (entry.mode == mode) return entry;
  }
  return kModes[0];
}

bool ParseChannel(const std::string& text, uint32_t* channel) {
  uint32_t number = 0;
  if (text.size() != 1 || !ParseDecimal(text, kLastChannel, &number) ||
      number < kFirstChannel) {
    return false;
  }
  *channel = number;
  return true;
}

// Reads "NAME=N" for a NAME not yet seen into `*value`; `seen` tells whether
// it came before. An empty result means the field is not NAME's.
std::optional<bool> ParseNamedCount(const std::string& field,
                                    const std::string& name, uint32_t min,
                                    bool* seen, uint32_t* value,
                                    std::string* error) {
  const std::string prefix = name + "=";
  if (field.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
  if (*seen) {
    *error = "fault has " + name + "= twice";
    return false;
  }
  uint32_t number = 0;
  if (!ParseDecimal(field.substr(prefix.size()), kUint32Max, &number) ||
      number < min) {
    *error = "fault " + name + " \"" + field.substr(prefix.size()) +
             "\" is not a decimal number from " + std::to_string(min) + " to " +
             std::to_string(kUint32Max);
    return false;
  }
  *seen = true;
  *value = number;
  return true;
}

bool IsCountField(const std::string& field) {
  return field.rfind("skip=", 0) == 0 || field.rfind("count=", 0) == 0;
}

}  // namespace

std::optional<ChannelFault> ParseChannelFault(const std::string& text,
                                              std::string* error) {
  const std::vector<std::string> fields = SplitFields(text);
  ChannelFault fault;
  if (!ParseChannel(fields[0], &fault.channel)) {
    *error = "fault \"" + text + "\" does not start with a channel 1 to 3";
    return std::nullopt;
  }
  const ModeEntry* mode = fields.size() > 1 ? FindMode(fields[1]) : nullptr;
  if (mode == nullptr) {
    *error =
        "unknown fault mode \"" + (fields.size() > 1 ? fields[1] : "") + "\"";
    return std::nullopt;
  }
  fault.mode = mode->mode;
  fault.argument = mode->defaultValue;

  std::size_t next = 2;
  const bool argumentGiven =
      next < fields.size() && !IsCountField(fields[next]);
  if (mode->argument == Argument::kRequired && !argumentGiven) {
    *error =
        std::string("fault ") + mode->name + " needs " + mode->argumentName;
    return std::nullopt;
  }
  if (argumentGiven && mode->argument != Argument::kNone) {
    const std::string& value = fields[next++];
    if (!ParseSignedDecimal(value, mode->min, mode->max, &fault.argument) ||
        (fault.mode == FaultMode::kStatus && fault.argument == 0)) {
      *error = std::string("fault ") + mode->name + " " + mode->argumentName +
               " \"" + value + "\" is not a decimal number from " +
               std::to_string(mode->min) + " to " + std::to_string(mode->max) +
               (fault.mode == FaultMode::kStatus ? " other than 0" : "");
      return std::nullopt;
    }
  }

  bool skipSeen = false;
  bool countSeen = false;
  uint32_t count = 0;
  for (; next < fields.size(); ++next) {
    const std::string& field = fields[next];
    std::optional<bool> parsed =
        ParseNamedCount(field, "skip", 0, &skipSeen, &fault.skip, error);
    if (!parsed) {
      parsed = ParseNamedCount(field, "count", 1, &countSeen, &count, error);
    }
    if (!parsed) {
      *error = std::string("fault ") + mode->name + " does not take \"" +
               field + "\"";
      return std::nullopt;
    }
    if (!*parsed) return std::nullopt;
  }
  if (countSeen) fault.count = count;
  return fault;
}

std::string FaultModeText(const ChannelFault& fault) {
  const ModeEntry& entry = EntryOf(fault.mode);
  std::string text = entry.name;
  if (entry.argument != Argument::kNone) {
    text += ":" + std::to_string(fault.argument);
  }
  return text;
}

std::string FaultModesUsage() {
  std::string usage;
  for (const ModeEntry& entry : kModes) usage += IndentedUsage(entry.usage);
  return usage;
}

}  // namespace stand_in
