#ifndef TOOL_TESTS_PROCESS_SERVICE_PROCESS_H_
#define TOOL_TESTS_PROCESS_SERVICE_PROCESS_H_

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tool {
namespace testing {

// One run of an executable, started as a user would start it (a service
// without arguments), with its standard output and error kept in files.
class ServiceProcess {
 public:
  // Opens an executable for later runs. Taken before the sandbox mounts hide
  // the build directory; the descriptor stays open for the whole test run.
  // Returns -1 when the file cannot be opened.
  static int OpenExecutable(const char* path);

  // `executable` from OpenExecutable, run as `name` with `arguments`. The
  // process runs in `outputDirectory`, which must exist, and its output
  // files go there.
  ServiceProcess(int executable, std::string name, std::string outputDirectory,
                 std::vector<std::string> arguments = {});
  // Kills the service if it is still running.
  ~ServiceProcess();

  ServiceProcess(const ServiceProcess&) = delete;
  ServiceProcess& operator=(const ServiceProcess&) = delete;

  // Returns false when the process could not be started.
  bool Start();
  void Signal(int signal);
  // The exit status once the process has ended within `timeout`: its exit
  // code, or 128 + the signal that killed it. Empty while it still runs.
  std::optional<int> WaitForExit(std::chrono::milliseconds timeout);

  std::string Stdout() const;
  std::string Stderr() const;
  // The process id while it runs, else -1.
  pid_t Pid() const { return pid_; }

 private:
  const int executable_;
  const std::string name_;
  const std::string stdoutPath_;
  const std::string stderrPath_;
  const std::string workingDirectory_;
  const std::vector<std::string> arguments_;
  pid_t pid_ = -1;
};

// Waits until `condition` holds; false when it still fails after `timeout`.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout);

// Waits until the file at `path` contains `text`; false after `timeout`.
bool WaitForFileContaining(const std::string& path, const std::string& text,
                           std::chrono::milliseconds timeout);

}  // namespace testing
}  // namespace tool

#endif  // TOOL_TESTS_PROCESS_SERVICE_PROCESS_H_
