#ifndef TOOL_TESTS_SUPPORT_TEST_DELIVERABLE_H_
#define TOOL_TESTS_SUPPORT_TEST_DELIVERABLE_H_

#include "log/deliverable.h"

namespace tool::testing {

// Names for tests that log but run neither service.
inline constexpr Deliverable kTestDeliverable = {
    "Testlet",               // name
    "Testlet Start:",        // startLogText
    "Testlet Stop",          // stopLogText
    "Testlet.log",           // logFileName
    "com.kestrova.testlet",  // applicationId
    "/tmp/testletcfg_wdt",   // watchdogFilePath
};

}  // namespace tool::testing

#endif  // TOOL_TESTS_SUPPORT_TEST_DELIVERABLE_H_
