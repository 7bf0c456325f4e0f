#ifndef TOOL_TESTS_RS485_RECORDING_CALLBACK_H_
#define TOOL_TESTS_RS485_RECORDING_CALLBACK_H_

#include <cstdint>
#include <mutex>
#include <vector>

#include "rs485/rs485_access_request_callback.h"

namespace tool {
namespace testing {

// Keeps what an access request reported: each OnResult's code with a copy
// of the whole reply record, and how often OnDropped ran.
class RecordingCallback : public RS485AccessRequestCallback {
 public:
  struct Result {
    int code;
    std::vector<std::uint8_t> reply;  // empty for a null reply
  };

  void OnResult(int code, const std::uint8_t* reply) override;
  void OnDropped() override;

  std::vector<Result> Results() const;
  int Dropped() const;

 private:
  mutable std::mutex mutex_;
  std::vector<Result> results_;
  int dropped_ = 0;
};

}  // namespace testing
}  // namespace tool

#endif  // TOOL_TESTS_RS485_RECORDING_CALLBACK_H_
