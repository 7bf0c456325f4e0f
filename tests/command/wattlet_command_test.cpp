// Wattlet's KM50 commands against fake device-setting operations, in
// CompoWay/F and in Modbus RTU: the frames each sends and at which
// settings, what it stores and how it replies.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "command/command_test_util.h"
#include "command/fake_device_setting.h"
#include "command/km50/check_connection_request_command.h"
#include "command/km50/update_setting_request_command.h"
#include "command/km50/wattlet_profile.h"
#include "rs485/send_device_setting_command_result.h"
#include "server/receive_request_command_executor.h"

namespace tool {
namespace testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr int kCompowayF = SendDeviceSettingCommandResult::kCompowayF;
constexpr int kModbus = SendDeviceSettingCommandResult::kModbus;

constexpr char kCheck[] = "CheckConnectionForKM50";
constexpr char kUpdate[] = "UpdateSettingsForKM50";

// The update of the KM50 at address 5, baud code 3, setting 4 on channel 2
// to address 10 with the same baud code and setting.
const std::vector<std::string> kUpdateItems = {"3", "10", "4"};

// The echoback test "1234" to node 01, and the Diagnostics echo of 0x1234
// to slave 1.
const Bytes kEchobackTo1 = {0x10, 0x00, 0x02, '0', '1', '0', '0', '0',  '0',
                            '8',  '0',  '1',  '1', '2', '3', '4', 0x03, 0x3F};
const Bytes kDiagnosticsTo1 = {0x08, 0x00, 0x01, 0x08, 0x00,
                               0x00, 0x12, 0x34, 0xED, 0x7C};

class WattletCommandTest : public ::testing::Test {
 protected:
  // Runs `body` through Wattlet's command table and returns the reply's
  // status, after checking that it answers the request's id.
  std::string Post(const std::string& body) {
    const Reply reply = ParseReply(
        ReceiveRequestCommandExecutor(wattlet::kWattletProfile.commands, fake_)
            .ExecuteRequest(body));
    EXPECT_EQ(reply.id, kRequestId);
    return reply.status;
  }

  // Connects to the KM50 at address 5 in `protocol`, then forgets the calls.
  void CheckAt5(const std::string& protocol) {
    ASSERT_EQ(Post(CommandRequest(kCheck, {"2", protocol, "3", "5", "4"})),
              "SUCCESS");
    fake_.ClearCalls();
  }

  FakeDeviceSetting fake_;
};

TEST_F(WattletCommandTest, TableMakesEachCommandByItsName) {
  const ReceiveRequestCommandExecutor executor(
      wattlet::kWattletProfile.commands, fake_);
  EXPECT_NE(std::dynamic_pointer_cast<wattlet::CheckConnectionRequestCommand>(
                executor.CreateRequestCommand("1", kCheck, nullptr)),
            nullptr);
  EXPECT_NE(std::dynamic_pointer_cast<wattlet::UpdateSettingRequestCommand>(
                executor.CreateRequestCommand("1", kUpdate, nullptr)),
            nullptr);
}

TEST_F(WattletCommandTest, CheckInCompowaySendsTheEchobackTest) {
  EXPECT_EQ(Post(CommandRequest(kCheck, {"2", "0", "3", "1", "4"})), "SUCCESS");
  const DeviceConnectionParams params = {kCompowayF, 2, 3, 1, 4};
  EXPECT_THAT(fake_.Effects(), ElementsAre(Connection(params, {kEchobackTo1}),
                                           SetConnected(params)));
}

TEST_F(WattletCommandTest, CheckInAnyOtherProtocolSendsTheModbusEcho) {
  for (int protocol : {1, 2}) {
    SCOPED_TRACE(protocol);
    fake_.ClearCalls();
    EXPECT_EQ(Post(CommandRequest(
                  kCheck, {"2", std::to_string(protocol), "3", "1", "4"})),
              "SUCCESS");
    // The kind stored is the request's protocol.
    const DeviceConnectionParams params = {protocol, 2, 3, 1, 4};
    EXPECT_THAT(fake_.Effects(),
                ElementsAre(Connection(params, {kDiagnosticsTo1}),
                            SetConnected(params)));
  }
}

TEST_F(WattletCommandTest, UnansweredCheckStoresNothing) {
  fake_.ScriptConnections({false});
  EXPECT_EQ(Post(CommandRequest(kCheck, {"2", "1", "3", "1", "4"})), "FAILURE");
  EXPECT_THAT(fake_.Effects(), ElementsAre(Connection({kModbus, 2, 3, 1, 4},
                                                      {kDiagnosticsTo1})));
}

TEST_F(WattletCommandTest, CheckAndUpdateWithoutRequestDataFailUnsent) {
  EXPECT_EQ(Post(CommandRequestWithoutData(kCheck)), "FAILURE");
  EXPECT_EQ(Post(CommandRequestWithoutData(kUpdate)), "FAILURE");
  EXPECT_THAT(fake_.Effects(), IsEmpty());
}

TEST_F(WattletCommandTest, UpdateInCompowayWritesFourVariablesBetweenModes) {
  CheckAt5("0");
  EXPECT_EQ(Post(CommandRequest(kUpdate, kUpdateItems)), "SUCCESS");
  EXPECT_THAT(
      fake_.Effects(),
      ElementsAre(Connection({kCompowayF, 2, 3, 5, 4},
                             {CompowayBytes("0500030050700"),
                              CompowayBytes("050000202C000001C800100000001"),
                              CompowayBytes("050000202C000001280010000000a"),
                              CompowayBytes("050000202C0000013800100000003"),
                              CompowayBytes("050000202C0000016800100000002"),
                              CompowayBytes("0500030050400")}),
                  SetConnected({kCompowayF, 2, 3, 10, 4})));
  EXPECT_EQ(fake_.updated(), DeviceConnectionParams{});
}

TEST_F(WattletCommandTest, UpdateInModbusWritesFourRegistersBetweenModes) {
  CheckAt5("1");
  EXPECT_EQ(Post(CommandRequest(kUpdate, kUpdateItems)), "SUCCESS");
  EXPECT_THAT(fake_.Effects(),
              ElementsAre(Connection({kModbus, 2, 3, 5, 4},
                                     {ModbusBytes("050600000700"),
                                      ModbusBytes("0510f01200020400000001"),
                                      ModbusBytes("0510f0090002040000000a"),
                                      ModbusBytes("0510f00a00020400000003"),
                                      ModbusBytes("0510f00d00020400000002"),
                                      ModbusBytes("050600000400")}),
                          SetConnected({kModbus, 2, 3, 10, 4})));
}

TEST_F(WattletCommandTest, UnansweredUpdateKeepsTheConnectedSettings) {
  CheckAt5("1");
  fake_.ScriptConnections({false});
  EXPECT_EQ(Post(CommandRequest(kUpdate, kUpdateItems)), "FAILURE");
  const std::vector<Call> effects = fake_.Effects();
  ASSERT_EQ(effects.size(), 1u);
  EXPECT_EQ(effects[0].operation, Operation::kConnection);
  EXPECT_EQ(fake_.connected(), (DeviceConnectionParams{kModbus, 2, 3, 5, 4}));
}

// Before any check the stored settings name channel 0, which the real
// operations refuse unsent; the update stores nothing when they do.
TEST_F(WattletCommandTest, UpdateBeforeAnyCheckGoesToChannelZeroInCompoway) {
  fake_.ScriptConnections({false});
  EXPECT_EQ(Post(CommandRequest(kUpdate, kUpdateItems)), "FAILURE");
  const std::vector<Call> effects = fake_.Effects();
  ASSERT_EQ(effects.size(), 1u);
  EXPECT_EQ(effects[0].params, DeviceConnectionParams{});
  ASSERT_EQ(effects[0].frames.size(), 6u);
  EXPECT_EQ(effects[0].frames[0], CompowayBytes("0000030050700"));
}

// The values the four writes carry: 1, the address, the baud code and the
// parity (0 none, 1 even, 2 odd) of the serial-parameter setting, read as
// a decimal number.
TEST_F(WattletCommandTest, WritesCarryMarkerAddressBaudAndParity) {
  wattlet::UpdateSettingRequestCommand update(kRequestId, kUpdate, nullptr,
                                              fake_);
  update.SetTagValue("1", "5");
  update.SetTagValue("2", "10");
  const std::vector<std::pair<std::string, std::string>> written = {
      {"001C", "1"}, {"0012", "10"}, {"0013", "5"},
      {"F012", "1"}, {"F009", "10"}, {"F00A", "5"}};
  for (const auto& [setting, value] : written) {
    EXPECT_EQ(update.GetSettingValueText(setting), value) << setting;
  }
  for (const char* unwritten : {"0014", "0015", "F00B", "F00C"}) {
    EXPECT_EQ(update.GetSettingValueText(unwritten), "") << unwritten;
  }
  const char* const kParities[] = {"0", "0", "1", "1", "2", "2",
                                   "0", "0", "1", "1", "2", "2"};
  for (int param = 0; param < 12; ++param) {
    update.SetTagValue("3", std::to_string(param));
    EXPECT_EQ(update.GetSettingValueText("0016"), kParities[param]) << param;
    EXPECT_EQ(update.GetSettingValueText("F00D"), kParities[param]) << param;
  }
  update.SetTagValue("3", "010");
  EXPECT_EQ(update.GetSettingValueText("0016"), "2");
  EXPECT_THAT(fake_.calls(), IsEmpty());
}

}  // namespace
}  // namespace testing
}  // namespace tool
