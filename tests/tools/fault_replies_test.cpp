// The bytes of the stand-in's faulty replies, frame by frame and record by
// record.
#include "rs485_stand_in/fault_replies.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "rs485_stand_in/compoway_frame.h"
#include "rs485_stand_in/modbus_crc.h"
#include "rs485_stand_in/reply_record.h"

namespace stand_in {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Framed(Bytes body) {
  AppendModbusCrc(&body);
  return body;
}

// The weather sensor's probe of slave 10 and the KM50's echoback test of
// node 01 with its normal answer.
const Bytes kProbe = {0x0a, 0x46, 0x05, 0xa3, 0xa1};
const Bytes kEchoback = MakeCompowayFrame("0100008011234");
const Bytes kEchobackAnswer = MakeCompowayFrame("010000080100001234");

int32_t Status(const Bytes& record) {
  int32_t status;
  std::memcpy(&status, record.data() + 64, 4);
  return status;
}

int16_t LengthField(const Bytes& record) {
  return static_cast<int16_t>(record[68] | record[69] << 8);
}

TEST(ExceptionAnswerTest, ModbusRequestGetsExceptionOfItsFunction) {
  EXPECT_EQ(ExceptionAnswer(kProbe), (Bytes{0x0a, 0xc6, 0x04, 0x03, 0xa1}));
  EXPECT_EQ(ExceptionAnswer(Framed({0x11, 0x08, 0x00, 0x00, 0x12, 0x34})),
            Framed({0x11, 0x88, kFaultExceptionCode}));
  EXPECT_EQ(ExceptionAnswer({0x05}), Framed({0x05, 0x80, 0x04}));
  EXPECT_EQ(ExceptionAnswer({}), Framed({0x00, 0x80, 0x04}));
}

TEST(ExceptionAnswerTest, CompowayRequestGetsEndCode0FWithARightBcc) {
  EXPECT_EQ(CompowayFrameText(ExceptionAnswer(kEchoback)), "01000F08010401");
  EXPECT_EQ(
      CompowayFrameText(ExceptionAnswer(MakeCompowayFrame("0500030050700"))),
      "05000F30050401");
  // Too short to carry request codes.
  EXPECT_EQ(CompowayFrameText(ExceptionAnswer(MakeCompowayFrame("01"))),
            "010F00000401");
}

TEST(OtherAddressAnswerTest, ModbusAnswerComesFromTheNextAddress) {
  const Bytes other = OtherAddressAnswer(kProbe);
  EXPECT_EQ(other, Framed({0x0b, 0x46, 0x05}));
  EXPECT_TRUE(HasValidModbusCrc(other));
  EXPECT_EQ(OtherAddressAnswer(Framed({0xff, 0x46, 0x05})),
            Framed({0x00, 0x46, 0x05}));
  // Too short for a check value: only the address changes.
  EXPECT_EQ(OtherAddressAnswer({0x01, 0x02}), (Bytes{0x02, 0x02}));
  EXPECT_EQ(OtherAddressAnswer({}), Bytes());
}

TEST(OtherAddressAnswerTest, CompowayAnswerComesFromTheNextNode) {
  EXPECT_EQ(CompowayFrameText(OtherAddressAnswer(kEchobackAnswer)),
            "020000080100001234");
  EXPECT_EQ(
      CompowayFrameText(OtherAddressAnswer(MakeCompowayFrame("9900000801"))),
      "0000000801");
  EXPECT_EQ(CompowayFrameText(OtherAddressAnswer(MakeCompowayFrame("x1000"))),
            "00000");
  EXPECT_EQ(CompowayFrameText(OtherAddressAnswer(MakeCompowayFrame("7"))),
            "00");
}

TEST(TruncatedReplyRecordTest, AnnouncesTheWholeFrameAndCarriesHalf) {
  const Bytes record = TruncatedReplyRecord(kProbe);
  ASSERT_EQ(record.size(), kReplyHeaderSize + 3);
  EXPECT_EQ(Status(record), 0);
  EXPECT_EQ(LengthField(record), 5);
  EXPECT_EQ(Bytes(record.begin() + kReplyHeaderSize, record.end()),
            Bytes(kProbe.begin(), kProbe.begin() + 3));

  const Bytes even = TruncatedReplyRecord(kEchobackAnswer);
  EXPECT_EQ(LengthField(even), 21);
  EXPECT_EQ(even.size(), kReplyHeaderSize + 11);

  const Bytes two = TruncatedReplyRecord({0x01, 0x02});
  EXPECT_EQ(two.size(), kReplyHeaderSize + 1);
  const Bytes one = TruncatedReplyRecord({0x01});
  EXPECT_EQ(one.size(), kReplyHeaderSize);
  EXPECT_EQ(LengthField(one), 1);
  const Bytes none = TruncatedReplyRecord({});
  EXPECT_EQ(none.size(), kReplyHeaderSize);
  EXPECT_EQ(LengthField(none), 0);
}

TEST(LengthFieldReplyRecordTest, WritesTheFieldAsGivenBeforeTheWholeFrame) {
  for (const int16_t length :
       {int16_t{-1}, int16_t{20000}, int16_t{-32768}, int16_t{0}, int16_t{4}}) {
    SCOPED_TRACE(length);
    const Bytes record = LengthFieldReplyRecord(kProbe, length);
    ASSERT_EQ(record.size(), kReplyHeaderSize + kProbe.size());
    EXPECT_EQ(Status(record), 0);
    EXPECT_EQ(LengthField(record), length);
    EXPECT_EQ(Bytes(record.begin() + kReplyHeaderSize, record.end()), kProbe);
  }
  const Bytes record = LengthFieldReplyRecord(kProbe, -1);
  EXPECT_EQ(record[68], 0xff);
  EXPECT_EQ(record[69], 0xff);
}

TEST(RandomReplyRecordTest, SameBytesForSameSeedAndRecordOnEveryRun) {
  // Pinned: the engine and its seeding are fixed by the C++ standard.
  const Bytes first = RandomReplyRecord(1, 0);
  ASSERT_EQ(first.size(), 3494u);
  EXPECT_EQ(Bytes(first.begin(), first.begin() + 4),
            (Bytes{0x39, 0x43, 0x4c, 0x82}));
  EXPECT_EQ(RandomReplyRecord(1, 0), first);
  EXPECT_EQ(RandomReplyRecord(1, 1).size(), 7296u);
  EXPECT_NE(RandomReplyRecord(2, 0), first);
  for (uint32_t record = 0; record < 50; ++record) {
    EXPECT_LE(RandomReplyRecord(7, record).size(), kMaxReplySize);
  }
}

}  // namespace
}  // namespace stand_in
