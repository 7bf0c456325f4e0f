#include "command/weather/scan_request_command.h"

#include <iterator>
#include <vector>

#include "command/weather/check_connection_request_command.h"
#include "rs485/send_device_setting_command_result.h"

namespace tool::skylet {
namespace {

constexpr char kTag[] = "ScanRequestCommand";

// The sensor's settings, likeliest first: the factory setting (9600 baud,
// 8 data bits, no parity, one stop bit), then the faster rates before the
// slower ones and parity before two stop bits.
constexpr int kBaudrateOrder[] = {2, 3, 4, 1, 0};
constexpr int kParamOrder[] = {0, 2, 3, 1};
constexpr int kMinAddress = 1;
constexpr int kMaxAddress = 247;

std::vector<int> AllAddresses() {
  std::vector<int> addresses;
  for (int address = kMinAddress; address <= kMaxAddress; ++address) {
    addresses.push_back(address);
  }
  return addresses;
}

}  // namespace

const char* ScanRequestCommand::LogTag() const { return kTag; }

bool ScanRequestCommand::MakePlan(Plan* plan, std::string* message) const {
  std::vector<int> baudrates;
  std::vector<int> addresses;
  std::vector<int> params;
  if (!ReadChannelsAndBudget("1", "5", plan, message) ||
      !ReadList("2", 0, static_cast<int>(std::size(kBaudrateOrder)) - 1,
                {std::begin(kBaudrateOrder), std::end(kBaudrateOrder)},
                &baudrates, message) ||
      !ReadList("3", kMinAddress, kMaxAddress, AllAddresses(), &addresses,
                message) ||
      !ReadList("4", 0, static_cast<int>(std::size(kParamOrder)) - 1,
                {std::begin(kParamOrder), std::end(kParamOrder)}, &params,
                message)) {
    return false;
  }
  for (int baudrate : baudrates) {
    for (int param : params) {
      plan->lines.push_back({SendDeviceSettingCommandResult::kModbus, baudrate,
                             param, addresses});
    }
  }
  return true;
}

std::shared_ptr<ByteDataHolder> ScanRequestCommand::CreateProbe(
    int, int address) const {
  return CheckConnectionRequestCommand::CreateProbe(address);
}

}  // namespace tool::skylet
