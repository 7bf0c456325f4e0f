#include "main/run_service.h"

#include <cstdio>

#include "log/deliverable.h"
#include "main/tool_manager.h"

namespace tool {

int RunService(ToolManager& manager) {
  if (manager.Run()) return 0;
  std::fprintf(stderr, "%s: start failed: %s\n", kDeliverable.name,
               manager.GetStartError().c_str());
  return 1;
}

}  // namespace tool
