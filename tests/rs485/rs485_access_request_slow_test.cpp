#include <Poco/AutoPtr.h>
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "rs485/com_service_test.h"
#include "rs485/fake_com_service.h"
#include "rs485/recording_callback.h"
#include "rs485/rs485_access_request.h"
#include "rs485/rs485_record_layout.h"

namespace tool {
namespace {

using ComServiceSlowTest = testing::ComServiceTest;

// A service that answers but never closes the connection: the reply is only
// complete when the connection ends, so the receive time-out decides.
TEST_F(ComServiceSlowTest, ReplyWithoutCloseTimesOutAfterTenSeconds) {
  testing::FakeComService service(SocketPath());
  service.Answer(testing::FakeComService::ReplyRecord(0, {1, 2, 3}),
                 /*keepOpen=*/true);
  testing::RecordingCallback callback;
  std::vector<std::uint8_t> data(record::kAccessRecordSize);
  const auto start = std::chrono::steady_clock::now();
  {
    Poco::AutoPtr<RS485AccessRequest> request(
        new RS485AccessRequest(&callback, Settings()));
    request->SetAccessData(data.data(), data.size());
    request->Process();
  }
  const auto elapsed = std::chrono::steady_clock::now() - start;
  const auto results = callback.Results();
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].code, RS485AccessRequest::kReadFailed);
  EXPECT_GE(elapsed, std::chrono::milliseconds(9500));
}

}  // namespace
}  // namespace tool
