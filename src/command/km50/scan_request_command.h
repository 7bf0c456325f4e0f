#ifndef TOOL_COMMAND_KM50_SCAN_REQUEST_COMMAND_H_
#define TOOL_COMMAND_KM50_SCAN_REQUEST_COMMAND_H_

#include <memory>
#include <string>

#include "server/device_scan_command.h"

namespace tool::wattlet {

// "ScanForKM50": searches for the KM50 with the check command's probes
// when its line settings are unknown. Request items, each optional: "1"
// channels (default 1,2,3), "2" protocols (0 CompoWay/F, 1 Modbus; default
// both), "3" baud codes (0 to 5), "4" addresses (default 0 to 99 in
// CompoWay/F, 1 to 247 in Modbus; a given address is probed in the
// protocols whose range holds it), "5" serial-parameter settings (0 to 11),
// "6" time budget in seconds (default 120, at most 600). A list is
// comma-separated numbers and "FROM-TO" ranges, tried in the order given;
// the defaults try the factory setting first (CompoWay/F, node 1, baud
// code 3, serial parameters 3). Device elements add the protocol. Lives
// for one request.
class ScanRequestCommand : public DeviceScanCommand {
 public:
  using DeviceScanCommand::DeviceScanCommand;

 protected:
  const char* LogTag() const override;
  bool MakePlan(Plan* plan, std::string* message) const override;
  std::shared_ptr<ByteDataHolder> CreateProbe(int checkKind,
                                              int address) const override;
  void DescribeDevice(const DeviceConnectionParams& found,
                      SimpleElement* device) const override;
};

}  // namespace tool::wattlet

#endif  // TOOL_COMMAND_KM50_SCAN_REQUEST_COMMAND_H_
