#include "rs485_stand_in/km50_device.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <limits>
#include <string>
#include <utility>

#include "rs485_stand_in/compoway_frame.h"
#include "rs485_stand_in/hex_text.h"
#include "rs485_stand_in/modbus_crc.h"

namespace stand_in {
namespace {

// A line's serial parameters as the client's codes.
struct SerialParameters {
  uint8_t dataBit;  // 2 or 3, stored as it is
  uint8_t stopBit;  // 0 or 2
  uint8_t parity;   // 0 even, 1 odd, 255 none
};

// The parameters each serial-parameter setting stands for, indexed by
// setting.
constexpr SerialParameters kSerialParameters[] = {
    {2, 0, 255}, {2, 2, 255}, {2, 0, 0}, {2, 2, 0}, {2, 0, 1}, {2, 2, 1},
    {3, 0, 255}, {3, 2, 255}, {3, 0, 0}, {3, 2, 0}, {3, 0, 1}, {3, 2, 1},
};
// A setting past the table acts as this one.
constexpr uint8_t kDefaultParamSetting = 3;

// Bits 2-3 of the format byte, indexed by stop-bit code.
constexpr uint8_t kStopBitFields[] = {0x00, 0x04, 0x08};

// Bits 4-5 of the format byte for each parity code.
struct ParityField {
  uint8_t parity;
  uint8_t field;
};
constexpr ParityField kParityFields[] = {{0, 0x10}, {1, 0x30}, {255, 0x00}};

// The parity code each written parity value (0 none, 1 even, 2 odd) stands
// for, indexed by value.
constexpr uint8_t kWrittenParityCodes[] = {255, 0, 1};

constexpr const SerialParameters& ParametersOf(uint8_t setting) {
  return kSerialParameters[setting < std::size(kSerialParameters)
                               ? setting
                               : kDefaultParamSetting];
}

// The format byte of LineSettings that a serial-parameter setting requires.
constexpr uint8_t FormatByte(uint8_t setting) {
  const SerialParameters& parameters = ParametersOf(setting);
  uint8_t parityField = 0;
  for (const ParityField& entry : kParityFields) {
    if (entry.parity == parameters.parity) parityField = entry.field;
  }
  return static_cast<uint8_t>(parameters.dataBit |
                              kStopBitFields[parameters.stopBit] | parityField);
}

// The setting with the data and stop bits of `setting` and the parity that
// the written `parityValue` stands for; `setting` when there is none.
constexpr uint8_t WithParity(uint8_t setting, uint32_t parityValue) {
  if (parityValue >= std::size(kWrittenParityCodes)) return setting;
  const SerialParameters& current = ParametersOf(setting);
  for (std::size_t i = 0; i < std::size(kSerialParameters); ++i) {
    const SerialParameters& row = kSerialParameters[i];
    if (row.dataBit == current.dataBit && row.stopBit == current.stopBit &&
        row.parity == kWrittenParityCodes[parityValue]) {
      return static_cast<uint8_t>(i);
    }
  }
  return setting;
}

static_assert(FormatByte(0) == 0x02 && FormatByte(1) == 0x0A &&
              FormatByte(2) == 0x12 && FormatByte(3) == 0x1A &&
              FormatByte(4) == 0x32 && FormatByte(6) == 0x03 &&
              FormatByte(11) == 0x3B && FormatByte(12) == 0x1A);
static_assert(WithParity(2, 2) == 4 && WithParity(9, 0) == 7 &&
              WithParity(0, 1) == 2 && WithParity(12, 2) == 5 &&
              WithParity(2, 3) == 2);

// An operation command, by its command code (CompoWay/F) or the high byte of
// the value written to the operation register (Modbus).
struct Operation {
  uint8_t code;
  bool applies;  // makes the pending settings current once answered
};
constexpr Operation kOperations[] = {
    {0x07, false},  // enter setting mode
    {0x04, true},   // apply the written settings
};

// A setting that can be written, at its variable (CompoWay/F) or register
// (Modbus) address, and the largest value it takes.
struct WriteTarget {
  uint16_t address;
  std::optional<uint32_t> Km50Device::PendingSettings::*setting;
  uint32_t max;
};
constexpr uint32_t kAnyValue = std::numeric_limits<uint32_t>::max();
constexpr uint32_t kMaxBaudCode = std::numeric_limits<uint8_t>::max();

constexpr WriteTarget kCompoWayWrites[] = {
    {0x001C, &Km50Device::PendingSettings::marker, kAnyValue},
    {0x0012, &Km50Device::PendingSettings::station,
     Km50MaxStation(Km50Protocol::kCompoWay)},
    {0x0013, &Km50Device::PendingSettings::baudCode, kMaxBaudCode},
    {0x0016, &Km50Device::PendingSettings::parity, kAnyValue},
};
constexpr WriteTarget kModbusWrites[] = {
    {0xF012, &Km50Device::PendingSettings::marker, kAnyValue},
    {0xF009, &Km50Device::PendingSettings::station,
     Km50MaxStation(Km50Protocol::kModbus)},
    {0xF00A, &Km50Device::PendingSettings::baudCode, kMaxBaudCode},
    {0xF00D, &Km50Device::PendingSettings::parity, kAnyValue},
};

// A request understood: what it asks besides an answer, and the answer.
struct Exchange {
  const Operation* operation = nullptr;
  const WriteTarget* write = nullptr;
  uint32_t value = 0;  // the value written
  std::vector<uint8_t> reply;
};

const Operation* FindOperation(uint8_t code) {
  for (const Operation& operation : kOperations) {
    if (operation.code == code) return &operation;
  }
  return nullptr;
}

template <std::size_t N>
const WriteTarget* FindWrite(const WriteTarget (&targets)[N],
                             uint16_t address) {
  for (const WriteTarget& target : targets) {
    if (target.address == address) return &target;
  }
  return nullptr;
}

// Big-endian values within `bytes`.
uint16_t WordAt(const std::vector<uint8_t>& bytes, std::size_t at) {
  return static_cast<uint16_t>(bytes[at] << 8 | bytes[at + 1]);
}
uint32_t DoubleWordAt(const std::vector<uint8_t>& bytes, std::size_t at) {
  return static_cast<uint32_t>(WordAt(bytes, at)) << 16 | WordAt(bytes, at + 2);
}

// CompoWay/F text: node number (two decimal digits), sub-address, SID, then
// the command (main and sub request code) and its data.
constexpr std::size_t kNodeSize = 2;
constexpr char kSubAddress[] = "00";
constexpr char kSid[] = "0";
constexpr std::size_t kSidAt = 4;
constexpr std::size_t kCommandAt = 5;
constexpr std::size_t kCommandSize = 4;
constexpr std::size_t kDataAt = kCommandAt + kCommandSize;

constexpr char kEchobackCommand[] = "0801";
constexpr char kOperationCommand[] = "3005";
constexpr char kWriteCommand[] = "0202";
// A reply's end code and response code for a normal completion.
constexpr char kEndCode[] = "00";
constexpr char kResponseCode[] = "0000";

// Operation command data, as bytes: command code, related information.
constexpr std::size_t kOperationDataSize = 2;
// Variable write data, as bytes, in the one layout the clients send:
// C0 00, the variable address, 80 01, then the value.
constexpr uint8_t kWriteHead[] = {0xC0, 0x00};
constexpr std::size_t kWriteAddressAt = 2;
constexpr uint8_t kWriteCount[] = {0x80, 0x01};
constexpr std::size_t kWriteCountAt = 4;
constexpr std::size_t kWriteValueAt = 6;
constexpr std::size_t kWriteDataSize = 10;

bool HasBytesAt(const std::vector<uint8_t>& bytes, std::size_t at,
                const uint8_t (&expected)[2]) {
  return std::equal(std::begin(expected), std::end(expected),
                    bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

bool IsNode(const std::string& text, uint8_t station) {
  return text.size() == kNodeSize &&
         std::all_of(text.begin(), text.end(),
                     [](char c) { return c >= '0' && c <= '9'; }) &&
         (text[0] - '0') * 10 + (text[1] - '0') == station;
}

std::optional<Exchange> DecodeCompoWay(const std::vector<uint8_t>& frame,
                                       uint8_t station) {
  const std::optional<std::string> text = CompowayFrameText(frame);
  if (!text || text->size() < kDataAt) return std::nullopt;
  const std::string node = text->substr(0, kNodeSize);
  if (!IsNode(node, station) ||
      text->compare(kNodeSize, kSidAt - kNodeSize, kSubAddress) != 0 ||
      text->compare(kSidAt, kCommandAt - kSidAt, kSid) != 0) {
    return std::nullopt;
  }
  const std::string command = text->substr(kCommandAt, kCommandSize);
  const std::string data = text->substr(kDataAt);
  Exchange exchange;
  std::string replyData;
  std::vector<uint8_t> bytes;
  if (command == kEchobackCommand) {
    replyData = data;
  } else if (command == kOperationCommand) {
    if (!ParseHexText(data, &bytes) || bytes.size() != kOperationDataSize) {
      return std::nullopt;
    }
    exchange.operation = FindOperation(bytes[0]);
    if (exchange.operation == nullptr) return std::nullopt;
  } else if (command == kWriteCommand) {
    if (!ParseHexText(data, &bytes) || bytes.size() != kWriteDataSize ||
        !HasBytesAt(bytes, 0, kWriteHead) ||
        !HasBytesAt(bytes, kWriteCountAt, kWriteCount)) {
      return std::nullopt;
    }
    exchange.write = FindWrite(kCompoWayWrites, WordAt(bytes, kWriteAddressAt));
    if (exchange.write == nullptr) return std::nullopt;
    exchange.value = DoubleWordAt(bytes, kWriteValueAt);
  } else {
    return std::nullopt;
  }
  exchange.reply = MakeCompowayFrame(node + kSubAddress + kEndCode + command +
                                     kResponseCode + replyData);
  return exchange;
}

// Modbus RTU frames: address, function code, fields, two check bytes.
constexpr std::size_t kModbusMinSize = 4;
// Diagnostics and Write Single Register: a word to tell the request apart
// and a data word.
constexpr std::size_t kTwoWordFrameSize = 8;
constexpr uint8_t kDiagnostics = 0x08;
constexpr uint16_t kReturnQueryData = 0x0000;
constexpr uint8_t kWriteSingleRegister = 0x06;
constexpr uint16_t kOperationRegister = 0x0000;
// Write Multiple Registers of one value in two registers: register,
// quantity, byte count, value. Answered with its first six bytes.
constexpr uint8_t kWriteMultipleRegisters = 0x10;
constexpr std::size_t kWriteRegistersFrameSize = 13;
constexpr uint16_t kWriteQuantity = 2;
constexpr uint8_t kWriteByteCount = 4;
constexpr std::size_t kWriteRegistersValueAt = 7;
constexpr std::size_t kWriteRegistersReplySize = 6;

std::optional<Exchange> DecodeModbus(const std::vector<uint8_t>& frame,
                                     uint8_t station) {
  if (frame.size() < kModbusMinSize || !HasValidModbusCrc(frame) ||
      frame[0] != station) {
    return std::nullopt;
  }
  Exchange exchange;
  const uint8_t function = frame[1];
  if (function == kDiagnostics && frame.size() == kTwoWordFrameSize &&
      WordAt(frame, 2) == kReturnQueryData) {
    exchange.reply = frame;
    return exchange;
  }
  if (function == kWriteSingleRegister && frame.size() == kTwoWordFrameSize &&
      WordAt(frame, 2) == kOperationRegister && frame[5] == 0) {
    exchange.operation = FindOperation(frame[4]);
    if (exchange.operation == nullptr) return std::nullopt;
    exchange.reply = frame;
    return exchange;
  }
  if (function == kWriteMultipleRegisters &&
      frame.size() == kWriteRegistersFrameSize &&
      WordAt(frame, 4) == kWriteQuantity && frame[6] == kWriteByteCount) {
    exchange.write = FindWrite(kModbusWrites, WordAt(frame, 2));
    if (exchange.write == nullptr) return std::nullopt;
    exchange.value = DoubleWordAt(frame, kWriteRegistersValueAt);
    exchange.reply.assign(frame.begin(),
                          frame.begin() + kWriteRegistersReplySize);
    AppendModbusCrc(&exchange.reply);
    return exchange;
  }
  return std::nullopt;
}

}  // namespace

Km50Device::Km50Device(Km50Protocol protocol, uint8_t station, uint8_t baudCode,
                       uint8_t paramSetting)
    : protocol_(protocol),
      station_(station),
      baudCode_(baudCode),
      paramSetting_(paramSetting) {}

std::optional<std::vector<uint8_t>> Km50Device::Answer(
    const std::optional<LineSettings>& settings,
    const std::vector<uint8_t>& frame) {
  if (!MatchesLine(settings)) return std::nullopt;
  std::optional<Exchange> exchange = protocol_ == Km50Protocol::kCompoWay
                                         ? DecodeCompoWay(frame, station_)
                                         : DecodeModbus(frame, station_);
  if (!exchange) return std::nullopt;
  if (const WriteTarget* write = exchange->write) {
    if (exchange->value > write->max) return std::nullopt;
    pending_.*write->setting = exchange->value;
    writtenAddresses_.push_back(write->address);
  }
  if (exchange->operation != nullptr && exchange->operation->applies) Apply();
  return std::move(exchange->reply);
}

bool Km50Device::MatchesLine(
    const std::optional<LineSettings>& settings) const {
  return settings && settings->baudCode == baudCode_ &&
         settings->format == FormatByte(paramSetting_);
}

void Km50Device::Apply() {
  if (pending_.station) station_ = static_cast<uint8_t>(*pending_.station);
  if (pending_.baudCode) baudCode_ = static_cast<uint8_t>(*pending_.baudCode);
  if (pending_.parity) {
    paramSetting_ = WithParity(paramSetting_, *pending_.parity);
  }
  pending_ = PendingSettings();
}

}  // namespace stand_in
