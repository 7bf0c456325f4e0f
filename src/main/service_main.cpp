#include "main/service_main.h"

#include <clocale>
#include <csignal>

#include "log/logger_log.h"
#include "main/run_service.h"
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

namespace tool {

int ServiceMain(const ProductProfile& profile) {
  std::setlocale(LC_CTYPE, "");
  InstallSignalHandlers();
  const int status = RunService(ToolManager::GetInstance(profile));
  // Writes out what is still buffered before the process ends.
  LoggerLog::Shutdown();
  return status;
}

}  // namespace tool
