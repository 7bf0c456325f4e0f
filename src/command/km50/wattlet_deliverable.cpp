// What makes this build of the framework the KM50 power-monitor service
// Wattlet.
#include "log/deliverable.h"

namespace tool {

constexpr Deliverable kDeliverable = {
    "Wattlet",               // name
    "Wattlet Start:",        // startLogText
    "Wattlet Stop",          // stopLogText
    "Wattlet.log",           // logFileName
    "com.kestrova.wattlet",  // applicationId
    "/tmp/wattletcfg_wdt",   // watchdogFilePath
};

}  // namespace tool
