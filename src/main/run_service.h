#ifndef TOOL_MAIN_RUN_SERVICE_H_
#define TOOL_MAIN_RUN_SERVICE_H_

namespace tool {

class ToolManager;

// Runs `manager` until it is stopped and returns the process's exit status:
// 0 after an orderly stop, 1 when the start failed, in which case a one-line
// reason ("Skylet: start failed: ...") is also written to standard error.
int RunService(ToolManager& manager);

}  // namespace tool

#endif  // TOOL_MAIN_RUN_SERVICE_H_
