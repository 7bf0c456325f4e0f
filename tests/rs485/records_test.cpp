// The bytes exchanged with the communication service: buffers, access
// records, port parameters, reply holders and the reply judgement.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <future>
#include <memory>
#include <vector>

#include "log/logger_setting_xml_manager.h"
#include "rs485/byte_data_holder.h"
#include "rs485/com_service_test.h"
#include "rs485/device_com_process_access_data.h"
#include "rs485/rs485_access_request.h"
#include "rs485/rs485_device_set_port_params_utility.h"
#include "rs485/rs485_record_layout.h"
#include "rs485/rs485_send_command_request.h"
#include "rs485/send_device_setting_command_result.h"

namespace tool {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using Bytes = std::vector<std::uint8_t>;
using Utility = RS485DeviceSetPortParamsUtility;

std::shared_ptr<ByteDataHolder> Holder(const Bytes& bytes) {
  auto holder = std::make_shared<ByteDataHolder>(bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i) holder->GetData()[i] = bytes[i];
  return holder;
}

Bytes BytesOf(const ByteDataHolder& holder) {
  return Bytes(holder.GetData(), holder.GetData() + holder.GetSize());
}

Bytes RecordBytes(const DeviceComProcessAccessData& data, int from, int count) {
  return Bytes(data.GetBuffer() + from, data.GetBuffer() + from + count);
}

TEST(ByteDataHolderTest, StartsZeroedAndCopiesOnlyWhenAllBytesFit) {
  ByteDataHolder holder(4);
  EXPECT_THAT(BytesOf(holder), ElementsAre(0, 0, 0, 0));
  EXPECT_EQ(ByteDataHolder(0).ToHexString(), "");
  EXPECT_EQ(Holder({0x05, 0x00, 0x01, 0xD2})->ToHexString(), "050001d2");

  const auto source = Holder({1, 2, 3, 4});
  Bytes destination(4, 0xEE);
  EXPECT_FALSE(source->CopyTo(destination.data(), 3));
  EXPECT_THAT(destination, ElementsAre(0xEE, 0xEE, 0xEE, 0xEE));
  EXPECT_TRUE(source->CopyTo(destination.data(), 4));
  EXPECT_THAT(destination, ElementsAre(1, 2, 3, 4));

  EXPECT_TRUE(source->Equals(destination.data(), 4));
  EXPECT_FALSE(source->Equals(destination.data(), 3));
}

TEST(AccessRecordTest, NewRecordHoldsOnlyItsHeader) {
  DeviceComProcessAccessData data(2, 7);
  Bytes expected(record::kAccessRecordSize, 0);
  expected[0] = 0xBD;
  expected[1] = 0x10;
  expected[8] = 2;
  expected[12] = 1;
  EXPECT_EQ(RecordBytes(data, 0, data.GetSize()), expected);
  EXPECT_EQ(data.GetSize(), 4285);

  data.GetBuffer()[4000] = 0x5A;
  const auto copy = DeviceComProcessAccessData::Clone(data);
  EXPECT_EQ(copy->GetPortIndex(), 2);
  EXPECT_EQ(copy->GetBaudCode(), 7);
  EXPECT_EQ(RecordBytes(*copy, 0, 4285), RecordBytes(data, 0, 4285));
}

TEST(AccessRecordTest, PortParameterBlockAndEncodings) {
  Bytes block(record::kPortParamsSize);
  Utility::SetSetPortParams(block.data(), 17, 3, 0, 0);
  EXPECT_THAT(block, ElementsAre(0x01, 0x13, 0xF4, 0x01, 0x01, 0x00, 0x02));
  Utility::SetSetPortParams(nullptr, 1, 3, 0, 0);

  EXPECT_EQ(Utility::GetDataFormat(3, 2, 255), 11);
  EXPECT_EQ(Utility::GetDataFormat(3, 0, 0), 19);
  EXPECT_EQ(Utility::GetDataFormat(3, 0, 1), 51);
  EXPECT_EQ(Utility::GetDataFormat(2, 2, 1), 58);
  // Unlisted codes encode as 0; codes are cut to 16 bits first.
  EXPECT_EQ(Utility::GetDataFormat(4, 3, 2), 0);
  EXPECT_EQ(Utility::GetParityCode(0x10001), 48);
  EXPECT_EQ(Utility::GetDelimiterByte(0x1234, 99), 0x34);
  EXPECT_EQ(Utility::GetComWaitTime(10, 1), 2);
  EXPECT_EQ(Utility::GetComWaitTime(10, 0), 125);
  EXPECT_EQ(Utility::GetComWaitTime(100, 0), 255);
}

using SendDataTest = testing::ComServiceTest;

TEST_F(SendDataTest, CommandBytesGoAfterTheFrameFlag) {
  DeviceComProcessAccessData data(0, 1);
  const Bytes command = {0x05, 0x00, 0x01, 0x46, 0x05, 0xD2, 0x63};
  ASSERT_TRUE(data.SetSendData(1, command.data(), command.size()));
  EXPECT_EQ(data.GetBuffer()[69], 1);
  EXPECT_EQ(data.GetBuffer()[286], 1);
  EXPECT_EQ(RecordBytes(data, 287, 7), command);
  EXPECT_EQ(data.GetBuffer()[294], 0);
  EXPECT_THAT(LoggedMessages(),
              Contains("DeviceComProcessAccessData SetSendData:54 adress:1, "
                       "size:7"));
}

TEST_F(SendDataTest, CommandBytesMustFitTheRecord) {
  DeviceComProcessAccessData data(0, 1);
  const Bytes longest(3998, 0xAB);
  ASSERT_TRUE(data.SetSendData(1, longest.data(), longest.size()));
  EXPECT_EQ(data.GetBuffer()[4284], 0xAB);

  DeviceComProcessAccessData untouched(0, 1);
  const Bytes tooLong(3999, 0xAB);
  EXPECT_FALSE(untouched.SetSendData(1, tooLong.data(), tooLong.size()));
  EXPECT_FALSE(untouched.SetSendData(1, tooLong.data(), -1));
  EXPECT_EQ(RecordBytes(untouched, 0, 4285),
            RecordBytes(DeviceComProcessAccessData(0, 1), 0, 4285));
}

// No settings file: the socket path, which nothing here reads, is the
// default.
const LoggerSettingXmlManager& NoSettings() {
  static const LoggerSettingXmlManager settings("");
  return settings;
}

// The reply holder a command exchange delivers for a reply record.
std::shared_ptr<ByteDataHolder> ReplyFor(int code, int status, int length,
                                         const Bytes& frame = {}) {
  Bytes reply(record::kReplyRecordSize, 0);
  record::StoreUint32(reply.data() + 64, status);
  record::StoreUint16(reply.data() + 68, static_cast<std::uint16_t>(length));
  reply[70] = 0x77;
  std::copy(frame.begin(), frame.end(), reply.begin() + 71);
  RS485SendCommandRequest request(NoSettings());
  auto future = request.GetFuture();
  request.OnResult(code, code == 0 ? reply.data() : nullptr);
  request.OnResult(code, reply.data());  // a second outcome changes nothing
  return future.get();
}

TEST(SendCommandRequestTest, ReplyHolderIsLengthByteAndFrame) {
  const Bytes frame = {1, 0x46, 5, 0, 0, 0, 0xAA, 0xBB};
  const auto reply = ReplyFor(0, 0, 8, frame);
  ASSERT_NE(reply, nullptr);
  EXPECT_THAT(BytesOf(*reply),
              ElementsAre(8, 0, 0x77, 1, 0x46, 5, 0, 0, 0, 0xAA, 0xBB));
  EXPECT_EQ(ReplyFor(0, 0, 0)->GetSize(), 3);
  EXPECT_EQ(ReplyFor(0, 0, 13668)->GetSize(), 13671);
}

TEST(SendCommandRequestTest, FailuresAndImpossibleLengthsGiveNoReply) {
  EXPECT_EQ(ReplyFor(0, 1, 8), nullptr);
  EXPECT_EQ(ReplyFor(0, -1, 8), nullptr);
  EXPECT_EQ(ReplyFor(RS485AccessRequest::kConnectFailed, 0, 8), nullptr);
  EXPECT_EQ(ReplyFor(0, 0, -1), nullptr);
  EXPECT_EQ(ReplyFor(0, 0, 13669), nullptr);

  RS485SendCommandRequest dropped(NoSettings());
  auto future = dropped.GetFuture();
  dropped.OnDropped();
  EXPECT_EQ(future.get(), nullptr);
}

using JudgementTest = testing::ComServiceTest;

constexpr int kModbus = SendDeviceSettingCommandResult::kModbus;
constexpr int kCompowayF = SendDeviceSettingCommandResult::kCompowayF;
// The weather sensor's replies repeat three request bytes.
constexpr int kCompareLength = 3;

bool Judge(const Bytes& sent, const Bytes& reply, int kind) {
  return SendDeviceSettingCommandResult(Holder(sent), kind, kCompareLength)
      .CheckReceivedData(Holder(reply));
}

TEST_F(JudgementTest, MissingOrTooShortDataIsAnError) {
  EXPECT_FALSE(SendDeviceSettingCommandResult(nullptr, kModbus, kCompareLength)
                   .CheckReceivedData(Holder({3, 0, 0, 1, 0x46, 5})));
  EXPECT_FALSE(SendDeviceSettingCommandResult(Holder({5, 0, 1, 0x46, 5}),
                                              kCompowayF, kCompareLength)
                   .CheckReceivedData(nullptr));
  EXPECT_THAT(LoggedMessages(),
              Contains("SendDeviceSettingCommandResult Received Error [data "
                       "null]"));
  EXPECT_FALSE(Judge({5, 0}, {3, 0, 0, 1, 0x46, 5}, kModbus));
  EXPECT_FALSE(Judge({5, 0, 1, 0x46, 5}, {3, 0, 0}, kModbus));
  EXPECT_THAT(LoggedMessages(),
              Contains("SendDeviceSettingCommandResult Received Error [size "
                       "error]"));
}

TEST_F(JudgementTest, ModbusReplyMustRepeatTheFirstRequestBytes) {
  const Bytes sent = {5, 0, 0x01, 0x46, 0x05, 0xD2, 0x63};
  EXPECT_TRUE(Judge(sent, {5, 0, 0, 0x01, 0x46, 0x05, 0x00, 0x00}, kModbus));
  EXPECT_FALSE(Judge(sent, {5, 0, 0, 0x01, 0x46, 0x06, 0x00, 0x00}, kModbus));
  EXPECT_FALSE(Judge(sent, {5, 0, 0, 0x01, 0xC6, 0x05, 0x00, 0x00}, kModbus));
  // Passes the size test but ends before the compared bytes.
  EXPECT_FALSE(Judge(sent, {2, 0, 0, 0x01, 0x46}, kModbus));
  EXPECT_THAT(LoggedMessages(),
              Contains("SendDeviceSettingCommandResult Received Data "
                       "[0500000146050000]"));
}

TEST_F(JudgementTest, CompowayFReplyIsJudgedByItsEndCode) {
  const Bytes sent = {5, 0, 0x02, 0x30, 0x31, 0x03, 0x00};
  //                  length  STX  node "01" sub "00" end code   MRC
  const Bytes head = {9, 0, 0, 0x02, 0x30, 0x31, 0x30, 0x30};
  Bytes ok = head, bad = head;
  ok.insert(ok.end(), {0x30, 0x30, 0x30});
  bad.insert(bad.end(), {0x30, 0x46, 0x30});
  EXPECT_TRUE(Judge(sent, ok, kCompowayF));
  EXPECT_FALSE(Judge(sent, bad, kCompowayF));
  EXPECT_FALSE(Judge(sent, Bytes(ok.begin(), ok.begin() + 9), kCompowayF));
  const auto messages = LoggedMessages();
  EXPECT_THAT(messages[messages.size() - 3],
              ::testing::EndsWith("EndCode:0x4630"));
}

}  // namespace
}  // namespace tool
