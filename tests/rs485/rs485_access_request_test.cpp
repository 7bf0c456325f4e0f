#include "rs485/rs485_access_request.h"

#include <Poco/AutoPtr.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "rs485/com_service_test.h"
#include "rs485/fake_com_service.h"
#include "rs485/recording_callback.h"
#include "rs485/rs485_record_layout.h"

namespace tool {
namespace {

using ::testing::ElementsAre;
using testing::FakeComService;
using ::testing::IsEmpty;
using testing::RecordingCallback;

class AccessRequestTest : public testing::ComServiceTest {
 protected:
  AccessRequestTest() : record_(record::kAccessRecordSize) {
    for (size_t i = 0; i < record_.size(); ++i) record_[i] = i % 251;
  }

  // Makes one exchange on this thread and returns what was reported.
  std::vector<RecordingCallback::Result> Exchange(
      const LoggerSettingXmlManager& settings, bool cancel = false) {
    {
      Poco::AutoPtr<RS485AccessRequest> request(
          new RS485AccessRequest(&callback_, settings));
      request->SetAccessData(record_.data(), record_.size());
      if (cancel) request->Cancel();
      request->Process();
    }
    return callback_.Results();
  }

  std::vector<std::uint8_t> record_;
  RecordingCallback callback_;
};

TEST_F(AccessRequestTest, UnreachableServiceFailsToConnect) {
  const auto missing = Exchange(Settings());
  ASSERT_EQ(missing.size(), 1u);
  EXPECT_EQ(missing[0].code, RS485AccessRequest::kConnectFailed);
  EXPECT_THAT(missing[0].reply, IsEmpty());

  // 108 characters do not fit sockaddr_un with its terminating zero.
  const auto tooLong = SettingsWithSocketPath("/tmp/" + std::string(103, 'x'));
  const auto results = Exchange(*tooLong);
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[1].code, RS485AccessRequest::kConnectFailed);
  EXPECT_EQ(callback_.Dropped(), 0);
}

TEST_F(AccessRequestTest, ServiceClosingWithoutReplyGivesAnAllZeroRecord) {
  FakeComService service(SocketPath());
  const auto results = Exchange(Settings());
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].code, RS485AccessRequest::kOk);
  ASSERT_EQ(results[0].reply.size(), record::kReplyRecordSize);
  EXPECT_TRUE(std::all_of(results[0].reply.begin(), results[0].reply.end(),
                          [](std::uint8_t b) { return b == 0; }));
  EXPECT_THAT(service.Records(), ElementsAre(record_));
}

TEST_F(AccessRequestTest, FullReplyBufferEndsTheReadWhileTheServiceStaysOpen) {
  FakeComService service(SocketPath());
  std::vector<std::uint8_t> reply(record::kReplyRecordSize);
  for (size_t i = 0; i < reply.size(); ++i) reply[i] = 1 + i % 253;
  service.Answer(reply, /*keepOpen=*/true);
  const auto results = Exchange(Settings());
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].code, RS485AccessRequest::kOk);
  EXPECT_EQ(results[0].reply, reply);
}

TEST_F(AccessRequestTest, ReplyEndingInsideItsAnnouncedFrameIsAFailedRead) {
  FakeComService service(SocketPath());
  const std::vector<std::uint8_t> whole =
      FakeComService::ReplyRecord(0, {0x01, 0x46, 0x05, 0xD2, 0x63});
  // The first three frame bytes would pass a Modbus judgement on their own.
  service.Answer({whole.begin(), whole.end() - 2});
  auto results = Exchange(Settings());
  service.Answer(whole);
  results = Exchange(Settings());
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[0].code, RS485AccessRequest::kReadFailed);
  EXPECT_EQ(results[1].code, RS485AccessRequest::kOk);
}

TEST_F(AccessRequestTest, AbortEndsAWaitingExchangeAndPreventsALaterOne) {
  FakeComService service(SocketPath());
  service.Answer({}, /*keepOpen=*/true);  // reads the record, never answers
  Poco::AutoPtr<RS485AccessRequest> request(
      new RS485AccessRequest(&callback_, Settings()));
  request->SetAccessData(record_.data(), record_.size());
  std::thread worker([&] { request->Process(); });
  ASSERT_TRUE(service.AwaitRecords(1));
  const auto aborting = std::chrono::steady_clock::now();
  request->Abort();
  worker.join();
  EXPECT_LT(std::chrono::steady_clock::now() - aborting,
            std::chrono::seconds(2));

  Poco::AutoPtr<RS485AccessRequest> aborted(
      new RS485AccessRequest(&callback_, Settings()));
  aborted->SetAccessData(record_.data(), record_.size());
  aborted->Abort();
  aborted->Process();
  const auto results = callback_.Results();
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[0].code, RS485AccessRequest::kReadFailed);
  EXPECT_EQ(results[1].code, RS485AccessRequest::kConnectFailed);
  EXPECT_EQ(service.Records().size(), 1u);  // the second never connected
}

TEST_F(AccessRequestTest, CancelledRequestReportsFailuresButNotSuccess) {
  {
    FakeComService service(SocketPath());
    EXPECT_THAT(Exchange(Settings(), /*cancel=*/true), IsEmpty());
    EXPECT_EQ(service.Records().size(), 1u);  // the exchange still took place
    EXPECT_EQ(callback_.Dropped(), 1);
  }
  const auto results = Exchange(Settings(), /*cancel=*/true);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].code, RS485AccessRequest::kConnectFailed);
}

}  // namespace
}  // namespace tool
