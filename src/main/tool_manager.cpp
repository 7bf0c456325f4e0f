#include "main/tool_manager.h"

#include <Poco/Exception.h>
#include <unistd.h>

#include <exception>

#include "log/deliverable.h"
#include "log/logger_log.h"

namespace tool {
namespace {

constexpr char kTag[] = "ToolManager";
constexpr useconds_t kMainLoopPause = 500000;
constexpr int kChannelNumbers[] = {1, 2, 3};

// Set by RequestStop, possibly inside a signal handler, and taken by Run's
// loop on the main thread.
std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free,
              "RequestStop must be async-signal-safe");

}  // namespace

ToolManager& ToolManager::GetInstance() {
  static ToolManager* const instance = [] {
    LoggerLog::Initialize();
    return new ToolManager();
  }();
  return *instance;
}

void ToolManager::RequestStop() noexcept {
  stopRequested.store(true, std::memory_order_relaxed);
}

ToolManager::ToolManager(Poco::UInt16 serverPort) : serverPort_(serverPort) {}

bool ToolManager::Run() {
  if (running_.exchange(true)) return true;
  startError_.clear();
  LoggerLog::Info(kTag,
                  std::string(kDeliverable.startLogText) + kFrameworkVersion);
  {
    // A Stop from another thread waits until the start is complete, so that
    // it releases everything that was started.
    std::lock_guard<std::mutex> lock(stepsMutex_);
    if (!running_.load()) return true;  // stopped before the start began
    bool started = false;
    try {
      StartServer();
      StartLifecheck();
      CreateChannelControllers();
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
  {
    std::lock_guard<std::mutex> lock(stepsMutex_);
    ReleaseAll();
  }
  LoggerLog::Info(kTag, kDeliverable.stopLogText);
  LoggerLog::Flush();
}

std::string ToolManager::GetStartError() const { return startError_; }

void ToolManager::StartServer() {
  if (loggerServer_) return;
  LoggerLog::Info(kTag, "StartServer");
  loggerServer_ = std::make_unique<LoggerServer>(serverPort_);
  loggerServer_->Start();
}

void ToolManager::StopServer() {
  if (!loggerServer_) return;
  LoggerLog::Info(kTag, "StopServer");
  loggerServer_->Stop();
  loggerServer_.reset();
}

void ToolManager::StartLifecheck() {
  if (lifecheckStarted_) return;
  LoggerLog::Info(kTag, "StartLifecheck");
  lifecheckStarted_ = true;
}

void ToolManager::StopLifecheck() {
  if (!lifecheckStarted_) return;
  LoggerLog::Info(kTag, "StopLifecheck");
  lifecheckStarted_ = false;
}

void ToolManager::CreateChannelControllers() {
  auto controllers = std::make_unique<ControllerList>();
  for (int channelNo : kChannelNumbers) {
    controllers->push_back(std::make_shared<RS485ChannelController>(channelNo));
  }
  std::lock_guard<std::mutex> lock(controllersMutex_);
  if (!controllers_) controllers_ = std::move(controllers);
}

void ToolManager::ReleaseChannelControllers() {
  std::unique_ptr<ControllerList> controllers;
  {
    std::lock_guard<std::mutex> lock(controllersMutex_);
    controllers = std::move(controllers_);
  }
  if (!controllers) return;
  for (const auto& controller : *controllers) controller->StopLogging();
}

std::shared_ptr<RS485ChannelController> ToolManager::GetChannelController(
    int channelNo) const {
  std::lock_guard<std::mutex> lock(controllersMutex_);
  if (!controllers_) return nullptr;
  for (const auto& controller : *controllers_) {
    if (controller->GetChannelNo() == channelNo) return controller;
  }
  return nullptr;
}

}  // namespace tool
