#ifndef TOOL_RS485_CHANNEL_WORKER_INTERFACE_H_
#define TOOL_RS485_CHANNEL_WORKER_INTERFACE_H_

namespace tool {

// What a ChannelWorker drives. Every operation runs on the worker's thread;
// the base operations do nothing.
class ChannelWorkerInterface {
 public:
  virtual ~ChannelWorkerInterface() = default;

  // One pass of work.
  virtual void Begin();
  // Whether another pass follows the current one.
  virtual bool IsRepeat();
  // Called once, when the worker stops.
  virtual void End();
  // Sleep step between passes, in milliseconds.
  virtual int GetWaitInterval();
};

}  // namespace tool

#endif  // TOOL_RS485_CHANNEL_WORKER_INTERFACE_H_
