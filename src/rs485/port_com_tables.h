#ifndef TOOL_RS485_PORT_COM_TABLES_H_
#define TOOL_RS485_PORT_COM_TABLES_H_

#include <cstddef>

#include "rs485/port_com_params.h"

namespace tool {

// A device's serial-parameter settings, indexed by setting; `other` stands
// for every setting beyond the rows.
struct SerialParamTable {
  const PortComParams* rows;
  std::size_t size;
  PortComParams other;
};

// The service's baud-rate code for each of a device's baud-rate settings,
// indexed by setting; `other` stands for every setting beyond them. With no
// codes (null) the device's settings are the service's codes themselves.
struct BaudrateTable {
  const int* codes;
  std::size_t size;
  int other;
};

// A device's line settings as the communication service codes them.
// Constant data, safe to read from any thread.
struct PortComTables {
  SerialParamTable serialParams;
  BaudrateTable baudrates;
};

}  // namespace tool

#endif  // TOOL_RS485_PORT_COM_TABLES_H_
