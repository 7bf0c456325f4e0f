#include "process/service_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>
#include <utility>

#include "support/test_files.h"

extern char** environ;

namespace tool {
namespace testing {
namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(5);

}  // namespace

int ServiceProcess::OpenExecutable(const char* path) {
  return open(path, O_RDONLY | O_CLOEXEC);
}

ServiceProcess::ServiceProcess(int executable, std::string name,
                               std::string outputDirectory,
                               std::vector<std::string> arguments)
    : executable_(executable),
      name_(std::move(name)),
      stdoutPath_(outputDirectory + "/" + name_ + ".stdout"),
      stderrPath_(outputDirectory + "/" + name_ + ".stderr"),
      workingDirectory_(outputDirectory),
      arguments_(std::move(arguments)) {}

ServiceProcess::~ServiceProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

bool ServiceProcess::Start() {
  const int out = open(stdoutPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err = open(stderrPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (out < 0 || err < 0) return false;
  // Built before the fork: the child of a threaded process may only make
  // async-signal-safe calls.
  std::vector<char*> argv = {const_cast<char*>(name_.c_str())};
  for (const std::string& argument : arguments_) {
    argv.push_back(const_cast<char*>(argument.c_str()));
  }
  argv.push_back(nullptr);
  pid_ = fork();
  if (pid_ == 0) {
    // A working directory of the test's own, not the build directory.
    if (chdir(workingDirectory_.c_str()) != 0) _exit(126);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    fexecve(executable_, argv.data(), environ);
    _exit(127);
  }
  close(out);
  close(err);
  return pid_ > 0;
}

void ServiceProcess::Signal(int signal) {
  if (pid_ > 0) kill(pid_, signal);
}

std::optional<int> ServiceProcess::WaitForExit(
    std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (pid_ > 0) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    if (std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(kPollInterval);
  }
  return std::nullopt;
}

std::string ServiceProcess::Stdout() const { return ReadFile(stdoutPath_); }

std::string ServiceProcess::Stderr() const { return ReadFile(stderrPath_); }

bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kPollInterval);
  }
  return true;
}

bool WaitForFileContaining(const std::string& path, const std::string& text,
                           std::chrono::milliseconds timeout) {
  return WaitUntil(
      [&] { return ReadFile(path).find(text) != std::string::npos; }, timeout);
}

}  // namespace testing
}  // namespace tool
