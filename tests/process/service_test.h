#ifndef TOOL_TESTS_PROCESS_SERVICE_TEST_H_
#define TOOL_TESTS_PROCESS_SERVICE_TEST_H_

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "process/service_process.h"
#include "process/service_sandbox.h"

namespace tool {
namespace testing {

// Sanitizer builds run several times slower, and the armhf build under
// qemu-user emulation slower still; the time bounds of the process tests
// stretch with them. kEmulationScale stretches the bounds that only
// emulation breaks: the sanitizer builds keep the native bound there.
#if defined(TOOL_TEST_EMULATED)
constexpr int kEmulationScale = 4;
constexpr int kTimeScale = kEmulationScale;
#elif defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int kEmulationScale = 1;
constexpr int kTimeScale = 3;
#else
constexpr int kEmulationScale = 1;
constexpr int kTimeScale = 1;
#endif
constexpr auto kStartTimeout = std::chrono::seconds(5) * kTimeScale;
// An orderly stop takes at most one 500 ms pause of the main loop and the
// server's wait for requests in progress.
constexpr auto kStopTimeout = std::chrono::milliseconds(1500) * kTimeScale;
constexpr char kSdcardHome[] = "/media/sdcard/lumhaven";

// Executables opened by the test program's main before the sandbox hides
// the build directory.
extern int skyletExecutable;
extern int wattletExecutable;

struct Deliverable {
  const char* name;
  const int* executable;
};

void PrintTo(const Deliverable& deliverable, std::ostream* out);

extern const Deliverable kSkylet;
extern const Deliverable kWattlet;

std::string LogPath(const std::string& home, const Deliverable& deliverable);

// "[time UTC] [INFO] ToolManager Stop" -> "INFO ToolManager Stop".
std::vector<std::string> Messages(const std::string& text);

// A test with fresh fixed directories and at most one service process.
class ServiceTest : public ::testing::Test {
 protected:
  // Starts the service and waits until the end of its start sequence has
  // reached the log file under `home`, whose path it returns.
  std::string StartAndAwait(const Deliverable& deliverable,
                            const std::string& home);

  // Stops the service with `stopSignal` and expects exit status 0.
  void StopInOrder(int stopSignal = SIGTERM);

  ServiceSandbox sandbox_;
  std::optional<ServiceProcess> process_;
};

}  // namespace testing
}  // namespace tool

#endif  // TOOL_TESTS_PROCESS_SERVICE_TEST_H_
