#include "process/device_command_test.h"

#include <cstdint>
#include <cstdio>
#include <sstream>

#include "process/http_exchange.h"
#include "support/test_files.h"

namespace tool {
namespace testing {
namespace {

std::string Reply(const char* status) {
  return std::string(
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             "<commandResponse id=\"7\">\n\t<status>") +
         status + "</status>\n</commandResponse>\n";
}

// The fields of `line` whose key is one of `keys`, after its first word.
std::string KeepFields(const std::string& line,
                       const std::vector<std::string>& keys) {
  std::istringstream words(line);
  std::string summary;
  words >> summary;
  for (std::string word; words >> word;) {
    const std::string key = word.substr(0, word.find('='));
    for (const std::string& kept : keys) {
      if (key == kept) summary += " " + word;
    }
  }
  return summary;
}

std::string Summary(const std::string& line) {
  if (line.rfind("port ", 0) == 0) {
    return KeepFields(line, {"ch", "baud", "format"});
  }
  if (line.rfind("command ", 0) == 0) {
    return KeepFields(line, {"ch", "frame"});
  }
  return line;
}

}  // namespace

std::string CheckRequest(const std::string& channel,
                         const std::string& baudrate,
                         const std::string& address, const std::string& param) {
  return CommandRequest("CheckConnectionForWeatherSensor",
                        RequestItems({channel, baudrate, address, param}));
}

std::string UpdateRequest(const std::string& baudrate,
                          const std::string& address,
                          const std::string& param) {
  return CommandRequest("UpdateSettingsForWeatherSensor",
                        RequestItems({baudrate, address, param}));
}

std::string RestartRequest() {
  return CommandRequest("RestartForWeatherSensor", "");
}

std::string SuccessReply() { return Reply("SUCCESS"); }

std::string FailureReply() { return Reply("FAILURE"); }

std::string WithCrc(const std::string& hexFrame) {
  // CRC-16/MODBUS: reflected polynomial 0xA001, initial value 0xFFFF, sent
  // low byte first.
  uint16_t crc = 0xFFFF;
  for (std::size_t i = 0; i + 1 < hexFrame.size(); i += 2) {
    crc ^=
        static_cast<uint16_t>(std::stoul(hexFrame.substr(i, 2), nullptr, 16));
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 1) != 0 ? static_cast<uint16_t>((crc >> 1) ^ 0xA001)
                           : static_cast<uint16_t>(crc >> 1);
    }
  }
  char check[8];
  std::snprintf(check, sizeof check, "%02x%02x", crc & 0xFF, crc >> 8);
  return hexFrame + check;
}

std::string DeviceCommandTest::Start(
    const std::vector<std::string>& devices,
    const std::vector<std::string>& standInOptions) {
  StartStandIn(devices, standInOptions);
  return StartAndAwait(deliverable_, kSdcardHome);
}

void DeviceCommandTest::StartStandIn(
    const std::vector<std::string>& devices,
    const std::vector<std::string>& standInOptions) {
  standIn_.emplace("rs485_stand_in", devices, standInOptions);
  EXPECT_TRUE(standIn_->Start()) << standIn_->Stderr();
  WriteFile(ServiceSandbox::SettingsFilePath(),
            SettingsXml({{"LogLevel", "0"}, {"EnableLogBufferedIO", "0"}}));
}

std::string DeviceCommandTest::Post(const std::string& request,
                                    std::chrono::milliseconds timeout) {
  return HttpExchange(PostRequest(request), timeout).body;
}

std::vector<std::string> DeviceCommandTest::Records() const {
  std::vector<std::string> records;
  for (const std::string& line : standIn_->RecordLines()) {
    records.push_back(Summary(line));
  }
  return records;
}

std::vector<std::string> DeviceCommandTest::Sent() const {
  std::vector<std::string> sent;
  for (const std::string& record : Records()) {
    if (record.rfind("reply ", 0) != 0) sent.push_back(record);
  }
  return sent;
}

std::vector<std::string> DeviceCommandTest::LogMessages(
    const std::string& log) {
  return Messages(ReadFile(log));
}

}  // namespace testing
}  // namespace tool
