#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "protocol/check_sum.h"
#include "protocol/compoway_command.h"
#include "protocol/frame_list.h"
#include "protocol/hex_util.h"
#include "protocol/modbus_command.h"
#include "protocol/request_template.h"
#include "protocol/string_util.h"

namespace tool {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

std::vector<std::uint8_t> Bytes(const ByteDataHolder& holder) {
  return {holder.GetData(), holder.GetData() + holder.GetSize()};
}

std::vector<std::uint8_t> Command(const std::string& hexText) {
  const auto command = ModbusCommand::CreateCommand(hexText);
  return command ? Bytes(*command) : std::vector<std::uint8_t>{};
}

TEST(CheckSumTest, Crc16OfTheCheckDigitsIsStoredLowByteFirst) {
  const std::string digits = "123456789";
  EXPECT_THAT(Bytes(*CheckSum::CalculateCrc16(digits.data(), digits.size())),
              ElementsAre(0x37, 0x4B));
  EXPECT_THAT(Bytes(*CheckSum::CalculateCrc16(nullptr, 0)),
              ElementsAre(0xFF, 0xFF));
  // A Modbus exception reply: its function byte has the top bit set, which
  // a signed char (x86) would carry into the high bits and an unsigned one
  // (ARM) would not. The check bytes are C0 F1 either way.
  const char exception[] = {0x01, static_cast<char>(0x83), 0x02};
  EXPECT_THAT(Bytes(*CheckSum::CalculateCrc16(exception, 3)),
              ElementsAre(0xC0, 0xF1));
}

TEST(CheckSumTest, BccSkipsTheFirstByteAndMasksTheTopBit) {
  const char one[] = {0x41};
  EXPECT_EQ(CheckSum::CalculateBcc(one, 1), 0);
  const char frame[] = {0x02, static_cast<char>(0x81), 0x30, 0x03};
  EXPECT_EQ(CheckSum::CalculateBcc(frame, 4), 0x01 ^ 0x30 ^ 0x03);
}

TEST(ModbusCommandTest, CommandBytesAreLengthRequestAndCrc) {
  EXPECT_THAT(Command("014605"),
              ElementsAre(0x05, 0x00, 0x01, 0x46, 0x05, 0xD2, 0x63));
  EXPECT_THAT(
      Command("010800010000"),
      ElementsAre(0x08, 0x00, 0x01, 0x08, 0x00, 0x01, 0x00, 0x00, 0xB1, 0xCB));
  // A trailing odd character is dropped.
  EXPECT_EQ(Command("0146051"), Command("014605"));
  EXPECT_THAT(Command(""), ElementsAre(0x02, 0x00, 0xFF, 0xFF));
  // A pair above 7F becomes a byte with the top bit set, whatever the sign
  // of char.
  EXPECT_THAT(Command("018302"),
              ElementsAre(0x05, 0x00, 0x01, 0x83, 0x02, 0xC0, 0xF1));
}

TEST(ModbusCommandTest, PairsAreReadAsStrtolReadsThem) {
  EXPECT_EQ(ModbusCommand::CreateCommand("011g"), nullptr);
  EXPECT_EQ(ModbusCommand::CreateCommand("x101"), nullptr);
  EXPECT_EQ(ModbusCommand::CreateCommand("01  "), nullptr);
  // A blank or a sign before one digit still makes a number.
  EXPECT_EQ(Command(" 1-1")[2], 0x01);
  EXPECT_EQ(Command(" 1-1")[3], 0xFF);
}

std::vector<std::uint8_t> Compoway(const std::string& text) {
  return Bytes(*CompowayCommand::CreateCommand(text));
}

TEST(CompowayCommandTest, FrameIsLengthStxTextEtxAndBcc) {
  EXPECT_THAT(
      Compoway("0100008011234"),
      ElementsAre(0x10, 0x00, 0x02, 0x30, 0x31, 0x30, 0x30, 0x30, 0x30, 0x38,
                  0x30, 0x31, 0x31, 0x32, 0x33, 0x34, 0x03, 0x3F));
  EXPECT_THAT(
      Compoway("0100030050700"),
      ElementsAre(0x10, 0x00, 0x02, 0x30, 0x31, 0x30, 0x30, 0x30, 0x33, 0x30,
                  0x30, 0x35, 0x30, 0x37, 0x30, 0x30, 0x03, 0x33));
  const auto apply = Compoway("0100030050400");
  EXPECT_THAT(std::vector<std::uint8_t>(apply.end() - 2, apply.end()),
              ElementsAre(0x03, 0x30));
  const auto write = Compoway(
      "010000202C00000128001"
      "00000005");
  ASSERT_EQ(write.size(), 34u);
  EXPECT_THAT(std::vector<std::uint8_t>(write.begin(), write.begin() + 3),
              ElementsAre(0x20, 0x00, 0x02));
  EXPECT_THAT(std::vector<std::uint8_t>(write.end() - 2, write.end()),
              ElementsAre(0x03, 0x4E));
  EXPECT_THAT(Compoway(""), ElementsAre(0x03, 0x00, 0x02, 0x03, 0x03));
}

TEST(HexUtilTest, CapacityAndPartialConversion) {
  char out[2] = {0, 0};
  EXPECT_EQ(HexUtil::HexStringToBytes("010203", out, 2), -1);
  EXPECT_THAT(out, ElementsAre(0, 0));
  EXPECT_EQ(HexUtil::HexStringToBytes("7fzz", out, 2), -2);
  EXPECT_EQ(out[0], 0x7F);  // pairs before the bad one stay written
  EXPECT_EQ(HexUtil::GetByteLength("abc"), 1);
  EXPECT_EQ(HexUtil::IntToHexText(10), "a");
  EXPECT_EQ(HexUtil::IntToHexText(0x1F0), "1f0");
}

TEST(StringUtilTest, ConvertsLikeStrtolAndFlagsLeftovers) {
  struct Case {
    const char* text;
    int value;
    bool error;
  };
  const Case cases[] = {
      {"010", 8, false},
      {"0x1A", 26, false},
      {"17", 17, false},
      {"", 0, true},
      {"abc", 0, true},
      {"12ab", 12, true},
      {"99999999999", INT_MAX, true},
      {"-99999999999", INT_MIN, true},
      // The 32-bit edges, where a 32-bit long (the gateway's) itself
      // overflows and a 64-bit one does not.
      {"2147483647", INT_MAX, false},
      {"2147483648", INT_MAX, true},
      {"-2147483648", INT_MIN, false},
      {"-2147483649", INT_MIN, true},
      {"0xffffffff", INT_MAX, true},
      {"4294967296", INT_MAX, true},
  };
  for (const Case& c : cases) {
    int error = 0;
    EXPECT_EQ(StringUtil::StringToInt(c.text, &error), c.value) << c.text;
    EXPECT_EQ(error == -1, c.error) << c.text;
  }
  EXPECT_EQ(StringUtil::StringToInt("010", nullptr, 10), 10);
  EXPECT_EQ(StringUtil::StringToInt("12ab"), 12);  // null error pointer
}

TEST(RequestTemplateTest, FieldsAreZeroFilledAndNeverCut) {
  EXPECT_EQ(RequestTemplate::Fill("%02s4605", {"a"}), "0a4605");
  EXPECT_EQ(RequestTemplate::Fill("%02s4605", {"1f0"}), "1f04605");
  EXPECT_EQ(RequestTemplate::Fill("%02s4606%02s%02s", {"1", "10", ""}),
            "0146061000");
  EXPECT_EQ(RequestTemplate::Fill("%02s10%04s000204%08s", {"5", "f012", "a"}),
            "0510f0120002040000000a");
  EXPECT_EQ(RequestTemplate::Fill("%s%%%d", {"x"}), "x%%d");
  EXPECT_EQ(RequestTemplate::Fill("%02s", {}), "00");
}

TEST(FrameListTest, ListsPointAtOwnedCopiesInOrder) {
  FrameList frames;
  {
    const auto first = ModbusCommand::CreateCommand("014605");
    const auto second = ModbusCommand::CreateCommand("010800010000");
    frames.Add(*first);
    frames.Add(*second);
  }
  const auto datalist = frames.GetDataList();
  EXPECT_THAT(frames.GetSizeList(), ElementsAre(7, 10));
  ASSERT_EQ(datalist.size(), 2u);
  EXPECT_THAT(std::vector<std::uint8_t>(datalist[0], datalist[0] + 7),
              ElementsAreArray(Command("014605")));
}

}  // namespace
}  // namespace tool
