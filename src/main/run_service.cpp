#include "main/run_service.h"

#include <cstdio>

#include "main/tool_manager.h"

namespace tool {

int RunService(ToolManager& manager) {
  if (manager.Run()) return 0;
  std::fprintf(stderr, "%s: start failed: %s\n",
               manager.GetProfile().deliverable.name,
               manager.GetStartError().c_str());
  return 1;
}

}  // namespace tool
