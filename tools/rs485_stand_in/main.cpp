// Stand-in for the gateway's RS-485 communication service, for running and
// testing the device-setting services without a gateway. Runs until SIGTERM
// or SIGINT, then removes its socket file and exits 0.
#include <pthread.h>
#include <signal.h>

#include <chrono>
#include <iostream>
#include <string>
#include <utility>

#include "rs485_stand_in/channel_table.h"
#include "rs485_stand_in/connection_handler.h"
#include "rs485_stand_in/fault_plan.h"
#include "rs485_stand_in/record_log.h"
#include "rs485_stand_in/stand_in_options.h"
#include "rs485_stand_in/stand_in_server.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

}  // namespace

int main(int argc, char** argv) {
  stand_in::StandInOptions options;
  std::string error;
  if (!stand_in::ParseStandInOptions(argc, argv, &options, &error)) {
    std::cerr << "rs485_stand_in: " << error << "\n"
              << stand_in::StandInUsage();
    return kExitUsage;
  }
  if (options.help) {
    std::cout << stand_in::StandInUsage();
    return 0;
  }

  // The stop signals are taken by sigwait below; blocked before any thread
  // starts, so that every thread inherits the mask and none is interrupted.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  // A client that hangs up early must cost one failed write, not the process.
  signal(SIGPIPE, SIG_IGN);

  stand_in::RecordLog recordLog;
  if (!options.recordLogPath.empty() &&
      !recordLog.Open(options.recordLogPath, &error)) {
    std::cerr << "rs485_stand_in: " << error << "\n";
    return kExitFailure;
  }
  stand_in::ChannelTable channels(std::move(options.devices));
  stand_in::FaultPlan faults(std::move(options.faults));
  stand_in::ConnectionHandler handler(
      &channels, &faults, &recordLog,
      std::chrono::milliseconds(options.silenceMs));
  stand_in::StandInServer server(options.socketPath, &handler, options.refuse);
  if (!server.Start(&error)) {
    std::cerr << "rs485_stand_in: " << error << "\n";
    return kExitFailure;
  }
  std::cerr << "rs485_stand_in " << (options.refuse ? "refusing" : "listening")
            << " on " << options.socketPath << std::endl;

  int received = 0;
  sigwait(&stopSignals, &received);
  server.Stop();
  return 0;
}
