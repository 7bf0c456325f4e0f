#ifndef TOOL_RS485_DEVICE_COM_PROCESS_ACCESS_DATA_H_
#define TOOL_RS485_DEVICE_COM_PROCESS_ACCESS_DATA_H_

#include <cstdint>
#include <memory>

namespace tool {

// Owns one access record for the RS-485 communication service, with its
// header written: the record length, the port index and the header flag.
// A channel controller keeps one with the port parameters filled in; each
// command exchange writes its frame into a copy of it (Clone).
//
// Not locked; one thread changes a record at a time.
class DeviceComProcessAccessData {
 public:
  // A zero-filled record for `portIndex` (channel number - 1) with its
  // header. Throws std::bad_alloc when the memory cannot be had.
  DeviceComProcessAccessData(int portIndex, int baudCode);
  virtual ~DeviceComProcessAccessData();

  DeviceComProcessAccessData(const DeviceComProcessAccessData&) = delete;
  DeviceComProcessAccessData& operator=(const DeviceComProcessAccessData&) =
      delete;

  // A new record with the same port index and baud code and a copy of all
  // of `source`'s bytes.
  static std::shared_ptr<DeviceComProcessAccessData> Clone(
      const DeviceComProcessAccessData& source);

  // Places `count` command bytes (a 2-byte frame length, then the frame)
  // into the record and marks it as a command record. False, with the
  // record unchanged, when they do not fit or `count` is negative.
  bool SetSendData(int address, const std::uint8_t* data, int count);

  std::uint8_t* GetBuffer() { return buffer_; }
  const std::uint8_t* GetBuffer() const { return buffer_; }
  int GetSize() const { return size_; }
  int GetPortIndex() const { return portIndex_; }
  int GetBaudCode() const { return baudCode_; }

 private:
  std::uint8_t* buffer_;
  const int size_;
  const int portIndex_;
  const int baudCode_;
};

}  // namespace tool

#endif  // TOOL_RS485_DEVICE_COM_PROCESS_ACCESS_DATA_H_
