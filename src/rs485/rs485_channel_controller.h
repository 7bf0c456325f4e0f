#ifndef TOOL_RS485_RS485_CHANNEL_CONTROLLER_H_
#define TOOL_RS485_RS485_CHANNEL_CONTROLLER_H_

#include <Poco/Event.h>
#include <Poco/ThreadPool.h>

#include <cstdint>
#include <memory>
#include <mutex>

#include "rs485/channel.h"
#include "rs485/channel_worker.h"
#include "rs485/channel_worker_interface.h"
#include "rs485/device_com_process_access_data.h"
#include "rs485/fair_mutex.h"
#include "rs485/rs485_access_request_callback.h"

namespace tool {

class LoggerSettingXmlManager;
class RS485AccessRequest;

// The client of one RS-485 channel (1 to 3). It owns the channel's queue of
// exchanges with the communication service and, while a device-setting
// connection is open (StartLogging to StopLogging), the channel's prepared
// access record and a worker thread that sends the port-setting record once
// at the start. The outcome of that exchange is only logged.
//
// Thread-safety: StartLogging, StopLogging, GetAccessData and
// PushAccessRequest are not locked against each other. A device-setting
// operation holds GetSettingMutex for its whole length, which keeps two
// operations on one channel from sharing a connection. The rest may be
// called from any thread.
class RS485ChannelController : public ChannelWorkerInterface,
                               private RS485AccessRequestCallback {
 public:
  // Milliseconds between the worker's looks at its stop flag.
  static constexpr int kWaitInterval = 100;

  // A controller for `channelNo`; nothing runs yet. `settings` (the socket
  // path) must remain live while the controller exists.
  RS485ChannelController(int channelNo,
                         const LoggerSettingXmlManager& settings);
  // Closes an open connection, then destroys the channel: a running
  // exchange finishes, queued ones are dropped.
  ~RS485ChannelController() override;

  RS485ChannelController(const RS485ChannelController&) = delete;
  RS485ChannelController& operator=(const RS485ChannelController&) = delete;

  int GetChannelNo() const { return channelNo_; }

  // Held by a device-setting operation for its whole length; operations
  // waiting for it get it in the order in which they asked.
  FairMutex& GetSettingMutex() { return settingMutex_; }

  // Opens a device-setting connection: prepares the access record with the
  // port parameters for `baudCode` and the data-bit, stop-bit and parity
  // codes, and has the port-setting record sent from the worker thread.
  // Returns once that record is queued, so that it goes out ahead of the
  // connection's command exchanges. An open connection is left as it is. Throws
  // a Poco::Exception when no thread can be started; the controller then stays
  // idle.
  void StartLogging(int channelNo, int baudCode, int address, int dataBits,
                    int stopBits, int parity);

  // Closes the connection, within about one wait interval. A port-setting
  // exchange still queued keeps its record alive and reports only failures.
  void StopLogging();

  // A copy of the prepared access record; empty while no connection is open.
  std::shared_ptr<DeviceComProcessAccessData> GetAccessData() const;

  // Queues `request` on the channel, which takes over the caller's
  // reference. A null request is ignored.
  void PushAccessRequest(RS485AccessRequest* request);

  // Shutdown: from now on every exchange of this channel fails at once, the
  // running one included (Channel::Close), so that an operation in progress
  // ends within moments. StopLogging is still needed to close the
  // connection. Safe from any thread, also while another thread holds the
  // setting mutex.
  void Close();

  // The worker's passes: send the port-setting record, then idle until
  // StopLogging.
  void Begin() override;
  bool IsRepeat() override;
  void End() override;
  int GetWaitInterval() override;

 private:
  void SendPortSetting();
  void OnResult(int code, const std::uint8_t* reply) override;
  void OnDropped() override;

  const LoggerSettingXmlManager& settings_;
  FairMutex settingMutex_;
  // Set by the worker once the port-setting record is queued.
  Poco::Event portSettingQueued_;
  // Guards currentRequest_, which the worker thread (End) and the channel's
  // thread (OnResult, OnDropped) both touch.
  std::mutex requestMutex_;
  // Set only while it points to a live request.
  RS485AccessRequest* currentRequest_ = nullptr;
  std::unique_ptr<Channel> channel_;
  std::shared_ptr<DeviceComProcessAccessData> accessData_;
  // The thread the workers run on, made at the first StartLogging so that
  // a channel never used holds none; declared before worker_, which must
  // go first.
  std::unique_ptr<Poco::ThreadPool> workerThreads_;
  std::unique_ptr<ChannelWorker> worker_;
  const int channelNo_;
  int baudCode_ = 0;
};

}  // namespace tool

#endif  // TOOL_RS485_RS485_CHANNEL_CONTROLLER_H_
