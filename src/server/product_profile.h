#ifndef TOOL_SERVER_PRODUCT_PROFILE_H_
#define TOOL_SERVER_PRODUCT_PROFILE_H_

#include "log/deliverable.h"
#include "rs485/port_com_tables.h"
#include "server/command_table.h"

namespace tool {

// Everything that makes the shared framework one service rather than the
// other. Each service defines one profile, in one file of its own command
// folder (tool::skylet::kSkyletProfile, tool::wattlet::kWattletProfile);
// its process entry hands it to ToolManager, which passes each part on to
// the object that needs it.
//
// Constant data, safe to read from any thread; a profile, and the tables
// it points to, must remain live while anything made from it exists.
struct ProductProfile {
  // The names and constants: process, log lines, log file, logger and
  // watchdog file.
  Deliverable deliverable;
  // The commands the service answers.
  CommandTable commands;
  // The device's serial-parameter and baud-rate settings as the
  // communication service codes them.
  PortComTables portComTables;
  // How many leading request bytes the device's Modbus replies repeat.
  int modbusCompareLength;
  // How the device's replies are judged (SendDeviceSettingCommandResult)
  // where a request does not choose: the protocol the device speaks by
  // default. The stored line settings start with it.
  int checkKind;
};

}  // namespace tool

#endif  // TOOL_SERVER_PRODUCT_PROFILE_H_
