#ifndef TOOL_MAIN_SERVICE_MAIN_H_
#define TOOL_MAIN_SERVICE_MAIN_H_

#include "server/product_profile.h"

namespace tool {

// The process entry that both services share: sets the character-type
// locale, has SIGTERM and SIGUSR1 stop the service in order, ignores
// SIGPIPE, runs the process's ToolManager for `profile` until it stops,
// writes out the log and returns the exit status (RunService). Called once,
// from the service's own main; `profile` must remain live for the rest of
// the process.
int ServiceMain(const ProductProfile& profile);

}  // namespace tool

#endif  // TOOL_MAIN_SERVICE_MAIN_H_
