// The weather sensor's line settings as the communication service codes them.
#include "rs485/port_com_tables.h"

namespace tool {
namespace {

// The sensor's serial-parameter settings 0 to 3 as the service's data-bit,
// stop-bit and parity codes.
constexpr PortComParams kSerialParams[] = {
    {3, 0, 255},
    {3, 2, 255},
    {3, 0, 0},
    {3, 0, 1},
};

constexpr int kBaudrateCodes[] = {0, 1, 3, 4, 5};

}  // namespace

constexpr PortComTables kPortComTables = {
    {kSerialParams,
     sizeof kSerialParams / sizeof kSerialParams[0],
     {3, 0, 255}},
    {kBaudrateCodes, sizeof kBaudrateCodes / sizeof kBaudrateCodes[0], 3},
};

}  // namespace tool
