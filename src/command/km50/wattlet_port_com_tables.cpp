// The KM50's line settings as the communication service codes them.
#include "rs485/port_com_tables.h"

namespace tool {
namespace {

// The KM50's serial-parameter settings 0 to 11 as the service's data-bit,
// stop-bit and parity codes.
constexpr PortComParams kSerialParams[] = {
    {2, 0, 255}, {2, 2, 255}, {2, 0, 0}, {2, 2, 0}, {2, 0, 1}, {2, 2, 1},
    {3, 0, 255}, {3, 2, 255}, {3, 0, 0}, {3, 2, 0}, {3, 0, 1}, {3, 2, 1},
};

}  // namespace

// The KM50's baud-rate settings are the service's codes.
constexpr PortComTables kPortComTables = {
    {kSerialParams, sizeof kSerialParams / sizeof kSerialParams[0], {2, 2, 0}},
    {nullptr, 0, 0},
};

}  // namespace tool
