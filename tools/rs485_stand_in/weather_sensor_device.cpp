#include "rs485_stand_in/weather_sensor_device.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

#include "rs485_stand_in/modbus_crc.h"

namespace stand_in {
namespace {

// The baud code each baud setting stands for, indexed by setting; a setting
// past the table stands for kDefaultBaudCode.
constexpr uint8_t kBaudCodes[] = {0, 1, 3, 4, 5};
constexpr uint8_t kDefaultBaudCode = 3;

// A line's serial parameters as the client's codes.
struct SerialParameters {
  uint8_t dataBit;  // 0 to 3, stored as it is
  uint8_t stopBit;  // 0 to 2
  uint8_t parity;   // 0, 1, or 255 for none
};

// The parameters each serial-parameter setting stands for, indexed by
// setting; a setting past the table stands for kDefaultParameters.
constexpr SerialParameters kSerialParameters[] = {
    {3, 0, 255},
    {3, 2, 255},
    {3, 0, 0},
    {3, 0, 1},
};
constexpr SerialParameters kDefaultParameters = {3, 0, 255};

// Bits 2-3 of the format byte, indexed by stop-bit code.
constexpr uint8_t kStopBitFields[] = {0x00, 0x04, 0x08};

// Bits 4-5 of the format byte for each parity code.
struct ParityField {
  uint8_t parity;
  uint8_t field;
};
constexpr ParityField kParityFields[] = {{0, 0x10}, {1, 0x30}, {255, 0x00}};

constexpr uint8_t BaudCode(uint8_t setting) {
  return setting < std::size(kBaudCodes) ? kBaudCodes[setting]
                                         : kDefaultBaudCode;
}

// The format byte of LineSettings that a serial-parameter setting requires.
constexpr uint8_t FormatByte(uint8_t setting) {
  const SerialParameters parameters = setting < std::size(kSerialParameters)
                                          ? kSerialParameters[setting]
                                          : kDefaultParameters;
  uint8_t parityField = 0;
  for (const ParityField& entry : kParityFields) {
    if (entry.parity == parameters.parity) parityField = entry.field;
  }
  return static_cast<uint8_t>(parameters.dataBit |
                              kStopBitFields[parameters.stopBit] | parityField);
}

static_assert(BaudCode(2) == 3 && BaudCode(5) == kDefaultBaudCode);
static_assert(FormatByte(0) == 0x03 && FormatByte(1) == 0x0B &&
              FormatByte(2) == 0x13 && FormatByte(3) == 0x33 &&
              FormatByte(4) == 0x03);

// Address, function code and check value.
constexpr std::size_t kMinFrameSize = 4;
constexpr std::size_t kCrcSize = 2;
constexpr std::size_t kMaxHeadSize = 5;

// Marks a request that stores no such value; byte 0 is the address, which
// a request never stores from.
constexpr std::size_t kNotStored = 0;

// A request the sensor knows, told apart by the bytes after the address and
// by its length, and what it does besides being echoed.
struct Request {
  uint8_t head[kMaxHeadSize];
  std::size_t headSize;
  std::size_t frameSize;  // check value included
  // Offsets of the bytes stored as pending values, or kNotStored.
  std::size_t addressAt;
  std::size_t baudAt;
  std::size_t paramAt;
  bool restarts;  // applies the pending values once answered
};

constexpr Request kRequests[] = {
    // Probe.
    {{0x46, 0x05}, 2, 5, kNotStored, kNotStored, kNotStored, false},
    // Write baud setting and serial-parameter setting.
    {{0x46, 0x06}, 2, 7, kNotStored, 3, 4, false},
    // Write slave address.
    {{0x46, 0x04}, 2, 6, 3, kNotStored, kNotStored, false},
    // Diagnostics, Restart Communications Option, event log kept.
    {{0x08, 0x00, 0x01, 0x00, 0x00},
     5,
     8,
     kNotStored,
     kNotStored,
     kNotStored,
     true},
};

const Request* FindRequest(const std::vector<uint8_t>& frame) {
  for (const Request& request : kRequests) {
    if (frame.size() == request.frameSize &&
        std::equal(request.head, request.head + request.headSize,
                   frame.begin() + 1)) {
      return &request;
    }
  }
  return nullptr;
}

}  // namespace

WeatherSensorDevice::WeatherSensorDevice(uint8_t address, uint8_t baudSetting,
                                         uint8_t paramSetting,
                                         uint32_t deafFrames)
    : address_(address),
      baudSetting_(baudSetting),
      paramSetting_(paramSetting),
      deafFrames_(deafFrames) {}

std::optional<std::vector<uint8_t>> WeatherSensorDevice::Answer(
    const std::optional<LineSettings>& settings,
    const std::vector<uint8_t>& frame) {
  if (framesToIgnore_ > 0) {
    --framesToIgnore_;
    return std::nullopt;
  }
  if (!MatchesLine(settings) || frame.size() < kMinFrameSize ||
      !HasValidModbusCrc(frame) || frame[0] != address_) {
    return std::nullopt;
  }
  const Request* request = FindRequest(frame);
  if (request == nullptr) return std::nullopt;

  if (request->addressAt != kNotStored) {
    pendingAddress_ = frame[request->addressAt];
  }
  if (request->baudAt != kNotStored) {
    pendingBaudSetting_ = frame[request->baudAt];
  }
  if (request->paramAt != kNotStored) {
    pendingParamSetting_ = frame[request->paramAt];
  }
  std::vector<uint8_t> answer(frame.begin(), frame.end() - kCrcSize);
  AppendModbusCrc(&answer);
  if (request->restarts) Restart();
  return answer;
}

bool WeatherSensorDevice::MatchesLine(
    const std::optional<LineSettings>& settings) const {
  return settings && settings->baudCode == BaudCode(baudSetting_) &&
         settings->format == FormatByte(paramSetting_);
}

void WeatherSensorDevice::Restart() {
  address_ = pendingAddress_.value_or(address_);
  baudSetting_ = pendingBaudSetting_.value_or(baudSetting_);
  paramSetting_ = pendingParamSetting_.value_or(paramSetting_);
  pendingAddress_.reset();
  pendingBaudSetting_.reset();
  pendingParamSetting_.reset();
  framesToIgnore_ = deafFrames_;
}

}  // namespace stand_in
