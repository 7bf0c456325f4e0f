// Process entry of both services. Which service this is (its names, tables
// and commands) is decided by the deliverable library it is linked with.
#include <clocale>
#include <csignal>
#include <cstdio>

#include "log/deliverable.h"
#include "log/logger_log.h"
#include "main/tool_manager.h"

namespace {

// Runs inside the signal: logging, joining and freeing would not be safe
// here, so the stop itself is left to the main loop.
void OnStopSignal(int) { tool::ToolManager::RequestStop(); }

void InstallSignalHandlers() {
  struct sigaction action = {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGUSR1, &action, nullptr);

  // A peer that closes its socket early must cost one failed write, not
  // the process.
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGPIPE, &ignore, nullptr);
}

}  // namespace

int main() {
  std::setlocale(LC_CTYPE, "");
  InstallSignalHandlers();
  tool::ToolManager& manager = tool::ToolManager::GetInstance();
  const bool stoppedInOrder = manager.Run();
  if (!stoppedInOrder) {
    std::fprintf(stderr, "%s: start failed: %s\n", tool::kDeliverable.name,
                 manager.GetStartError().c_str());
  }
  tool::LoggerLog::Shutdown();
  return stoppedInOrder ? 0 : 1;
}
