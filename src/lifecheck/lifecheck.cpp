#include "lifecheck/lifecheck.h"

#include <sys/stat.h>

#include <utility>

#include "log/logger_log.h"

namespace tool {
namespace {

constexpr char kTag[] = "Lifecheck";

// The file's modification time to the microsecond (Poco::File gives whole
// seconds only); false when the file cannot be examined.
bool ReadModificationTime(const std::string& path, Poco::Timestamp* modified) {
  struct stat status;
  if (stat(path.c_str(), &status) != 0) return false;
  *modified = Poco::Timestamp(
      static_cast<Poco::Timestamp::TimeVal>(status.st_mtim.tv_sec) *
          Poco::Timestamp::resolution() +
      status.st_mtim.tv_nsec / 1000);
  return true;
}

}  // namespace

Lifecheck::Lifecheck(std::string filePath, long periodMilliseconds,
                     Poco::Int64 allowedAgeMilliseconds,
                     std::function<void()> onTimeOver)
    : filePath_(std::move(filePath)),
      periodMilliseconds_(periodMilliseconds),
      allowedAgeMilliseconds_(allowedAgeMilliseconds),
      onTimeOver_(std::move(onTimeOver)) {}

Lifecheck::~Lifecheck() { Stop(); }

void Lifecheck::Start() {
  std::lock_guard<std::mutex> lock(timerMutex_);
  if (timer_) return;
  auto timer =
      std::make_unique<Poco::Timer>(periodMilliseconds_, periodMilliseconds_);
  timer->start(Poco::TimerCallback<Lifecheck>(*this, &Lifecheck::OnTick));
  timer_ = std::move(timer);
  LoggerLog::Debug(kTag, "Set Lifecheck interval [" +
                             std::to_string(periodMilliseconds_) +
                             "] file path[" + filePath_ + "]");
}

void Lifecheck::Stop() {
  std::lock_guard<std::mutex> lock(timerMutex_);
  if (!timer_) return;
  timer_->stop();
  timer_.reset();
}

bool Lifecheck::IsTimeOver(const Poco::Timestamp& now,
                           const Poco::Timestamp& modified,
                           Poco::Int64 allowedAgeMilliseconds) {
  // Integer division truncates toward zero, in the future as in the past.
  const Poco::Int64 ageMilliseconds = (now - modified) / 1000;
  return ageMilliseconds < -allowedAgeMilliseconds ||
         ageMilliseconds > allowedAgeMilliseconds;
}

void Lifecheck::OnTick(Poco::Timer&) {
  // Nothing may escape into the timer's thread: a failed tick is passed
  // over like a missing file.
  try {
    Poco::Timestamp modified;
    if (!ReadModificationTime(filePath_, &modified)) return;
    if (!IsTimeOver(Poco::Timestamp(), modified, allowedAgeMilliseconds_)) {
      return;
    }
    LoggerLog::Info(kTag, "Time over");
    onTimeOver_();
  } catch (...) {
  }
}

}  // namespace tool
