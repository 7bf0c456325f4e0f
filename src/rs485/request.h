#ifndef TOOL_RS485_REQUEST_H_
#define TOOL_RS485_REQUEST_H_

#include <Poco/Notification.h>

namespace tool {

// Work queued on a Channel and run once by its worker thread.
//
// Reference-counted through Poco::Notification: the channel's queue holds
// the reference it was given, and the last release destroys the request,
// right after Process has returned or, when the channel is destroyed first,
// without Process ever running.
class Request : public Poco::Notification {
 public:
  // Runs on the channel's worker thread. Must not throw: the worker keeps
  // going, but the request's own outcome would be lost.
  virtual void Process();

  // Asks a running Process to end as soon as it can, as a failure, and a
  // Process that has not started yet to fail at once. Called from any thread
  // while the request is alive; the base does nothing.
  virtual void Abort();

 protected:
  ~Request() override = default;
};

}  // namespace tool

#endif  // TOOL_RS485_REQUEST_H_
