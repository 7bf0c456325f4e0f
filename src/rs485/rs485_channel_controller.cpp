#include "rs485/rs485_channel_controller.h"

#include <Poco/Format.h>

#include <string>

#include "log/logger_log.h"
#include "log/logger_setting_xml_manager.h"
#include "rs485/rs485_access_request.h"
#include "rs485/rs485_device_set_port_params_utility.h"
#include "rs485/rs485_record_layout.h"

namespace tool {
namespace {

constexpr char kTag[] = "RS485ChannelController";
// Bounds StartLogging's wait for its worker thread, which queues the record
// first thing.
constexpr long kPortSettingQueueWait = 5000;
// The worker thread is kept while the channel lives; more only bridge the
// moment in which a finished worker's thread is not yet idle again, and end
// after a minute.
constexpr int kWorkerThreads = 1;
constexpr int kMaxWorkerThreads = 4;
constexpr int kWorkerThreadIdleSeconds = 60;

}  // namespace

RS485ChannelController::RS485ChannelController(
    int channelNo, const LoggerSettingXmlManager& settings)
    : settings_(settings),
      channel_(std::make_unique<Channel>(1)),
      channelNo_(channelNo) {}

RS485ChannelController::~RS485ChannelController() {
  StopLogging();
  // Dropped requests call OnDropped, which needs requestMutex_: the channel
  // goes first.
  channel_.reset();
}

void RS485ChannelController::StartLogging(int channelNo, int baudCode,
                                          int address, int dataBits,
                                          int stopBits, int parity) {
  LoggerLog::DebugFormat(kTag, "%s ch:%d, baud:%d, add:%d",
                         std::string("StartLogging"), channelNo, baudCode,
                         address);
  if (worker_) return;
  baudCode_ = baudCode;
  auto accessData =
      std::make_shared<DeviceComProcessAccessData>(channelNo_ - 1, baudCode_);
  std::uint8_t* buffer = accessData->GetBuffer();
  RS485DeviceSetPortParamsUtility::SetSetPortParams(
      buffer + record::kPortParamsOffset, address, dataBits, stopBits, parity);
  // Written here, before any other thread can read the record, so that the
  // copies taken by command exchanges never race with the worker thread.
  record::StoreUint32(buffer + record::kChannelNoOffset, channelNo_);
  buffer[record::kBaudCodeOffset] = static_cast<std::uint8_t>(baudCode_);
  accessData_ = std::move(accessData);
  std::unique_ptr<ChannelWorker> worker;
  portSettingQueued_.reset();
  try {
    if (!workerThreads_) {
      workerThreads_ = std::make_unique<Poco::ThreadPool>(
          kWorkerThreads, kMaxWorkerThreads, kWorkerThreadIdleSeconds);
    }
    worker = std::make_unique<ChannelWorker>(this, *workerThreads_);
    channel_->Start();
    worker->Start();
  } catch (...) {
    // Stays idle, as it was, when no thread could be had.
    accessData_.reset();
    throw;
  }
  worker_ = std::move(worker);
  portSettingQueued_.tryWait(kPortSettingQueueWait);
}

void RS485ChannelController::StopLogging() {
  if (!worker_) return;
  worker_->Stop();
  worker_->Join();
  worker_.reset();
  accessData_.reset();
}

std::shared_ptr<DeviceComProcessAccessData>
RS485ChannelController::GetAccessData() const {
  if (!accessData_) return nullptr;
  return DeviceComProcessAccessData::Clone(*accessData_);
}

void RS485ChannelController::PushAccessRequest(RS485AccessRequest* request) {
  channel_->PushRequest(request);
}

void RS485ChannelController::Close() { channel_->Close(); }

void RS485ChannelController::Begin() {
  try {
    SendPortSetting();
  } catch (...) {
    portSettingQueued_.set();
    throw;
  }
  portSettingQueued_.set();
}

bool RS485ChannelController::IsRepeat() { return false; }

void RS485ChannelController::End() {
  std::lock_guard<std::mutex> lock(requestMutex_);
  if (currentRequest_ == nullptr) return;
  currentRequest_->Cancel();
  currentRequest_ = nullptr;
}

int RS485ChannelController::GetWaitInterval() { return kWaitInterval; }

void RS485ChannelController::SendPortSetting() {
  auto* request = new RS485AccessRequest(this, settings_);
  // The request shares the record, which StopLogging may release while the
  // exchange is still queued.
  request->SetAccessData(accessData_->GetBuffer(), accessData_->GetSize(),
                         accessData_);
  {
    std::lock_guard<std::mutex> lock(requestMutex_);
    currentRequest_ = request;
  }
  channel_->PushRequest(request);
}

void RS485ChannelController::OnResult(int code, const std::uint8_t* reply) {
  const int status =
      reply == nullptr ? 0 : record::LoadInt32(reply + record::kStatusOffset);
  if (reply == nullptr || status != 0) {
    LoggerLog::Error(kTag, "Received Error [" + std::to_string(code) + "]");
    LoggerLog::Info(kTag, "tool communication failed. error_code:[" +
                              std::to_string(code) + "] status:[" +
                              std::to_string(status) + "]");
  }
  std::lock_guard<std::mutex> lock(requestMutex_);
  currentRequest_ = nullptr;
}

void RS485ChannelController::OnDropped() {
  std::lock_guard<std::mutex> lock(requestMutex_);
  currentRequest_ = nullptr;
}

}  // namespace tool
