#include "command/km50/scan_request_command.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "command/km50/check_connection_request_command.h"
#include "rs485/send_device_setting_command_result.h"

namespace tool::wattlet {
namespace {

constexpr char kTag[] = "ScanRequestCommand";

struct ProtocolRange {
  int checkKind;
  int minAddress;
  int maxAddress;
};

// The protocols by their item value, with the addresses each can carry.
constexpr ProtocolRange kProtocols[] = {
    {SendDeviceSettingCommandResult::kCompowayF, 0, 99},
    {SendDeviceSettingCommandResult::kModbus, 1, 247},
};

// The KM50's settings, likeliest first: the factory setting (CompoWay/F,
// 9600 baud, 7 data bits, even parity, two stop bits), then the faster
// rates before the slower ones, and the common 7O1 and 8N1 frames before
// the rest.
constexpr int kProtocolOrder[] = {0, 1};
constexpr int kBaudrateOrder[] = {3, 4, 5, 2, 1, 0};
constexpr int kParamOrder[] = {3, 4, 6, 0, 1, 2, 5, 7, 8, 9, 10, 11};
// Node 1 is the factory setting and node 0 the least likely.
constexpr int kFirstDefaultAddress = 1;

std::vector<int> DefaultAddresses(const ProtocolRange& protocol) {
  std::vector<int> addresses;
  for (int address = std::max(protocol.minAddress, kFirstDefaultAddress);
       address <= protocol.maxAddress; ++address) {
    addresses.push_back(address);
  }
  if (protocol.minAddress < kFirstDefaultAddress) {
    for (int address = protocol.minAddress; address < kFirstDefaultAddress;
         ++address) {
      addresses.push_back(address);
    }
  }
  return addresses;
}

}  // namespace

const char* ScanRequestCommand::LogTag() const { return kTag; }

bool ScanRequestCommand::MakePlan(Plan* plan, std::string* message) const {
  std::vector<int> protocols;
  std::vector<int> baudrates;
  std::vector<int> params;
  if (!ReadChannelsAndBudget("1", "6", plan, message) ||
      !ReadList("2", 0, static_cast<int>(std::size(kProtocols)) - 1,
                {std::begin(kProtocolOrder), std::end(kProtocolOrder)},
                &protocols, message) ||
      !ReadList("3", 0, static_cast<int>(std::size(kBaudrateOrder)) - 1,
                {std::begin(kBaudrateOrder), std::end(kBaudrateOrder)},
                &baudrates, message) ||
      !ReadList("5", 0, static_cast<int>(std::size(kParamOrder)) - 1,
                {std::begin(kParamOrder), std::end(kParamOrder)}, &params,
                message)) {
    return false;
  }
  // A given address must suit one of the protocols searched.
  int minAddress = kProtocols[protocols.front()].minAddress;
  int maxAddress = kProtocols[protocols.front()].maxAddress;
  for (int protocol : protocols) {
    minAddress = std::min(minAddress, kProtocols[protocol].minAddress);
    maxAddress = std::max(maxAddress, kProtocols[protocol].maxAddress);
  }
  std::vector<int> given;
  if (!ReadList("4", minAddress, maxAddress, {}, &given, message)) {
    return false;
  }
  for (int protocol : protocols) {
    const ProtocolRange& range = kProtocols[protocol];
    std::vector<int> addresses;
    if (HasItem("4")) {
      for (int address : given) {
        if (address >= range.minAddress && address <= range.maxAddress) {
          addresses.push_back(address);
        }
      }
    } else {
      addresses = DefaultAddresses(range);
    }
    if (addresses.empty()) continue;
    for (int baudrate : baudrates) {
      for (int param : params) {
        plan->lines.push_back({range.checkKind, baudrate, param, addresses});
      }
    }
  }
  return true;
}

std::shared_ptr<ByteDataHolder> ScanRequestCommand::CreateProbe(
    int checkKind, int address) const {
  return CheckConnectionRequestCommand::CreateProbe(checkKind,
                                                    std::to_string(address));
}

void ScanRequestCommand::DescribeDevice(const DeviceConnectionParams& found,
                                        SimpleElement* device) const {
  DeviceScanCommand::DescribeDevice(found, device);
  device->SetAttribute("protocol", std::to_string(found.checkKind));
}

}  // namespace tool::wattlet
