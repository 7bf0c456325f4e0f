// The device-setting operations against a communication service inside the
// test, which answers each command record as the test scripts it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "command/weather/check_connection_request_command.h"
#include "command/weather/skylet_profile.h"
#include "main/tool_manager.h"
#include "rs485/com_service_test.h"
#include "rs485/fake_com_service.h"
#include "rs485/rs485_record_layout.h"
#include "rs485/send_device_setting_command_result.h"

namespace tool {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using Bytes = std::vector<std::uint8_t>;

constexpr int kModbus = SendDeviceSettingCommandResult::kModbus;

// Command bytes of a probe (address 1, 46 05) and a restart (08 00 01).
const Bytes kProbe = {0x05, 0x00, 0x01, 0x46, 0x05, 0xD2, 0x63};
const Bytes kRestart = {0x08, 0x00, 0x01, 0x08, 0x00,
                        0x01, 0x00, 0x00, 0xB1, 0xCB};

// Channel 1, baud-rate setting 2, address 1, serial parameters 0.
constexpr DeviceConnectionParams kProbeParams = {kModbus, 1, 2, 1, 0};

// A reply record carrying `commandBytes`' frame back, as an echoing device
// would send it.
Bytes Echo(const Bytes& commandBytes) {
  return testing::FakeComService::ReplyRecord(
      0, Bytes(commandBytes.begin() + 2, commandBytes.end()));
}
// What the service sends when the device stayed silent.
Bytes NoAnswer() { return testing::FakeComService::ReplyRecord(1, {}); }
// A reply from another slave address.
Bytes Stranger() {
  return testing::FakeComService::ReplyRecord(0, {0x02, 0x46, 0x05, 0, 0});
}

class DeviceSettingTest : public testing::ComServiceTest {
 protected:
  DeviceSettingTest()
      : service_(SocketPath()),
        manager_(skylet::kSkyletProfile, 0, Settings()) {
    manager_.CreateChannelControllers();
  }
  ~DeviceSettingTest() override { manager_.ReleaseChannelControllers(); }

  bool Connect(const std::vector<Bytes>& frames, bool untilSuccess = false,
               int channel = 1, int baudrate = 2, int param = 0) {
    std::vector<const std::uint8_t*> datalist;
    std::vector<int> sizelist;
    for (const Bytes& frame : frames) {
      datalist.push_back(frame.data());
      sizelist.push_back(static_cast<int>(frame.size()));
    }
    const DeviceConnectionParams params = {kModbus, channel, baudrate, 1,
                                           param};
    return untilSuccess
               ? manager_.DeviceSettingConnectionUntilSuccess(params, datalist,
                                                              sizelist)
               : manager_.DeviceSettingConnection(params, datalist, sizelist);
  }

  testing::FakeComService service_;
  ToolManager manager_;
};

TEST_F(DeviceSettingTest, OneFrameAnsweredWellOpensAndClosesAConnection) {
  service_.AnswerCommands({Echo(kProbe)});
  EXPECT_TRUE(Connect({kProbe}));
  EXPECT_THAT(service_.CommandFrames(), ElementsAre(kProbe));
  EXPECT_EQ(service_.Records().size(), 2u);  // port setting, then the frame
  EXPECT_THAT(LoggedMessages(),
              Contains("ToolManager Send Data [0500014605d263]"));
  EXPECT_THAT(LoggedMessages(),
              Contains("ToolManager ### send data response OK"));
  EXPECT_EQ(manager_.GetChannelController(1)->GetAccessData(), nullptr);
}

TEST_F(DeviceSettingTest, FirstBadReplyEndsTheFramesAndStillCloses) {
  service_.AnswerCommands({Echo(kProbe), Stranger(), Echo(kRestart)});
  EXPECT_FALSE(Connect({kProbe, kProbe, kRestart}));
  EXPECT_THAT(service_.CommandFrames(), ElementsAre(kProbe, kProbe));
  EXPECT_THAT(LoggedMessages(),
              Contains("ToolManager ### send data response error"));
  EXPECT_EQ(manager_.GetChannelController(1)->GetAccessData(), nullptr);

  // A missing reply ends it the same way.
  service_.AnswerCommands({NoAnswer(), Echo(kProbe)});
  EXPECT_FALSE(Connect({kProbe, kProbe}));
  EXPECT_EQ(service_.CommandFrames().size(), 3u);
  EXPECT_THAT(LoggedMessages(), Contains("ToolManager ### received data null"));
}

TEST_F(DeviceSettingTest, UntilSuccessStopsAtTheFirstGoodReply) {
  service_.AnswerCommands({NoAnswer(), Echo(kProbe), Echo(kProbe)});
  EXPECT_TRUE(Connect({kProbe, kProbe, kProbe}, true));
  EXPECT_EQ(service_.CommandFrames().size(), 2u);
  EXPECT_THAT(LoggedMessages(), Contains("ToolManager ### received data null"));
}

TEST_F(DeviceSettingTest, UntilSuccessSendsEveryFrameWhenNoneIsAnswered) {
  service_.AnswerCommands({Stranger(), NoAnswer(), Stranger()});
  EXPECT_FALSE(Connect({kProbe, kProbe, kProbe}, true));
  EXPECT_EQ(service_.CommandFrames().size(), 3u);
}

TEST_F(DeviceSettingTest, ProbesEachAddressOverOneConnectionUntilOneAnswers) {
  std::vector<Bytes> frames;
  for (int address : {5, 6, 7}) {
    const auto probe =
        skylet::CheckConnectionRequestCommand::CreateProbe(address);
    frames.emplace_back(probe->GetData(), probe->GetData() + probe->GetSize());
  }
  std::vector<const std::uint8_t*> datalist;
  std::vector<int> sizelist;
  for (const Bytes& frame : frames) {
    datalist.push_back(frame.data());
    sizelist.push_back(static_cast<int>(frame.size()));
  }
  const DeviceConnectionParams params = {kModbus, 1, 2, 5, 0};
  int sent = 0;
  service_.AnswerCommands({NoAnswer(), Echo(frames[1]), Echo(frames[2])});
  EXPECT_EQ(
      manager_.ProbeUntilAnswered(
          params, {5, 6, 7}, datalist, sizelist, [] { return true; }, &sent),
      1);
  EXPECT_EQ(sent, 2);
  EXPECT_THAT(service_.CommandFrames(), ElementsAre(frames[0], frames[1]));
  EXPECT_EQ(service_.Records().size(), 3u);  // one port setting, two probes
  EXPECT_EQ(manager_.GetChannelController(1)->GetAccessData(), nullptr);

  // Asked before each probe, the callback ends the probing at once.
  int asked = 0;
  service_.AnswerCommands({NoAnswer(), NoAnswer(), NoAnswer()});
  EXPECT_EQ(manager_.ProbeUntilAnswered(
                params, {5, 6, 7}, datalist, sizelist,
                [&asked] { return ++asked < 2; }, &sent),
            -1);
  EXPECT_EQ(sent, 1);
  EXPECT_EQ(service_.CommandFrames().size(), 3u);
  // Lists that do not match send nothing.
  EXPECT_EQ(manager_.ProbeUntilAnswered(
                params, {5, 6}, datalist, sizelist, [] { return true; }, &sent),
            -1);
  EXPECT_EQ(sent, 0);
  EXPECT_EQ(service_.CommandFrames().size(), 3u);

  // Without a communication service the first probe ends the probing: the
  // others could only fail the same way.
  const auto nowhere = SettingsWithSocketPath(SocketPath() + ".absent");
  ToolManager alone(skylet::kSkyletProfile, 0, *nowhere);
  alone.CreateChannelControllers();
  EXPECT_EQ(
      alone.ProbeUntilAnswered(
          params, {5, 6, 7}, datalist, sizelist, [] { return true; }, &sent),
      -1);
  EXPECT_EQ(sent, 1);
  EXPECT_THAT(
      LoggedMessages(),
      Contains("ToolManager ProbeUntilAnswered communication service not "
               "answering"));
  alone.ReleaseChannelControllers();
}

TEST_F(DeviceSettingTest, EmptyOrUnequalListsAndUnknownChannelsSendNothing) {
  service_.AnswerCommands({Echo(kProbe)});
  const std::vector<const std::uint8_t*> noData;
  const std::vector<int> oneSize = {7};
  EXPECT_FALSE(manager_.DeviceSettingConnection(kProbeParams, noData, oneSize));
  EXPECT_THAT(LoggedMessages(),
              Contains("ToolManager DeviceSettingConnection datalist sizelist "
                       "empty datalist:0, sizelist:1"));
  const std::vector<const std::uint8_t*> twoData = {kProbe.data(),
                                                    kProbe.data()};
  EXPECT_FALSE(manager_.DeviceSettingConnectionUntilSuccess(kProbeParams,
                                                            twoData, oneSize));
  EXPECT_THAT(LoggedMessages(),
              Contains("ToolManager DeviceSettingConnectionUntilSuccess "
                       "datalist sizelist not equal data:2, size:1"));
  EXPECT_FALSE(Connect({kProbe}, false, 0));
  EXPECT_FALSE(Connect({kProbe}, false, 4));
  EXPECT_TRUE(service_.Records().empty());
}

TEST_F(DeviceSettingTest, LineSettingsComeFromTheWeatherSensorTables) {
  // Settings -> service codes; beyond the rows the fallback row applies.
  const int baudCodes[] = {0, 1, 3, 4, 5, 3, 3};
  for (unsigned baudrate = 0; baudrate < 7; ++baudrate) {
    EXPECT_EQ(manager_.GetPortComBaudrate(baudrate), baudCodes[baudrate]);
  }
  const PortComParams params[] = {
      {3, 0, 255}, {3, 2, 255}, {3, 0, 0}, {3, 0, 1}, {3, 0, 255}};
  for (unsigned param : {0u, 1u, 2u, 3u, 9u}) {
    const PortComParams codes = manager_.GetPortComParams(param);
    const PortComParams& expected = params[param < 4 ? param : 4];
    EXPECT_EQ(codes.dataBit, expected.dataBit) << param;
    EXPECT_EQ(codes.stopBit, expected.stopBit) << param;
    EXPECT_EQ(codes.parity, expected.parity) << param;
  }

  // Baud setting 2 and parameter setting 3 (odd parity) on channel 2.
  service_.AnswerCommands({Echo(kProbe)});
  EXPECT_TRUE(Connect({kProbe}, false, 2, 2, 3));
  const Bytes port = service_.Records().at(0);
  EXPECT_EQ(port[record::kChannelNoOffset], 2);
  EXPECT_EQ(port[record::kBaudCodeOffset], 3);
  EXPECT_EQ(port[record::kPortParamsOffset + 1], 0x33);
  const Bytes command = service_.Records().at(1);
  EXPECT_EQ(command[record::kChannelNoOffset], 2);
  EXPECT_EQ(command[record::kBaudCodeOffset], 3);
}

TEST_F(DeviceSettingTest, OperationsOnOneChannelNeverShareAConnection) {
  service_.AnswerCommands(std::vector<Bytes>(16, Echo(kProbe)));
  std::vector<std::future<bool>> results;
  for (int i = 0; i < 8; ++i) {
    results.push_back(std::async(std::launch::async, [this] {
      return Connect({kProbe, kProbe});
    }));
  }
  for (auto& result : results) EXPECT_TRUE(result.get());
  // Each connection is its port setting followed by its own two frames.
  const auto records = service_.Records();
  ASSERT_EQ(records.size(), 24u);
  for (size_t i = 0; i < records.size(); ++i) {
    EXPECT_EQ(records[i][record::kFrameFlagOffset] != 0, i % 3 != 0) << i;
  }
}

TEST_F(DeviceSettingTest, StopEndsOperationsWaitingForTheService) {
  service_.Answer({}, /*keepOpen=*/true);  // reads every record, never answers
  std::vector<std::future<bool>> operations;
  for (int i = 0; i < 3; ++i) {
    operations.push_back(std::async(std::launch::async, [this] {
      return Connect({kProbe, kProbe});
    }));
  }
  ASSERT_TRUE(service_.AwaitRecords(1));
  const auto stopping = std::chrono::steady_clock::now();
  manager_.Stop();
  for (auto& operation : operations) {
    ASSERT_EQ(operation.wait_for(std::chrono::seconds(2)),
              std::future_status::ready);
    EXPECT_FALSE(operation.get());
  }
  // Far below the 10 s each exchange would otherwise have waited.
  EXPECT_LT(std::chrono::steady_clock::now() - stopping,
            std::chrono::seconds(2));
  EXPECT_THAT(LoggedMessages(), Contains("ToolManager ### received data null"));
}

TEST_F(DeviceSettingTest, StopEndsAPauseAndLaterPausesAtOnce) {
  std::future<bool> pause = std::async(std::launch::async, [this] {
    return manager_.PauseUnlessStopped(30000);
  });
  EXPECT_EQ(pause.wait_for(std::chrono::milliseconds(50)),
            std::future_status::timeout);
  manager_.Stop();
  ASSERT_EQ(pause.wait_for(std::chrono::seconds(2)), std::future_status::ready);
  EXPECT_FALSE(pause.get());
  EXPECT_FALSE(manager_.PauseUnlessStopped(30000));
}

}  // namespace
}  // namespace tool
