#ifndef TOOL_MAIN_STOP_SIGNAL_H_
#define TOOL_MAIN_STOP_SIGNAL_H_

#include <condition_variable>
#include <mutex>

namespace tool {

// Tells pausing commands that the service is stopping: Raise ends every
// pause at once, and every later pause returns at once, until Reset. Safe
// from any thread, but not from a signal handler (it takes a lock).
class StopSignal {
 public:
  StopSignal() = default;
  virtual ~StopSignal() = default;

  StopSignal(const StopSignal&) = delete;
  StopSignal& operator=(const StopSignal&) = delete;

  // Lowers the signal, for a new start.
  void Reset();

  // Raises the signal and wakes every pause.
  void Raise();

  // Sleeps on the calling thread for `milliseconds`, or until Raise runs.
  // Returns false, at once, when the signal is raised.
  bool PauseUnlessStopped(int milliseconds);

 private:
  std::mutex mutex_;
  std::condition_variable wake_;
  bool raised_ = false;
};

}  // namespace tool

#endif  // TOOL_MAIN_STOP_SIGNAL_H_
