#include "process/stand_in_process.h"

#include <Poco/File.h>
#include <signal.h>

#include "process/service_test.h"
#include "support/test_files.h"

namespace tool {
namespace testing {
namespace {

std::vector<std::string> Arguments(const std::string& recordLogPath,
                                   const std::vector<std::string>& devices,
                                   const std::vector<std::string>& options) {
  std::vector<std::string> arguments = {"--socket", kComSocketPath,
                                        "--record-log", recordLogPath};
  for (const std::string& device : devices) {
    arguments.push_back("--device");
    arguments.push_back(device);
  }
  arguments.insert(arguments.end(), options.begin(), options.end());
  return arguments;
}

bool SocketExists() { return Poco::File(kComSocketPath).exists(); }

}  // namespace

int standInExecutable = -1;

StandInProcess::StandInProcess(const std::string& name,
                               const std::vector<std::string>& devices,
                               const std::vector<std::string>& options)
    : recordLogPath_("/tmp/" + name + ".records"),
      process_(standInExecutable, name, "/tmp",
               Arguments(recordLogPath_, devices, options)) {}

bool StandInProcess::Start() {
  // The socket appears, under its final name, only once it listens.
  return process_.Start() && WaitUntil(SocketExists, kStartTimeout);
}

bool StandInProcess::Stop() {
  process_.Signal(SIGTERM);
  return process_.WaitForExit(kStopTimeout) == 0 && !SocketExists();
}

std::vector<std::string> StandInProcess::RecordLines() const {
  return ReadLines(recordLogPath_);
}

}  // namespace testing
}  // namespace tool
