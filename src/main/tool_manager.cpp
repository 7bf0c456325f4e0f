#include "main/tool_manager.h"

#include <Poco/Exception.h>
#include <Poco/Format.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <exception>
#include <future>
#include <utility>

#include "log/logger_log.h"
#include "rs485/rs485_access_request.h"
#include "rs485/rs485_record_layout.h"
#include "rs485/rs485_send_command_request.h"
#include "rs485/send_device_setting_command_result.h"

namespace tool {
namespace {

constexpr char kTag[] = "ToolManager";
constexpr useconds_t kMainLoopPause = 500000;
constexpr int kChannelNumbers[] = {1, 2, 3};
constexpr char kSendCommand[] = "SendCommandDeviceSettingConnection";

void LogSendCommand(int channel, int address, int baudCode) {
  LoggerLog::Debug(
      kTag, Poco::format("%s ch:%d, add:%d, baud:%d", std::string(kSendCommand),
                         channel, address, baudCode));
}

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
      settings_(settings),
      executor_(profile.commands, *this) {
  connectedParams_.checkKind = profile.checkKind;
  updatedParams_.checkKind = profile.checkKind;
}

bool ToolManager::Run() {
  if (running_.exchange(true)) return true;
  startError_.clear();
  {
    std::lock_guard<std::mutex> lock(pauseMutex_);
    stopped_ = false;
  }
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
  {
    std::lock_guard<std::mutex> lock(pauseMutex_);
    stopped_ = true;
  }
  pauseWake_.notify_all();
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

void ToolManager::CreateChannelControllers() {
  auto controllers = std::make_unique<ControllerList>();
  for (int channelNo : kChannelNumbers) {
    controllers->push_back(
        std::make_shared<RS485ChannelController>(channelNo, settings_));
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
  for (const auto& controller : *controllers) {
    // Operations in progress, and those still waiting for the channel, fail
    // within moments instead of waiting for the communication service.
    controller->Close();
    // A controller in use is closed by its operation, which holds it alive
    // until then and ends at once now.
    std::unique_lock<std::mutex> lock(controller->GetSettingMutex(),
                                      std::try_to_lock);
    if (lock.owns_lock()) controller->StopLogging();
  }
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

bool ToolManager::DeviceSettingConnection(
    const DeviceConnectionParams& params,
    const std::vector<const std::uint8_t*>& datalist,
    const std::vector<int>& sizelist) {
  return RunDeviceSetting("DeviceSettingConnection", false, params, datalist,
                          sizelist);
}

bool ToolManager::DeviceSettingConnectionUntilSuccess(
    const DeviceConnectionParams& params,
    const std::vector<const std::uint8_t*>& datalist,
    const std::vector<int>& sizelist) {
  return RunDeviceSetting("DeviceSettingConnectionUntilSuccess", true, params,
                          datalist, sizelist);
}

bool ToolManager::RunDeviceSetting(
    const char* name, bool untilSuccess, const DeviceConnectionParams& params,
    const std::vector<const std::uint8_t*>& datalist,
    const std::vector<int>& sizelist) {
  const int channel = params.channel;
  const int address = params.address;
  const std::string operation = name;
  LoggerLog::Debug(kTag, Poco::format("%s call ch:%d, address:%d", operation,
                                      channel, address));
  if (datalist.empty() || sizelist.empty()) {
    LoggerLog::Error(
        kTag,
        Poco::format("%s datalist sizelist empty datalist:%d, sizelist:%d",
                     operation, static_cast<int>(datalist.size()),
                     static_cast<int>(sizelist.size())));
    return false;
  }
  if (datalist.size() != sizelist.size()) {
    LoggerLog::Error(
        kTag, Poco::format("%s datalist sizelist not equal data:%d, size:%d",
                           operation, static_cast<int>(datalist.size()),
                           static_cast<int>(sizelist.size())));
    return false;
  }
  // Holding the controller keeps it alive should Stop release the list now.
  const std::shared_ptr<RS485ChannelController> controller =
      GetChannelController(channel);
  if (!controller) return false;
  std::lock_guard<std::mutex> lock(controller->GetSettingMutex());

  const PortComParams codes =
      GetPortComParams(static_cast<unsigned>(params.param));
  const int baudCode = BaudCode(params.baudrate);
  try {
    controller->StartLogging(channel, baudCode, address, codes.dataBit,
                             codes.stopBit, codes.parity);
  } catch (const Poco::Exception& e) {
    LoggerLog::Error(
        kTag, operation + " connection failed. [" + e.displayText() + "]");
    return false;
  }
  bool result = false;
  for (std::size_t i = 0; i < datalist.size(); ++i) {
    const std::shared_ptr<ByteDataHolder> reply = SendCommand(
        *controller, channel, address, baudCode, datalist[i], sizelist[i]);
    if (!reply) {
      result = false;
      LoggerLog::Error(kTag, "### received data null");
      if (untilSuccess) continue;
      break;
    }
    auto sent = std::make_shared<ByteDataHolder>(sizelist[i]);
    if (datalist[i] != nullptr) {
      std::copy(datalist[i], datalist[i] + sent->GetSize(), sent->GetData());
    }
    if (SendDeviceSettingCommandResult(sent, params.checkKind,
                                       profile_.modbusCompareLength)
            .CheckReceivedData(reply)) {
      LoggerLog::Debug(kTag, "### send data response OK");
      result = true;
      if (untilSuccess) break;
    } else {
      result = false;
      LoggerLog::Error(kTag, "### send data response error");
      if (!untilSuccess) break;
    }
  }
  controller->StopLogging();
  return result;
}

std::shared_ptr<ByteDataHolder> ToolManager::SendCommandDeviceSettingConnection(
    int channel, int address, int baudCode, const std::uint8_t* data,
    int length) {
  const std::shared_ptr<RS485ChannelController> controller =
      GetChannelController(channel);
  if (!controller) {
    LogSendCommand(channel, address, baudCode);
    return nullptr;
  }
  return SendCommand(*controller, channel, address, baudCode, data, length);
}

std::shared_ptr<ByteDataHolder> ToolManager::SendCommand(
    RS485ChannelController& controller, int channel, int address, int baudCode,
    const std::uint8_t* data, int length) {
  LogSendCommand(channel, address, baudCode);
  const std::shared_ptr<DeviceComProcessAccessData> access =
      controller.GetAccessData();
  if (!access || data == nullptr || length < 0) {
    LoggerLog::Error(kTag, kSendCommand + std::string(" Send data set failed"));
    return nullptr;
  }
  ByteDataHolder frame(length);
  std::copy(data, data + length, frame.GetData());
  LoggerLog::Info(kTag, "Send Data [" + frame.ToHexString() + "]");
  if (!access->SetSendData(address, data, length)) {
    LoggerLog::Error(kTag, kSendCommand + std::string(" Send data set failed"));
    return nullptr;
  }
  std::uint8_t* record = access->GetBuffer();
  record::StoreUint32(record + record::kChannelNoOffset, channel);
  record[record::kBaudCodeOffset] = static_cast<std::uint8_t>(baudCode);

  RS485SendCommandRequest request(address, settings_);
  std::future<std::shared_ptr<ByteDataHolder>> reply = request.GetFuture();
  RS485AccessRequest* accessRequest = request.CreateAccessRequest();
  accessRequest->SetAccessData(access->GetBuffer(), access->GetSize(), access);
  controller.PushAccessRequest(accessRequest);
  // Completed in every case, with an empty reply when the exchange failed.
  return reply.get();
}

PortComParams ToolManager::GetPortComParams(unsigned param) const {
  const SerialParamTable& table = profile_.portComTables.serialParams;
  const PortComParams codes =
      param < table.size ? table.rows[param] : table.other;
  LoggerLog::Debug(
      kTag,
      Poco::format("%s in:%d, data_bit:%d, stop_bit:%d, parity:%d",
                   std::string("GetPortComParams"), static_cast<int>(param),
                   codes.dataBit, codes.stopBit, codes.parity));
  return codes;
}

int ToolManager::GetPortComBaudrate(unsigned baudrate) const {
  const BaudrateTable& table = profile_.portComTables.baudrates;
  int code = static_cast<int>(baudrate);
  if (table.codes != nullptr) {
    code = baudrate < table.size ? table.codes[baudrate] : table.other;
  }
  LoggerLog::Debug(kTag, Poco::format("%s baudrate:%d->%d",
                                      std::string("GetPortComBaudrate"),
                                      static_cast<int>(baudrate), code));
  return code;
}

int ToolManager::BaudCode(int baudrate) const {
  if (profile_.portComTables.baudrates.codes == nullptr) return baudrate;
  return GetPortComBaudrate(static_cast<unsigned>(baudrate));
}

void ToolManager::SetConnectedParams(const DeviceConnectionParams& params) {
  std::lock_guard<std::mutex> lock(paramsMutex_);
  connectedParams_ = params;
}

DeviceConnectionParams ToolManager::GetConnectedParams() const {
  std::lock_guard<std::mutex> lock(paramsMutex_);
  return connectedParams_;
}

void ToolManager::SetUpdatedParams(const DeviceConnectionParams& params) {
  std::lock_guard<std::mutex> lock(paramsMutex_);
  updatedParams_ = params;
}

DeviceConnectionParams ToolManager::GetUpdatedParams() const {
  std::lock_guard<std::mutex> lock(paramsMutex_);
  return updatedParams_;
}

bool ToolManager::PauseUnlessStopped(int milliseconds) {
  std::unique_lock<std::mutex> lock(pauseMutex_);
  return !pauseWake_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                              [this] { return stopped_; });
}

}  // namespace tool
