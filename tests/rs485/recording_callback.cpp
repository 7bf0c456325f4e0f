#include "rs485/recording_callback.h"

#include "rs485/rs485_record_layout.h"

namespace tool {
namespace testing {

void RecordingCallback::OnResult(int code, const std::uint8_t* reply) {
  std::lock_guard<std::mutex> lock(mutex_);
  results_.push_back(
      {code, reply == nullptr ? std::vector<std::uint8_t>()
                              : std::vector<std::uint8_t>(
                                    reply, reply + record::kReplyRecordSize)});
}

void RecordingCallback::OnDropped() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++dropped_;
}

std::vector<RecordingCallback::Result> RecordingCallback::Results() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return results_;
}

int RecordingCallback::Dropped() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return dropped_;
}

}  // namespace testing
}  // namespace tool
