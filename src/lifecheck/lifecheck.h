#ifndef TOOL_LIFECHECK_LIFECHECK_H_
#define TOOL_LIFECHECK_LIFECHECK_H_

#include <Poco/Timer.h>
#include <Poco/Timestamp.h>
#include <Poco/Types.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace tool {

// The watchdog: whoever keeps the service running refreshes a file now and
// then; a tick in every period reads the file's modification time and, when
// it is further than the allowed age from the present (in either direction,
// so a clock set back counts too), logs "Time over" and calls the handler
// given at construction, which is to end the service. A missing or unreadable
// file is passed over until a later tick finds it.
//
// The ticks run on a thread from Poco's default thread pool. The handler
// runs on that thread, inside a tick; it must return promptly and must not
// call Stop or destroy the Lifecheck (Stop waits for the tick), so it only
// asks for the stop to happen elsewhere.
//
// Start, Stop and the destructor may be called from any thread except from
// within the handler.
class Lifecheck {
 public:
  // The service's tick period (also the delay of the first tick) and the
  // largest allowed age of the file.
  static constexpr long kPeriodMilliseconds = 5000;
  static constexpr Poco::Int64 kAllowedAgeMilliseconds = 60000;

  // Checks `filePath` every `periodMilliseconds`, the first time one period
  // after Start, against `allowedAgeMilliseconds`. Starts nothing yet.
  Lifecheck(std::string filePath, long periodMilliseconds,
            Poco::Int64 allowedAgeMilliseconds,
            std::function<void()> onTimeOver);
  // Stops the ticks first.
  ~Lifecheck();

  Lifecheck(const Lifecheck&) = delete;
  Lifecheck& operator=(const Lifecheck&) = delete;

  // Starts the ticks and logs the period and the path at Debug; does nothing
  // when already started. Throws Poco::NoThreadAvailableException when the
  // thread pool has no thread left, and then stays stopped.
  void Start();

  // Ends the ticks and releases the timer: waits for a tick that is under
  // way, and no tick begins after it returns. Does nothing when stopped.
  void Stop();

  // Whether a file modified at `modified` is out of the allowed age at
  // `now`: the age in whole milliseconds (truncated toward zero) is below
  // -`allowedAgeMilliseconds` or above `allowedAgeMilliseconds`.
  static bool IsTimeOver(const Poco::Timestamp& now,
                         const Poco::Timestamp& modified,
                         Poco::Int64 allowedAgeMilliseconds);

 private:
  void OnTick(Poco::Timer& timer);

  const std::string filePath_;
  const long periodMilliseconds_;
  const Poco::Int64 allowedAgeMilliseconds_;
  const std::function<void()> onTimeOver_;
  // Keeps Start and Stop apart; the ticks never take it.
  std::mutex timerMutex_;
  // Null while stopped.
  std::unique_ptr<Poco::Timer> timer_;
};

}  // namespace tool

#endif  // TOOL_LIFECHECK_LIFECHECK_H_
