// The device-setting operations as Wattlet has them: the KM50's serial
// parameters, its baud codes passed on as they are, and the CompoWay/F
// judgement chosen by the check kind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "command/km50/wattlet_profile.h"
#include "main/tool_manager.h"
#include "rs485/com_service_test.h"
#include "rs485/fake_com_service.h"
#include "rs485/rs485_record_layout.h"
#include "rs485/send_device_setting_command_result.h"

namespace tool {
namespace {

using Bytes = std::vector<std::uint8_t>;

class WattletDeviceSettingTest : public testing::ComServiceTest {
 protected:
  WattletDeviceSettingTest()
      : service_(SocketPath()),
        manager_(wattlet::kWattletProfile, 0, Settings()) {
    manager_.CreateChannelControllers();
  }
  ~WattletDeviceSettingTest() override { manager_.ReleaseChannelControllers(); }

  testing::FakeComService service_;
  ToolManager manager_;
};

TEST_F(WattletDeviceSettingTest, SerialParametersOfTheKm50) {
  const PortComParams expected[] = {
      {2, 0, 255}, {2, 2, 255}, {2, 0, 0},   {2, 2, 0}, {2, 0, 1},
      {2, 2, 1},   {3, 0, 255}, {3, 2, 255}, {3, 0, 0}, {3, 2, 0},
      {3, 0, 1},   {3, 2, 1},   {2, 2, 0}};
  for (unsigned param = 0; param <= 12; ++param) {
    const PortComParams codes = manager_.GetPortComParams(param);
    EXPECT_EQ(codes.dataBit, expected[param].dataBit) << param;
    EXPECT_EQ(codes.stopBit, expected[param].stopBit) << param;
    EXPECT_EQ(codes.parity, expected[param].parity) << param;
  }
}

TEST_F(WattletDeviceSettingTest, BaudGoesOutUnchangedAndEndCodeJudges) {
  // Echoback test for node 01, answered with end code 00, then 0F.
  const std::string text = "0100008011234";
  Bytes command = {0x10, 0x00, 0x02};
  command.insert(command.end(), text.begin(), text.end());
  command.push_back(0x03);
  command.push_back(0x3F);
  const std::string answer =
      "0100"
      "00"
      "0801"
      "0000"
      "1234";
  Bytes good = {0x02};
  good.insert(good.end(), answer.begin(), answer.end());
  good.push_back(0x03);
  good.push_back(0x00);  // not examined
  Bytes bad = good;
  bad[6] = 'F';
  service_.AnswerCommands({testing::FakeComService::ReplyRecord(0, good),
                           testing::FakeComService::ReplyRecord(0, bad)});
  const std::vector<const std::uint8_t*> datalist = {command.data()};
  const std::vector<int> sizelist = {static_cast<int>(command.size())};
  const int kCompowayF = SendDeviceSettingCommandResult::kCompowayF;

  // Channel 2, baud code 7, address 1, serial parameters 12.
  const DeviceConnectionParams params = {kCompowayF, 2, 7, 1, 12};
  EXPECT_TRUE(manager_.DeviceSettingConnection(params, datalist, sizelist));
  EXPECT_FALSE(manager_.DeviceSettingConnection(params, datalist, sizelist));
  const Bytes port = service_.Records().at(0);
  EXPECT_EQ(port[record::kBaudCodeOffset], 7);
  EXPECT_EQ(port[record::kPortParamsOffset + 1], 0x1A);  // like setting 3
}

TEST(WattletJudgementTest, ModbusReplyMustRepeatFourRequestBytes) {
  // Diagnostics 0x0000 to slave 0x11: the sub-function's second byte counts.
  auto sent = std::make_shared<ByteDataHolder>(10);
  const Bytes request = {0x08, 0x00, 0x11, 0x08, 0x00, 0x00, 0x12, 0x34};
  std::copy(request.begin(), request.end(), sent->GetData());
  const SendDeviceSettingCommandResult result(
      sent, SendDeviceSettingCommandResult::kModbus,
      wattlet::kWattletProfile.modbusCompareLength);
  auto reply = [](std::uint8_t fourth) {
    auto holder = std::make_shared<ByteDataHolder>(9);
    const Bytes bytes = {0x06, 0x00, 0x00, 0x11, 0x08, 0x00, fourth, 0, 0};
    std::copy(bytes.begin(), bytes.end(), holder->GetData());
    return holder;
  };
  EXPECT_TRUE(result.CheckReceivedData(reply(0x00)));
  EXPECT_FALSE(result.CheckReceivedData(reply(0x01)));
  // Too short to hold the four bytes.
  auto shortReply = std::make_shared<ByteDataHolder>(6);
  EXPECT_FALSE(result.CheckReceivedData(shortReply));
}

}  // namespace
}  // namespace tool
