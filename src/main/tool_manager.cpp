#include "main/tool_manager.h"

#include <Poco/Exception.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <exception>
#include <utility>

#include "log/logger_log.h"

namespace tool {
namespace {

constexpr char kTag[] = "ToolManager";
constexpr int kMainLoopPauseMilliseconds = 500;

// Set by RequestStop, possibly inside a signal handler, and taken by Run's
// loop on the main thread.
std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free,
              "RequestStop must be async-signal-safe");

// The write end of a pipe that Run's pause waits on, so that a stop ends
// the pause at once: a signal is delivered to any of the process's threads
// and would not interrupt a sleep on the main thread. -1 until the pipe
// exists; the flag alone then carries the request.
std::atomic<int> wakeWriteFd{-1};
static_assert(std::atomic<int>::is_always_lock_free,
              "RequestStop must be async-signal-safe");

// The read end of that pipe, created on first use and kept for the
// process; -1 when no pipe could be had (the pause then runs its course).
int WakeReadFd() {
  static const int readFd = [] {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return -1;
    wakeWriteFd.store(fds[1]);
    return fds[0];
  }();
  return readFd;
}

void WakeRunLoop() noexcept {
  const int fd = wakeWriteFd.load();
  // A full pipe already holds a wake-up.
  if (fd >= 0) (void)!write(fd, "", 1);
}

// Waits up to the main loop's pause, or until a wake-up arrives, and
// takes the wake-ups that are there.
void PauseRunLoop() {
  const int fd = WakeReadFd();
  if (fd < 0) {
    usleep(kMainLoopPauseMilliseconds * 1000);
    return;
  }
  pollfd wake = {fd, POLLIN, 0};
  if (poll(&wake, 1, kMainLoopPauseMilliseconds) > 0) {
    char drained[16];
    while (read(fd, drained, sizeof drained) > 0) {
    }
  }
}

}  // namespace

ToolManager& ToolManager::GetInstance(const ProductProfile& profile) {
  static ToolManager* const instance = [&profile] {
    LoggerLog::Initialize(profile.deliverable);
    return new ToolManager(profile);
  }();
  return *instance;
}

void ToolManager::RequestStop() noexcept {
  stopRequested.store(true, std::memory_order_relaxed);
  WakeRunLoop();
}

ToolManager::ToolManager(const ProductProfile& profile, Poco::UInt16 serverPort)
    : ToolManager(profile, serverPort, LoggerSettingXmlManager::GetInstance()) {
}

ToolManager::ToolManager(const ProductProfile& profile, Poco::UInt16 serverPort,
                         const LoggerSettingXmlManager& settings)
    : profile_(profile),
      serverPort_(serverPort),
      controllers_(settings),
      runner_(controllers_, profile.portComTables, profile.modbusCompareLength,
              settings),
      params_(profile.checkKind),
      executor_(profile.commands, *this) {}

bool ToolManager::Run() {
  if (running_.exchange(true)) return true;
  startError_.clear();
  stopSignal_.Reset();
  // The wake-up pipe exists before the first pause that may need it.
  WakeReadFd();
  LoggerLog::Info(
      kTag, std::string(profile_.deliverable.startLogText) + kFrameworkVersion);
  {
    // A Stop from another thread waits until the start is complete, so that
    // it releases everything that was started.
    std::lock_guard<std::mutex> lock(stepsMutex_);
    if (!running_.load()) return true;  // stopped before the start began
    bool started = false;
    try {
      // The controllers come first: a command accepted by the server must
      // find its channel.
      CreateChannelControllers();
      StartServer();
      StartLifecheck();
      started = true;
    } catch (const Poco::Exception& e) {
      startError_ = e.displayText();
    } catch (const std::exception& e) {
      startError_ = e.what();
    }
    if (!started) {
      ReleaseAfterFailedStart();
      return false;
    }
  }
  LoggerLog::Flush();
  while (running_.load()) {
    if (stopRequested.exchange(false)) {
      Stop();
    } else {
      // RequestStop and Stop cut the pause short.
      PauseRunLoop();
    }
  }
  return true;
}

void ToolManager::ReleaseAfterFailedStart() {
  LoggerLog::Fatal(kTag, "Start failed. [" + startError_ + "]");
  ReleaseAll();
  LoggerLog::Flush();
}

void ToolManager::ReleaseAll() {
  ReleaseChannelControllers();
  StopLifecheck();
  StopServer();
  running_.store(false);
}

void ToolManager::Stop() {
  LoggerLog::Info(kTag, "Stop");
  // Pausing requests end first, so that they are done before the server
  // stops waiting for its requests.
  stopSignal_.Raise();
  {
    std::lock_guard<std::mutex> lock(stepsMutex_);
    ReleaseAll();
  }
  LoggerLog::Info(kTag, profile_.deliverable.stopLogText);
  LoggerLog::Flush();
  WakeRunLoop();
}

std::string ToolManager::GetStartError() const { return startError_; }

const ProductProfile& ToolManager::GetProfile() const { return profile_; }

void ToolManager::StartServer() {
  if (loggerServer_) return;
  LoggerLog::Info(kTag, "StartServer");
  loggerServer_ = std::make_unique<LoggerServer>(serverPort_, executor_);
  loggerServer_->Start();
}

void ToolManager::StopServer() {
  if (!loggerServer_) return;
  LoggerLog::Info(kTag, "StopServer");
  loggerServer_->Stop();
  loggerServer_.reset();
}

void ToolManager::StartLifecheck() {
  if (lifecheck_) return;
  LoggerLog::Info(kTag, "StartLifecheck");
  // The tick must not stop the lifecheck it runs in: it only raises the
  // same request as a stop signal, and Stop releases the lifecheck on Run's
  // thread.
  auto lifecheck = std::make_unique<Lifecheck>(
      profile_.deliverable.watchdogFilePath, Lifecheck::kPeriodMilliseconds,
      Lifecheck::kAllowedAgeMilliseconds, [] { RequestStop(); });
  lifecheck->Start();
  lifecheck_ = std::move(lifecheck);
}

void ToolManager::StopLifecheck() {
  if (!lifecheck_) return;
  LoggerLog::Info(kTag, "StopLifecheck");
  lifecheck_->Stop();
  lifecheck_.reset();
}

void ToolManager::CreateChannelControllers() { controllers_.Create(); }

void ToolManager::ReleaseChannelControllers() { controllers_.Release(); }

std::shared_ptr<RS485ChannelController> ToolManager::GetChannelController(
    int channelNo) const {
  return controllers_.Get(channelNo);
}

bool ToolManager::DeviceSettingConnection(
    const DeviceConnectionParams& params,
    const std::vector<const std::uint8_t*>& datalist,
    const std::vector<int>& sizelist) {
  return runner_.DeviceSettingConnection(params, datalist, sizelist);
}

bool ToolManager::DeviceSettingConnectionUntilSuccess(
    const DeviceConnectionParams& params,
    const std::vector<const std::uint8_t*>& datalist,
    const std::vector<int>& sizelist) {
  return runner_.DeviceSettingConnectionUntilSuccess(params, datalist,
                                                     sizelist);
}

int ToolManager::ProbeUntilAnswered(
    const DeviceConnectionParams& params, const std::vector<int>& addresses,
    const std::vector<const std::uint8_t*>& datalist,
    const std::vector<int>& sizelist, const std::function<bool()>& keepGoing,
    int* sent) {
  return runner_.ProbeUntilAnswered(params, addresses, datalist, sizelist,
                                    keepGoing, sent);
}

std::shared_ptr<ByteDataHolder> ToolManager::SendCommandDeviceSettingConnection(
    int channel, int address, int baudCode, const std::uint8_t* data,
    int length) {
  return runner_.SendCommandDeviceSettingConnection(channel, address, baudCode,
                                                    data, length);
}

PortComParams ToolManager::GetPortComParams(unsigned param) const {
  return runner_.GetPortComParams(param);
}

int ToolManager::GetPortComBaudrate(unsigned baudrate) const {
  return runner_.GetPortComBaudrate(baudrate);
}

void ToolManager::SetConnectedParams(const DeviceConnectionParams& params) {
  params_.SetConnectedParams(params);
}

DeviceConnectionParams ToolManager::GetConnectedParams() const {
  return params_.GetConnectedParams();
}

void ToolManager::SetUpdatedParams(const DeviceConnectionParams& params) {
  params_.SetUpdatedParams(params);
}

DeviceConnectionParams ToolManager::GetUpdatedParams() const {
  return params_.GetUpdatedParams();
}

bool ToolManager::PauseUnlessStopped(int milliseconds) {
  return stopSignal_.PauseUnlessStopped(milliseconds);
}

}  // namespace tool
