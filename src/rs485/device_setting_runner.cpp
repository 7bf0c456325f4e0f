#include "rs485/device_setting_runner.h"

#include <Poco/Exception.h>
#include <Poco/Format.h>

#include <algorithm>
#include <future>
#include <mutex>
#include <string>

#include "log/logger_log.h"
#include "rs485/channel_controller_set.h"
#include "rs485/rs485_access_request.h"
#include "rs485/rs485_channel_controller.h"
#include "rs485/rs485_record_layout.h"
#include "rs485/rs485_send_command_request.h"
#include "rs485/send_device_setting_command_result.h"

namespace tool {
namespace {

// The operations are ToolManager's, and their log lines say so.
constexpr char kTag[] = "ToolManager";
constexpr char kSendCommand[] = "SendCommandDeviceSettingConnection";

void LogSendCommand(int channel, int address, int baudCode) {
  LoggerLog::DebugFormat(kTag, "%s ch:%d, add:%d, baud:%d",
                         std::string(kSendCommand), channel, address, baudCode);
}

}  // namespace

DeviceSettingRunner::DeviceSettingRunner(
    const ChannelControllerSet& controllers, const PortComTables& tables,
    int modbusCompareLength, const LoggerSettingXmlManager& settings)
    : controllers_(controllers),
      tables_(tables),
      modbusCompareLength_(modbusCompareLength),
      settings_(settings) {}

bool DeviceSettingRunner::DeviceSettingConnection(
    const DeviceConnectionParams& params,
    const std::vector<const std::uint8_t*>& datalist,
    const std::vector<int>& sizelist) {
  return Run("DeviceSettingConnection", false, params, datalist, sizelist);
}

bool DeviceSettingRunner::DeviceSettingConnectionUntilSuccess(
    const DeviceConnectionParams& params,
    const std::vector<const std::uint8_t*>& datalist,
    const std::vector<int>& sizelist) {
  return Run("DeviceSettingConnectionUntilSuccess", true, params, datalist,
             sizelist);
}

bool DeviceSettingRunner::Run(const char* name, bool untilSuccess,
                              const DeviceConnectionParams& params,
                              const std::vector<const std::uint8_t*>& datalist,
                              const std::vector<int>& sizelist) {
  const int channel = params.channel;
  const int address = params.address;
  const std::string operation = name;
  LoggerLog::DebugFormat(kTag, "%s call ch:%d, address:%d", operation, channel,
                         address);
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
      controllers_.Get(channel);
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
                                       modbusCompareLength_)
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

std::shared_ptr<ByteDataHolder>
DeviceSettingRunner::SendCommandDeviceSettingConnection(
    int channel, int address, int baudCode, const std::uint8_t* data,
    int length) {
  const std::shared_ptr<RS485ChannelController> controller =
      controllers_.Get(channel);
  if (!controller) {
    LogSendCommand(channel, address, baudCode);
    return nullptr;
  }
  return SendCommand(*controller, channel, address, baudCode, data, length);
}

std::shared_ptr<ByteDataHolder> DeviceSettingRunner::SendCommand(
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

  RS485SendCommandRequest request(settings_);
  std::future<std::shared_ptr<ByteDataHolder>> reply = request.GetFuture();
  RS485AccessRequest* accessRequest = request.CreateAccessRequest();
  accessRequest->SetAccessData(access->GetBuffer(), access->GetSize(), access);
  controller.PushAccessRequest(accessRequest);
  // Completed in every case, with an empty reply when the exchange failed.
  return reply.get();
}

PortComParams DeviceSettingRunner::GetPortComParams(unsigned param) const {
  const SerialParamTable& table = tables_.serialParams;
  const PortComParams codes =
      param < table.size ? table.rows[param] : table.other;
  LoggerLog::DebugFormat(kTag, "%s in:%d, data_bit:%d, stop_bit:%d, parity:%d",
                         std::string("GetPortComParams"),
                         static_cast<int>(param), codes.dataBit, codes.stopBit,
                         codes.parity);
  return codes;
}

int DeviceSettingRunner::GetPortComBaudrate(unsigned baudrate) const {
  const BaudrateTable& table = tables_.baudrates;
  int code = static_cast<int>(baudrate);
  if (table.codes != nullptr) {
    code = baudrate < table.size ? table.codes[baudrate] : table.other;
  }
  LoggerLog::DebugFormat(kTag, "%s baudrate:%d->%d",
                         std::string("GetPortComBaudrate"),
                         static_cast<int>(baudrate), code);
  return code;
}

int DeviceSettingRunner::BaudCode(int baudrate) const {
  if (tables_.baudrates.codes == nullptr) return baudrate;
  return GetPortComBaudrate(static_cast<unsigned>(baudrate));
}

}  // namespace tool
