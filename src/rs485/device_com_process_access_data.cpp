#include "rs485/device_com_process_access_data.h"

#include <Poco/Format.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "log/logger_log.h"
#include "rs485/rs485_record_layout.h"

namespace tool {

DeviceComProcessAccessData::DeviceComProcessAccessData(int portIndex,
                                                       int baudCode)
    : buffer_(static_cast<std::uint8_t*>(
          std::calloc(record::kAccessRecordSize, 1))),
      size_(record::kAccessRecordSize),
      portIndex_(portIndex),
      baudCode_(baudCode) {
  if (buffer_ == nullptr) throw std::bad_alloc();
  record::StoreUint32(buffer_ + record::kLengthOffset, size_);
  record::StoreUint32(buffer_ + record::kPortIndexOffset, portIndex_);
  buffer_[record::kHeaderFlagOffset] = 1;
}

DeviceComProcessAccessData::~DeviceComProcessAccessData() {
  std::free(buffer_);
}

std::shared_ptr<DeviceComProcessAccessData> DeviceComProcessAccessData::Clone(
    const DeviceComProcessAccessData& source) {
  auto copy = std::make_shared<DeviceComProcessAccessData>(source.portIndex_,
                                                           source.baudCode_);
  std::memcpy(copy->buffer_, source.buffer_, source.size_);
  return copy;
}

bool DeviceComProcessAccessData::SetSendData(int address,
                                             const std::uint8_t* data,
                                             int count) {
  // 54 is part of the message text the log readers know.
  LoggerLog::DebugFormat("DeviceComProcessAccessData",
                         "%s:%d adress:%d, size:%d", std::string("SetSendData"),
                         54, address, count);
  if (count < 0 || count > record::kMaxCommandBytes) return false;
  if (count > 0 && data == nullptr) return false;
  buffer_[record::kPortParamsOffset] = 1;
  buffer_[record::kFrameFlagOffset] = buffer_[record::kPortParamsOffset];
  if (count > 0) std::memcpy(buffer_ + record::kCommandOffset, data, count);
  return true;
}

}  // namespace tool
