#ifndef TOOL_COMMAND_WEATHER_SCAN_REQUEST_COMMAND_H_
#define TOOL_COMMAND_WEATHER_SCAN_REQUEST_COMMAND_H_

#include <memory>
#include <string>

#include "server/device_scan_command.h"

namespace tool::skylet {

// "ScanForWeatherSensor": searches for the weather sensor with the check
// command's probe when its line settings are unknown. Request items, each
// optional: "1" channels (default 1,2,3), "2" baud-rate settings (0 to 4),
// "3" slave addresses (1 to 247), "4" serial-parameter settings (0 to 3),
// "5" time budget in seconds (default 120, at most 600). A list is
// comma-separated numbers and "FROM-TO" ranges, tried in the order given;
// the defaults try the factory setting first (baud-rate setting 2,
// serial parameters 0). Lives for one request.
class ScanRequestCommand : public DeviceScanCommand {
 public:
  using DeviceScanCommand::DeviceScanCommand;

 protected:
  const char* LogTag() const override;
  bool MakePlan(Plan* plan, std::string* message) const override;
  std::shared_ptr<ByteDataHolder> CreateProbe(int checkKind,
                                              int address) const override;
};

}  // namespace tool::skylet

#endif  // TOOL_COMMAND_WEATHER_SCAN_REQUEST_COMMAND_H_
