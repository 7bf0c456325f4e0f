#include "main/tool_manager.h"

#include <Poco/Exception.h>
#include <unistd.h>

#include <exception>
#include <utility>

#include "log/logger_log.h"

namespace tool {
namespace {

constexpr char kTag[] = "ToolManager";
constexpr useconds_t kMainLoopPause = 500000;

// Set by RequestStop, possibly inside a signal handler, and taken by Run's
// loop on the main thread.
std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free,
              "RequestStop must be async-signal-safe");

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
      // A signal cuts the pause short; other stops are seen within it.
      usleep(kMainLoopPause);
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
