#include "rs485/rs485_channel_controller.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <future>
#include <thread>
#include <utility>
#include <vector>

#include "rs485/com_service_test.h"
#include "rs485/fake_com_service.h"
#include "rs485/rs485_access_request.h"
#include "rs485/rs485_record_layout.h"
#include "rs485/rs485_send_command_request.h"

namespace tool {
namespace {

using ::testing::ElementsAre;
using Bytes = std::vector<std::uint8_t>;
using testing::FakeComService;

class ChannelControllerTest : public testing::ComServiceTest {
 protected:
  static Bytes Field(const Bytes& record, int from, int count) {
    return Bytes(record.begin() + from, record.begin() + from + count);
  }
};

TEST_F(ChannelControllerTest, EachConnectionSendsOnePortSettingRecord) {
  FakeComService service(SocketPath());
  RS485ChannelController controller(2, Settings());
  EXPECT_EQ(controller.GetAccessData(), nullptr);

  controller.StartLogging(2, 3, 5, 3, 0, 0);
  ASSERT_TRUE(service.AwaitRecords(1));
  // A second start while connected changes nothing, not even the baud code.
  controller.StartLogging(2, 9, 5, 2, 2, 1);
  EXPECT_EQ(controller.GetAccessData()->GetBuffer()[record::kBaudCodeOffset],
            3);
  controller.StopLogging();
  EXPECT_EQ(controller.GetAccessData(), nullptr);

  const auto records = service.Records();
  ASSERT_EQ(records.size(), 1u);
  const Bytes& port = records[0];
  ASSERT_EQ(port.size(), 4285u);
  EXPECT_THAT(Field(port, 0, 4), ElementsAre(0xBD, 0x10, 0, 0));
  EXPECT_THAT(Field(port, 8, 4), ElementsAre(1, 0, 0, 0));  // port index
  EXPECT_THAT(Field(port, 64, 4), ElementsAre(2, 0, 0, 0));
  EXPECT_THAT(Field(port, 68, 8),
              ElementsAre(3, 0x01, 0x13, 0xF4, 0x01, 0x01, 0x00, 0x02));
  EXPECT_EQ(port[286], 0);  // no frame

  // The next connection starts afresh.
  controller.StartLogging(2, 4, 5, 3, 0, 0);
  ASSERT_TRUE(service.AwaitRecords(2));
  controller.StopLogging();
  EXPECT_EQ(service.Records()[1][68], 4);
}

TEST_F(ChannelControllerTest,
       CommandExchangeCarriesTheFrameAndDeliversTheReply) {
  FakeComService service(SocketPath());
  service.Answer(FakeComService::ReplyRecord(0, {0x01, 0x46, 0x05, 0xAA}));
  RS485ChannelController controller(3, Settings());
  controller.StartLogging(3, 1, 1, 3, 0, 0);

  const auto data = controller.GetAccessData();
  const Bytes command = {5, 0, 0x01, 0x46, 0x05, 0xD2, 0x63};
  ASSERT_TRUE(data->SetSendData(1, command.data(), command.size()));
  RS485SendCommandRequest request(Settings());
  auto reply = request.GetFuture();
  RS485AccessRequest* access = request.CreateAccessRequest();
  access->SetAccessData(data->GetBuffer(), data->GetSize());
  controller.PushAccessRequest(access);
  const auto holder = reply.get();

  ASSERT_NE(holder, nullptr);
  EXPECT_EQ(holder->ToHexString(), "040000014605aa");
  // The port setting goes out from the worker thread, before or after the
  // command, on the same channel.
  ASSERT_TRUE(service.AwaitRecords(2));
  controller.StopLogging();
  auto records = service.Records();
  ASSERT_EQ(records.size(), 2u);
  if (records[0][286] == 1) std::swap(records[0], records[1]);
  EXPECT_EQ(records[0][286], 0);
  EXPECT_EQ(records[1][286], 1);
  EXPECT_EQ(records[1][64], 3);
  EXPECT_EQ(Field(records[1], 287, 7), command);
}

TEST_F(ChannelControllerTest, WithoutServiceThePortSettingFailureIsLogged) {
  RS485ChannelController controller(1, Settings());
  controller.StartLogging(1, 1, 1, 3, 0, 0);
  EXPECT_TRUE(AwaitMessage("RS485ChannelController Received Error [-2]"));
  EXPECT_TRUE(AwaitMessage(
      "RS485ChannelController tool communication failed. error_code:[-2] "
      "status:[0]"));
  // The worker is now idle in its wait steps; Stop cuts the current one
  // short. The bound leaves room for a loaded machine.
  const auto start = std::chrono::steady_clock::now();
  controller.StopLogging();
  EXPECT_LT(std::chrono::steady_clock::now() - start,
            std::chrono::milliseconds(1000));
}

TEST_F(ChannelControllerTest, NonZeroStatusOfThePortSettingIsLogged) {
  FakeComService service(SocketPath());
  service.Answer(FakeComService::ReplyRecord(5, {}));
  RS485ChannelController controller(1, Settings());
  controller.StartLogging(1, 1, 1, 3, 0, 0);
  EXPECT_TRUE(AwaitMessage(
      "RS485ChannelController tool communication failed. error_code:[0] "
      "status:[5]"));
  controller.StopLogging();
}

}  // namespace
}  // namespace tool
