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
  ReleaseAll();
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

void ToolManager::CreateChannelControllers() { controllersCreated_ = true; }

void ToolManager::ReleaseChannelControllers() {
  if (!controllersCreated_) return;
  controllersCreated_ = false;
}

}  // namespace tool
