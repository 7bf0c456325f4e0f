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
  std::lock_guard<FairMutex> lock(controller->GetSettingMutex());

  int baudCode = 0;
  if (!Open(*controller, params, operation, &baudCode)) return false;
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
    if (Judge(params, datalist[i], sizelist[i], reply)) {
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

int DeviceSettingRunner::ProbeUntilAnswered(
    const DeviceConnectionParams& params, const std::vector<int>& addresses,
    const std::vector<const std::uint8_t*>& datalist,
    const std::vector<int>& sizelist, const std::function<bool()>& keepGoing,
    int* sent) {
  const std::string operation = "ProbeUntilAnswered";
  const int channel = params.channel;
  *sent = 0;
  LoggerLog::DebugFormat(kTag, "%s call ch:%d, probes:%d", operation, channel,
                         static_cast<int>(datalist.size()));
  if (datalist.empty() || datalist.size() != sizelist.size() ||
      datalist.size() != addresses.size()) {
    LoggerLog::Error(
        kTag,
        Poco::format("%s probe lists empty or not equal data:%d, size:%d, "
                     "address:%d",
                     operation, static_cast<int>(datalist.size()),
                     static_cast<int>(sizelist.size()),
                     static_cast<int>(addresses.size())));
    return -1;
  }
  const std::shared_ptr<RS485ChannelController> controller =
      controllers_.Get(channel);
  if (!controller) return -1;
  // One line setting at a time: between two calls, operations waiting for
  // the channel get their turn.
  std::lock_guard<FairMutex> lock(controller->GetSettingMutex());
  int baudCode = 0;
  if (!Open(*controller, params, operation, &baudCode)) return -1;
  int answered = -1;
  for (std::size_t i = 0; i < datalist.size(); ++i) {
    if (keepGoing && !keepGoing()) break;
    ++*sent;
    bool serviceAnswered = false;
    const std::shared_ptr<ByteDataHolder> reply =
        SendCommand(*controller, channel, addresses[i], baudCode, datalist[i],
                    sizelist[i], &serviceAnswered);
    if (!serviceAnswered) {
      LoggerLog::Error(kTag,
                       operation + " communication service not answering");
      break;
    }
    if (!reply) {
      LoggerLog::Debug(kTag, "### received data null");
    } else if (Judge(params, datalist[i], sizelist[i], reply)) {
      LoggerLog::Debug(kTag, "### send data response OK");
      answered = static_cast<int>(i);
      break;
    } else {
      LoggerLog::Debug(kTag, "### send data response error");
    }
  }
  controller->StopLogging();
  return answered;
}

bool DeviceSettingRunner::Open(RS485ChannelController& controller,
                               const DeviceConnectionParams& params,
                               const std::string& operation, int* baudCode) {
  const PortComParams codes =
      GetPortComParams(static_cast<unsigned>(params.param));
  *baudCode = BaudCode(params.baudrate);
  try {
    controller.StartLogging(params.channel, *baudCode, params.address,
                            codes.dataBit, codes.stopBit, codes.parity);
  } catch (const Poco::Exception& e) {
    LoggerLog::Error(
        kTag, operation + " connection failed. [" + e.displayText() + "]");
    return false;
  }
  return true;
}

bool DeviceSettingRunner::Judge(
    const DeviceConnectionParams& params, const std::uint8_t* data, int length,
    const std::shared_ptr<ByteDataHolder>& reply) const {
  auto sent = std::make_shared<ByteDataHolder>(length);
  if (data != nullptr) {
    std::copy(data, data + sent->GetSize(), sent->GetData());
  }
  return SendDeviceSettingCommandResult(sent, params.checkKind,
                                        modbusCompareLength_)
      .CheckReceivedData(reply);
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
    const std::uint8_t* data, int length, bool* serviceAnswered) {
  if (serviceAnswered != nullptr) *serviceAnswered = false;
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
  std::shared_ptr<ByteDataHolder> replyBytes = reply.get();
  if (serviceAnswered != nullptr) *serviceAnswered = request.ServiceAnswered();
  return replyBytes;
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
