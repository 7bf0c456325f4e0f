// Wattlet's KM50 commands end to end: HTTP requests to the real service,
// whose frames reach a simulated KM50 in the real RS-485 stand-in, in
// CompoWay/F and in Modbus RTU.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "process/device_command_test.h"

namespace tool {
namespace testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

std::string Km50Check(const std::string& channel, const std::string& protocol,
                      const std::string& baudrate, const std::string& address,
                      const std::string& param) {
  return CommandRequest(
      "CheckConnectionForKM50",
      RequestItems({channel, protocol, baudrate, address, param}));
}

std::string Km50Update(const std::string& baudrate, const std::string& address,
                       const std::string& param) {
  return CommandRequest("UpdateSettingsForKM50",
                        RequestItems({baudrate, address, param}));
}

// The CompoWay/F frame of `text` in lower-case hex: STX, text, ETX, BCC.
std::string Framed(const std::string& text) {
  std::string hex = "02";
  unsigned bcc = 0;
  char byte[3];
  for (unsigned char c : text + "\x03") {
    std::snprintf(byte, sizeof byte, "%02x", c);
    hex += byte;
    bcc ^= c & 0x7F;
  }
  std::snprintf(byte, sizeof byte, "%02x", bcc);
  return hex + byte;
}

std::string Command(const std::string& frame) {
  return "command ch=2 frame=" + frame;
}

class Km50Test : public DeviceCommandTest {
 protected:
  Km50Test() : DeviceCommandTest(kWattlet) {}
};

TEST_F(Km50Test, CheckInCompowayFramesTheEchobackTest) {
  Start({"2:km50:compoway:1:3:4"});
  EXPECT_EQ(Post(Km50Check("2", "0", "3", "1", "4")), SuccessReply());
  // The node field carries the address text as it came.
  EXPECT_EQ(Post(Km50Check("2", "0", "3", "0x1", "4")), FailureReply());
  // Setting 4: data-bit code 2, parity code 1.
  EXPECT_THAT(Sent(), ElementsAre("port ch=2 baud=3 format=0x32",
                                  Command(Framed("0100008011234")),
                                  "port ch=2 baud=3 format=0x32",
                                  Command(Framed("0x100008011234"))));
}

TEST_F(Km50Test, CheckInModbusSendsTheDiagnosticsEcho) {
  const std::string log = Start({"2:km50:modbus:17:3:4"});
  EXPECT_EQ(Post(Km50Check("2", "1", "3", "17", "4")), SuccessReply());
  EXPECT_EQ(Post(Km50Check("2", "1", "3", "18", "4")), FailureReply());
  EXPECT_THAT(Sent(), ElementsAre("port ch=2 baud=3 format=0x32",
                                  Command(WithCrc("110800001234")),
                                  "port ch=2 baud=3 format=0x32",
                                  Command(WithCrc("120800001234"))));
  StopInOrder();
  EXPECT_THAT(LogMessages(log), Contains("ERROR CheckConnectionRequestCommand "
                                         "ExecuteSendDeviceCommand."));
}

TEST_F(Km50Test, NoRequestDataOrNoCheckSendsNothing) {
  Start({"2:km50:compoway:1:3:4"});
  EXPECT_EQ(Post(CommandRequest("CheckConnectionForKM50", "")), FailureReply());
  EXPECT_EQ(Post(CommandRequest("UpdateSettingsForKM50", "")), FailureReply());
  EXPECT_EQ(Post(Km50Update("3", "10", "4")), FailureReply());
  EXPECT_THAT(Records(), IsEmpty());
}

TEST_F(Km50Test, UpdateInCompowayWritesFourSettingsAndMovesTheKm50) {
  Start({"2:km50:compoway:5:3:4"});
  ASSERT_EQ(Post(Km50Check("2", "0", "3", "5", "4")), SuccessReply());
  EXPECT_EQ(Post(Km50Update("3", "10", "4")), SuccessReply());
  const std::vector<std::string> sent = Sent();
  const std::vector<std::string> update(sent.begin() + 2, sent.end());
  EXPECT_THAT(update, ElementsAreArray(std::vector<std::string>{
                          "port ch=2 baud=3 format=0x32",
                          Command(Framed("0500030050700")),
                          Command(Framed("050000202C000001C800100000001")),
                          Command(Framed("050000202C00000128001"
                                         "0000000a")),
                          Command(Framed("050000202C00000138001"
                                         "00000003")),
                          Command(Framed("050000202C00000168001"
                                         "00000002")),
                          Command(Framed("0500030050400")),
                      }));
  // The update's settings are the connected ones, and the KM50 took them.
  EXPECT_EQ(Post(Km50Update("3", "10", "4")), SuccessReply());
  EXPECT_EQ(Sent().at(10), Command(Framed("1000030050700")));
  EXPECT_EQ(Post(Km50Check("2", "0", "3", "10", "4")), SuccessReply());
  EXPECT_EQ(Post(Km50Check("2", "0", "3", "5", "4")), FailureReply());
}

TEST_F(Km50Test, UpdateInModbusWritesTheRegisters) {
  Start({"2:km50:modbus:5:3:4"});
  ASSERT_EQ(Post(Km50Check("2", "1", "3", "5", "4")), SuccessReply());
  EXPECT_EQ(Post(Km50Update("3", "10", "4")), SuccessReply());
  const std::vector<std::string> sent = Sent();
  const std::vector<std::string> update(sent.begin() + 2, sent.end());
  EXPECT_THAT(update, ElementsAreArray(std::vector<std::string>{
                          "port ch=2 baud=3 format=0x32",
                          Command(WithCrc("050600000700")),
                          Command(WithCrc("0510f01200020400000001")),
                          Command(WithCrc("0510f0090002040000000a")),
                          Command(WithCrc("0510f00a00020400000003")),
                          Command(WithCrc("0510f00d00020400000002")),
                          Command(WithCrc("050600000400")),
                      }));
  EXPECT_EQ(Post(Km50Check("2", "1", "3", "10", "4")), SuccessReply());
}

TEST_F(Km50Test, ParameterIsDecimalForParityButStoredAsCReadsIt) {
  Start({"2:km50:compoway:5:3:4"});
  ASSERT_EQ(Post(Km50Check("2", "0", "3", "5", "4")), SuccessReply());
  // 010: parity from ten (odd, "2"); stored as eight, whose line is
  // data-bit code 3 with parity code 0.
  EXPECT_EQ(Post(Km50Update("3", "5", "010")), SuccessReply());
  EXPECT_EQ(Sent().at(7), Command(Framed("050000202C00000168001"
                                         "00000002")));
  Post(Km50Update("3", "5", "4"));
  EXPECT_EQ(Sent().at(9), "port ch=2 baud=3 format=0x13");
}

TEST_F(Km50Test, BadSecondReplyStopsTheUpdateAndKeepsTheSettings) {
  Start({"2:km50:modbus:5:3:4"});
  ASSERT_EQ(Post(Km50Check("2", "1", "3", "5", "4")), SuccessReply());
  // A device that answers every frame as if it were the first update frame.
  ASSERT_TRUE(standIn_->Stop());
  standIn_.emplace(
      "rs485_stand_in_fixed",
      std::vector<std::string>{"2:fixed:" + WithCrc("050600000700")});
  ASSERT_TRUE(standIn_->Start()) << standIn_->Stderr();
  EXPECT_EQ(Post(Km50Update("3", "10", "4")), FailureReply());
  EXPECT_THAT(Sent(), ElementsAre("port ch=2 baud=3 format=0x32",
                                  Command(WithCrc("050600000700")),
                                  Command(WithCrc("0510f01200020400000001"))));
  // Still connected at address 5.
  Post(Km50Update("3", "10", "4"));
  EXPECT_EQ(Sent().at(4), Command(WithCrc("050600000700")));
}

}  // namespace
}  // namespace testing
}  // namespace tool
