// What makes this build of the framework the weather-sensor service Skylet.
#include "log/deliverable.h"

namespace tool {

constexpr Deliverable kDeliverable = {
    "Skylet",               // name
    "Skylet Start:",        // startLogText
    "Skylet Stop",          // stopLogText
    "Skylet.log",           // logFileName
    "com.kestrova.skylet",  // applicationId
    "/tmp/skyletcfg_wdt",   // watchdogFilePath
};

}  // namespace tool
