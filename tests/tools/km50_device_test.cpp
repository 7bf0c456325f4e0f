// Drives the stand-in's KM50 model with CompoWay/F and Modbus RTU frames and
// line settings directly, and makes it from --device values as the command
// line does.
#include "rs485_stand_in/km50_device.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "rs485_stand_in/compoway_frame.h"
#include "rs485_stand_in/device_kinds.h"
#include "rs485_stand_in/line_settings.h"
#include "rs485_stand_in/modbus_crc.h"

namespace stand_in {
namespace {

using Bytes = std::vector<uint8_t>;
using Answer = std::optional<Bytes>;

LineSettings Line(uint8_t baudCode, uint8_t format) {
  LineSettings settings;
  settings.baudCode = baudCode;
  settings.format = format;
  return settings;
}

// Formats of serial-parameter settings 2 (even parity), 4 (odd) and 0 (none),
// each with the same data and stop bits.
constexpr uint8_t kEvenFormat = 0x12;
constexpr uint8_t kOddFormat = 0x32;
constexpr uint8_t kNoParityFormat = 0x02;

// CompoWay/F requests and normal replies; BCC pinned by
// CompowayFrameTest.
Bytes Request(const std::string& node, const std::string& command) {
  return MakeCompowayFrame(node + "000" + command);
}
Bytes Reply(const std::string& node, const std::string& command) {
  return MakeCompowayFrame(node + "0000" + command.substr(0, 4) + "0000" +
                           command.substr(4));
}
std::string Write(const std::string& variable, const std::string& value) {
  return "0202C000" + variable + "8001" + value;
}

// Modbus RTU frames with their check value.
Bytes Framed(Bytes body) {
  AppendModbusCrc(&body);
  return body;
}
Bytes Operate(uint8_t address, uint8_t code) {
  return Framed({address, 0x06, 0x00, 0x00, code, 0x00});
}
Bytes WriteRegisters(uint8_t address, uint16_t reg, uint32_t value) {
  return Framed(
      {address, 0x10, static_cast<uint8_t>(reg >> 8), static_cast<uint8_t>(reg),
       0x00, 0x02, 0x04, static_cast<uint8_t>(value >> 24),
       static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 8),
       static_cast<uint8_t>(value)});
}
Bytes WriteRegistersReply(uint8_t address, uint16_t reg) {
  return Framed({address, 0x10, static_cast<uint8_t>(reg >> 8),
                 static_cast<uint8_t>(reg), 0x00, 0x02});
}
Bytes QueryData(uint8_t address) {
  return Framed({address, 0x08, 0x00, 0x00, 0x12, 0x34});
}

// The echoback test for node 01 with data "1234", as on the wire.
const Bytes kEchoback = {0x02, '0', '1', '0', '0', '0', '0',  '8',
                         '0',  '1', '1', '2', '3', '4', 0x03, 0x3F};

TEST(CompowayFrameTest, FramesTextWithSevenBitXorCheck) {
  EXPECT_EQ(MakeCompowayFrame("0100008011234"), kEchoback);
  EXPECT_EQ(CompowayFrameText(kEchoback), "0100008011234");
  EXPECT_EQ(CompowayBcc(std::string(1, static_cast<char>(0xC1))), 0x42);

  Bytes badBcc = kEchoback;
  badBcc.back() ^= 1;
  Bytes noStx = kEchoback;
  noStx.front() = '0';
  Bytes noEtx = kEchoback;
  noEtx[noEtx.size() - 2] = '5';
  for (const Bytes& frame :
       {badBcc, noStx, noEtx, Bytes{0x02, 0x03}, Bytes{}}) {
    EXPECT_EQ(CompowayFrameText(frame), std::nullopt);
  }
  EXPECT_EQ(CompowayFrameText({0x02, 0x03, 0x03}), "");
}

TEST(Km50CompowayTest, AnswersEchobackAtItsLineAndNode) {
  Km50Device km50(Km50Protocol::kCompoWay, 1, 3, 4);
  const Answer answer = km50.Answer(Line(3, kOddFormat), kEchoback);
  ASSERT_TRUE(answer);
  EXPECT_EQ(CompowayFrameText(*answer), "010000080100001234");
  EXPECT_EQ(answer, Answer(Reply("01", "08011234")));
}

TEST(Km50CompowayTest, SilentUnlessLineCheckNodeAndRequestFit) {
  struct Case {
    const char* what;
    std::optional<LineSettings> settings;
    Bytes frame;
  };
  Bytes badBcc = kEchoback;
  badBcc.back() = 0x3E;
  const LineSettings line = Line(3, kOddFormat);
  const Case cases[] = {
      {"wrong baud code", Line(4, kOddFormat), kEchoback},
      {"wrong format", Line(3, kEvenFormat), kEchoback},
      {"no line settings", std::nullopt, kEchoback},
      {"wrong BCC", line, badBcc},
      {"other node", line, Request("02", "08011234")},
      {"node not digits", line, Request("0A", "08011234")},
      {"other sub-address", line, MakeCompowayFrame("0101008011234")},
      {"unknown command", line, Request("01", "0101C00000008001")},
      {"unknown operation", line, Request("01", "30050100")},
      {"operation data short", line, Request("01", "300507")},
      {"unknown variable", line, Request("01", Write("0099", "00000001"))},
      {"write of other layout", line,
       Request("01", "0202C000001280000000000A")},
      {"write value short", line, Request("01", Write("0012", "0000000"))},
      {"node out of range", line, Request("01", Write("0012", "00000064"))},
      {"not a frame", line, Bytes{'0', '1'}},
  };
  Km50Device km50(Km50Protocol::kCompoWay, 1, 3, 4);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(km50.Answer(c.settings, c.frame), std::nullopt);
  }
  EXPECT_TRUE(km50.WrittenAddresses().empty());
  EXPECT_EQ(km50.Answer(line, kEchoback), Answer(Reply("01", "08011234")));
}

TEST(Km50CompowayTest, AppliesTheUpdateSequenceOnlyAfterAnsweringApply) {
  Km50Device km50(Km50Protocol::kCompoWay, 1, 5, 2);
  const LineSettings oldLine = Line(5, kEvenFormat);
  const std::string sequence[] = {
      "30050700",
      Write("001C", "00000001"),
      Write("0012", "0000000a"),
      Write("0013", "00000003"),
      Write("0016", "00000002"),
  };
  for (const std::string& command : sequence) {
    SCOPED_TRACE(command);
    EXPECT_EQ(km50.Answer(oldLine, Request("01", command)),
              Answer(Reply("01", command.substr(0, 4))));
  }
  EXPECT_EQ(km50.Answer(oldLine, kEchoback), Answer(Reply("01", "08011234")));
  EXPECT_EQ(km50.Answer(oldLine, Request("01", "30050400")),
            Answer(Reply("01", "3005")));
  EXPECT_EQ(km50.WrittenAddresses(),
            (std::vector<uint16_t>{0x001C, 0x0012, 0x0013, 0x0016}));

  const LineSettings newLine = Line(3, kOddFormat);
  EXPECT_EQ(km50.Answer(newLine, Request("10", "08011234")),
            Answer(Reply("10", "08011234")));
  EXPECT_EQ(km50.Answer(newLine, kEchoback), std::nullopt);
  EXPECT_EQ(km50.Answer(oldLine, kEchoback), std::nullopt);
  EXPECT_EQ(km50.Answer(oldLine, Request("10", "08011234")), std::nullopt);
  EXPECT_EQ(km50.Answer(Line(5, kOddFormat), Request("10", "08011234")),
            std::nullopt);
  EXPECT_EQ(km50.Answer(Line(3, kEvenFormat), Request("10", "08011234")),
            std::nullopt);
}

TEST(Km50CompowayTest, ValuesNotWrittenKeepTheirCurrentOnes) {
  Km50Device km50(Km50Protocol::kCompoWay, 1, 3, 4);
  const LineSettings line = Line(3, kOddFormat);
  EXPECT_TRUE(km50.Answer(line, Request("01", Write("0016", "00000000"))));
  EXPECT_TRUE(km50.Answer(line, Request("01", "30050400")));
  EXPECT_EQ(km50.Answer(Line(3, kNoParityFormat), kEchoback),
            Answer(Reply("01", "08011234")));

  // A parity value with no setting keeps the setting.
  EXPECT_TRUE(km50.Answer(Line(3, kNoParityFormat),
                          Request("01", Write("0016", "00000007"))));
  EXPECT_TRUE(km50.Answer(Line(3, kNoParityFormat), Request("01", "30050400")));
  EXPECT_EQ(km50.Answer(Line(3, kNoParityFormat), kEchoback),
            Answer(Reply("01", "08011234")));
}

TEST(Km50ModbusTest, EchoesReturnQueryDataAtItsLineAndAddress) {
  Km50Device km50(Km50Protocol::kModbus, 17, 3, 4);
  const LineSettings line = Line(3, kOddFormat);
  EXPECT_EQ(km50.Answer(line, QueryData(0x11)), Answer(QueryData(0x11)));

  Bytes badCrc = QueryData(0x11);
  badCrc.back() ^= 1;
  const Bytes silent[] = {
      badCrc,
      QueryData(0x12),
      Framed({0x11, 0x08, 0x00, 0x01, 0x00, 0x00}),
      Framed({0x11, 0x03, 0x00, 0x00, 0x00, 0x01}),
      Operate(0x11, 0x05),
      Framed({0x11, 0x06, 0x00, 0x01, 0x07, 0x00}),
      WriteRegisters(0x11, 0xF000, 1),
      Framed({0x11, 0x10, 0xF0, 0x09, 0x00, 0x01, 0x02, 0x00, 0x0A}),
      Framed({0x11}),
      {},
  };
  for (const Bytes& frame : silent) {
    EXPECT_EQ(km50.Answer(line, frame), std::nullopt);
  }
  EXPECT_EQ(km50.Answer(Line(4, kOddFormat), QueryData(0x11)), std::nullopt);
  EXPECT_EQ(km50.Answer(Line(3, kEvenFormat), QueryData(0x11)), std::nullopt);
}

TEST(Km50ModbusTest, AppliesTheUpdateSequenceOnlyAfterAnsweringApply) {
  Km50Device km50(Km50Protocol::kModbus, 17, 5, 2);
  const LineSettings oldLine = Line(5, kEvenFormat);
  EXPECT_EQ(km50.Answer(oldLine, Operate(0x11, 0x07)),
            Answer(Operate(0x11, 0x07)));
  const struct {
    uint16_t reg;
    uint32_t value;
  } writes[] = {{0xF012, 1}, {0xF009, 0x0A}, {0xF00A, 3}, {0xF00D, 2}};
  for (const auto& write : writes) {
    SCOPED_TRACE(write.reg);
    EXPECT_EQ(
        km50.Answer(oldLine, WriteRegisters(0x11, write.reg, write.value)),
        Answer(WriteRegistersReply(0x11, write.reg)));
  }
  EXPECT_EQ(km50.Answer(oldLine, QueryData(0x11)), Answer(QueryData(0x11)));
  EXPECT_EQ(km50.Answer(oldLine, Operate(0x11, 0x04)),
            Answer(Operate(0x11, 0x04)));
  EXPECT_EQ(km50.WrittenAddresses(),
            (std::vector<uint16_t>{0xF012, 0xF009, 0xF00A, 0xF00D}));

  const LineSettings newLine = Line(3, kOddFormat);
  EXPECT_EQ(km50.Answer(newLine, QueryData(0x0A)), Answer(QueryData(0x0A)));
  EXPECT_EQ(km50.Answer(newLine, QueryData(0x11)), std::nullopt);
  EXPECT_EQ(km50.Answer(oldLine, QueryData(0x11)), std::nullopt);
  EXPECT_EQ(km50.Answer(oldLine, QueryData(0x0A)), std::nullopt);
}

TEST(Km50KindTest, TakesProtocolAddressBaudAndParam) {
  std::string error;
  std::optional<ChannelDevice> compoway =
      MakeChannelDevice("2:km50:compoway:1:3:4", &error);
  ASSERT_TRUE(compoway) << error;
  EXPECT_EQ(compoway->channel, 2u);
  EXPECT_EQ(compoway->device->Answer(Line(3, kOddFormat), kEchoback),
            Answer(Reply("01", "08011234")));

  std::optional<ChannelDevice> modbus =
      MakeChannelDevice("2:km50:modbus:17:3:4", &error);
  ASSERT_TRUE(modbus) << error;
  EXPECT_EQ(modbus->device->Answer(Line(3, kOddFormat), QueryData(0x11)),
            Answer(QueryData(0x11)));

  // A parameter setting past 11 acts as 3.
  std::optional<ChannelDevice> other =
      MakeChannelDevice("1:km50:modbus:255:0:12", &error);
  ASSERT_TRUE(other) << error;
  EXPECT_EQ(other->device->Answer(Line(0, 0x1A), QueryData(0xFF)),
            Answer(QueryData(0xFF)));
}

TEST(Km50KindTest, RejectsMalformedArguments) {
  const char* const values[] = {
      "2:km50",
      "2:km50:",
      "2:km50:compoway:1:3",
      "2:km50:compoway:1:3:4:5",
      "2:km50:rtu:1:3:4",
      "2:km50:CompoWay:1:3:4",
      "2:km50:compoway:100:3:4",
      "2:km50:modbus:256:3:4",
      "2:km50:compoway:x:3:4",
      "2:km50:compoway:1:256:4",
      "2:km50:compoway:1::4",
      "2:km50:compoway:1:3:-4",
      "2:km50:compoway:1:3:0x4",
  };
  for (const char* value : values) {
    SCOPED_TRACE(value);
    std::string error;
    EXPECT_FALSE(MakeChannelDevice(value, &error));
    EXPECT_NE(error.find("km50"), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
  }
}

TEST(Km50KindTest, UsageShowsTheForm) {
  EXPECT_NE(DeviceKindsUsage().find("CH:km50:PROTOCOL:ADDRESS:BAUD:PARAM"),
            std::string::npos);
}

}  // namespace
}  // namespace stand_in
