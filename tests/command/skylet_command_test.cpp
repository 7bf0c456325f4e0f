// Skylet's weather-sensor commands against fake device-setting operations:
// the frames each sends, through which operation and at which settings,
// what it stores and how it replies.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "command/command_test_util.h"
#include "command/fake_device_setting.h"
#include "command/weather/check_connection_request_command.h"
#include "command/weather/restart_request_command.h"
#include "command/weather/skylet_profile.h"
#include "command/weather/update_setting_request_command.h"
#include "rs485/send_device_setting_command_result.h"
#include "server/receive_request_command_executor.h"

namespace tool {
namespace testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr int kModbus = SendDeviceSettingCommandResult::kModbus;

constexpr char kCheck[] = "CheckConnectionForWeatherSensor";
constexpr char kUpdate[] = "UpdateSettingsForWeatherSensor";
constexpr char kRestart[] = "RestartForWeatherSensor";

// The sensor as the README finds it: channel 1, baud-rate setting 2,
// address 1, serial parameters 0; then moved to baud-rate setting 3,
// address 10, serial parameters 2.
constexpr DeviceConnectionParams kFound = {kModbus, 1, 2, 1, 0};
constexpr DeviceConnectionParams kMoved = {kModbus, 1, 3, 10, 2};
const std::vector<std::string> kCheckItems = {"1", "2", "1", "0"};
const std::vector<std::string> kUpdateItems = {"3", "10", "2"};

// Command bytes of the README's record log.
const Bytes kProbeAt1 = {0x05, 0x00, 0x01, 0x46, 0x05, 0xD2, 0x63};
const Bytes kProbeAt10 = {0x05, 0x00, 0x0A, 0x46, 0x05, 0xA3, 0xA1};
const Bytes kLineSettings = {0x07, 0x00, 0x01, 0x46, 0x06,
                             0x03, 0x02, 0x6D, 0xB8};
const Bytes kNewAddress = {0x06, 0x00, 0x01, 0x46, 0x04, 0x0A, 0x62, 0xCA};
const Bytes kRestartAt1 = {0x08, 0x00, 0x01, 0x08, 0x00,
                           0x01, 0x00, 0x00, 0xB1, 0xCB};
// The restart's five probes at the new address.
const std::vector<Bytes> kProbesAt10(5, kProbeAt10);

class SkyletCommandTest : public ::testing::Test {
 protected:
  // Runs `body` through Skylet's command table and returns the reply's
  // status, after checking that it answers the request's id.
  std::string Post(const std::string& body) {
    const Reply reply = ParseReply(
        ReceiveRequestCommandExecutor(skylet::kSkyletProfile.commands, fake_)
            .ExecuteRequest(body));
    EXPECT_EQ(reply.id, kRequestId);
    return reply.status;
  }

  // Stores the settings as a check and an update would have, unrecorded.
  void Store(const DeviceConnectionParams& connected,
             const DeviceConnectionParams& updated) {
    fake_.SetConnectedParams(connected);
    fake_.SetUpdatedParams(updated);
    fake_.ClearCalls();
  }

  FakeDeviceSetting fake_;
};

TEST_F(SkyletCommandTest, TableMakesEachCommandByItsName) {
  const ReceiveRequestCommandExecutor executor(skylet::kSkyletProfile.commands,
                                               fake_);
  EXPECT_NE(std::dynamic_pointer_cast<skylet::CheckConnectionRequestCommand>(
                executor.CreateRequestCommand("1", kCheck, nullptr)),
            nullptr);
  EXPECT_NE(std::dynamic_pointer_cast<skylet::UpdateSettingRequestCommand>(
                executor.CreateRequestCommand("1", kUpdate, nullptr)),
            nullptr);
  EXPECT_NE(std::dynamic_pointer_cast<skylet::RestartRequestCommand>(
                executor.CreateRequestCommand("1", kRestart, nullptr)),
            nullptr);
}

TEST_F(SkyletCommandTest, CheckProbesTheAddressAndStoresTheConnectedSettings) {
  EXPECT_EQ(Post(CommandRequest(kCheck, kCheckItems)), "SUCCESS");
  EXPECT_THAT(fake_.Effects(), ElementsAre(Connection(kFound, {kProbeAt1}),
                                           SetConnected(kFound)));

  fake_.ClearCalls();
  EXPECT_EQ(Post(CommandRequest(kCheck, {"3", "4", "10", "1"})), "SUCCESS");
  const DeviceConnectionParams at10 = {kModbus, 3, 4, 10, 1};
  EXPECT_THAT(fake_.Effects(),
              ElementsAre(Connection(at10, {kProbeAt10}), SetConnected(at10)));
  EXPECT_EQ(fake_.updated(), DeviceConnectionParams{});
}

TEST_F(SkyletCommandTest, UnansweredCheckStoresNothing) {
  fake_.ScriptConnections({false});
  EXPECT_EQ(Post(CommandRequest(kCheck, kCheckItems)), "FAILURE");
  EXPECT_THAT(fake_.Effects(), ElementsAre(Connection(kFound, {kProbeAt1})));
}

TEST_F(SkyletCommandTest, CheckAndUpdateWithoutRequestDataFailUnsent) {
  EXPECT_EQ(Post(CommandRequestWithoutData(kCheck)), "FAILURE");
  EXPECT_EQ(Post(CommandRequestWithoutData(kUpdate)), "FAILURE");
  EXPECT_THAT(fake_.Effects(), IsEmpty());
}

TEST_F(SkyletCommandTest, UpdateWritesLineSettingsThenAddressAtTheConnected) {
  ASSERT_EQ(Post(CommandRequest(kCheck, kCheckItems)), "SUCCESS");
  fake_.ClearCalls();
  EXPECT_EQ(Post(CommandRequest(kUpdate, kUpdateItems)), "SUCCESS");
  EXPECT_THAT(fake_.Effects(),
              ElementsAre(Connection(kFound, {kLineSettings, kNewAddress}),
                          SetUpdated(kMoved)));
  EXPECT_EQ(fake_.connected(), kFound);
}

TEST_F(SkyletCommandTest, UpdateSpeaksModbusWhateverKindWasStored) {
  Store({0, 2, 2, 1, 0}, {});
  EXPECT_EQ(Post(CommandRequest(kUpdate, kUpdateItems)), "SUCCESS");
  EXPECT_THAT(fake_.Effects(),
              ElementsAre(Connection({kModbus, 2, 2, 1, 0},
                                     {kLineSettings, kNewAddress}),
                          SetUpdated({kModbus, 2, 3, 10, 2})));
}

TEST_F(SkyletCommandTest, UnansweredUpdateStoresNothing) {
  Store(kFound, {});
  fake_.ScriptConnections({false});
  EXPECT_EQ(Post(CommandRequest(kUpdate, kUpdateItems)), "FAILURE");
  EXPECT_THAT(fake_.Effects(),
              ElementsAre(Connection(kFound, {kLineSettings, kNewAddress})));
}

// Before any check the stored settings name channel 0, which the real
// operations refuse unsent; the commands go no further when they do.
TEST_F(SkyletCommandTest, UpdateAndRestartBeforeAnyCheckGoToChannelZero) {
  const DeviceConnectionParams none = {kModbus, 0, 0, 0, 0};
  fake_.ScriptConnections({false, false});
  EXPECT_EQ(Post(CommandRequest(kUpdate, kUpdateItems)), "FAILURE");
  EXPECT_EQ(Post(CommandRequestWithoutData(kRestart)), "FAILURE");
  EXPECT_THAT(fake_.Effects(),
              ElementsAre(Connection(none, {ModbusBytes("0046060302"),
                                            ModbusBytes("0046040a")}),
                          Connection(none, {ModbusBytes("000800010000")})));
}

TEST_F(SkyletCommandTest, RestartPausesThenProbesTheUpdatedSettings) {
  // A stored CompoWay/F kind is sent as Modbus.
  Store({0, 1, 2, 1, 0}, {0, 1, 3, 10, 2});
  EXPECT_EQ(Post(CommandRequestWithoutData(kRestart)), "SUCCESS");
  EXPECT_THAT(fake_.Effects(),
              ElementsAre(Connection(kFound, {kRestartAt1}), Pause(30000),
                          ConnectionUntilSuccess(kMoved, kProbesAt10),
                          SetConnected(kMoved), SetUpdated(kMoved)));
}

TEST_F(SkyletCommandTest, UnansweredRestartFailsWithoutThePause) {
  Store(kFound, kMoved);
  fake_.ScriptConnections({false});
  EXPECT_EQ(Post(CommandRequestWithoutData(kRestart)), "FAILURE");
  EXPECT_THAT(fake_.Effects(), ElementsAre(Connection(kFound, {kRestartAt1})));
}

TEST_F(SkyletCommandTest, StopDuringThePauseFailsWithoutProbes) {
  Store(kFound, kMoved);
  fake_.set_pause_result(false);
  EXPECT_EQ(Post(CommandRequestWithoutData(kRestart)), "FAILURE");
  EXPECT_THAT(fake_.Effects(),
              ElementsAre(Connection(kFound, {kRestartAt1}), Pause(30000)));
}

TEST_F(SkyletCommandTest, UnansweredProbesFailAndStoreNothing) {
  Store(kFound, kMoved);
  fake_.ScriptConnections({true, false});
  EXPECT_EQ(Post(CommandRequestWithoutData(kRestart)), "FAILURE");
  EXPECT_THAT(fake_.Effects(),
              ElementsAre(Connection(kFound, {kRestartAt1}), Pause(30000),
                          ConnectionUntilSuccess(kMoved, kProbesAt10)));
  EXPECT_EQ(fake_.connected(), kFound);
  EXPECT_EQ(fake_.updated(), kMoved);
}

}  // namespace
}  // namespace testing
}  // namespace tool
