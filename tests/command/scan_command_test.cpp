// The scan commands of both services against a fake line with devices at
// given settings: the order in which line settings and addresses are
// probed, what the reply lists, what is stored, and the items refused.
#include <Poco/AutoPtr.h>
#include <Poco/DOM/DOMParser.h>
#include <Poco/DOM/Document.h>
#include <Poco/DOM/Element.h>
#include <Poco/DOM/NodeList.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include "command/command_test_util.h"
#include "command/km50/wattlet_profile.h"
#include "command/weather/skylet_profile.h"
#include "rs485/device_setting_interface.h"
#include "rs485/send_device_setting_command_result.h"
#include "server/receive_request_command_executor.h"

namespace tool {
namespace testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr int kModbus = SendDeviceSettingCommandResult::kModbus;
constexpr int kCompowayF = SendDeviceSettingCommandResult::kCompowayF;

// One device-setting connection of a scan, as the line saw it.
struct Line {
  int checkKind;
  int channel;
  int baudrate;
  int param;
  std::vector<int> addresses;  // in the order probed
};

bool operator==(const Line& a, const Line& b) {
  return std::tie(a.checkKind, a.channel, a.baudrate, a.param, a.addresses) ==
         std::tie(b.checkKind, b.channel, b.baudrate, b.param, b.addresses);
}

void PrintTo(const Line& line, std::ostream* out) {
  *out << "{kind " << line.checkKind << ", ch " << line.channel << ", baud "
       << line.baudrate << ", param " << line.param << ", "
       << line.addresses.size() << " addresses}";
}

// Lines with devices at given settings. Probes come from the channels'
// threads at once, so everything is locked. A device answers a probe
// when the line settings, protocol and the frame's address all match.
class FakeLine : public DeviceSettingInterface {
 public:
  void AddDevice(const DeviceConnectionParams& device) {
    devices_.push_back(device);
  }
  // The service stops once this many probes have gone out.
  void StopAfterProbes(int probes) { stopAfter_ = probes; }

  int ProbeUntilAnswered(const DeviceConnectionParams& params,
                         const std::vector<int>& addresses,
                         const std::vector<const std::uint8_t*>& datalist,
                         const std::vector<int>& sizelist,
                         const std::function<bool()>& keepGoing,
                         int* sent) override {
    *sent = 0;
    EXPECT_EQ(addresses.size(), datalist.size());
    EXPECT_EQ(addresses.size(), sizelist.size());
    Line line = {
        params.checkKind, params.channel, params.baudrate, params.param, {}};
    int answered = -1;
    for (std::size_t i = 0; i < addresses.size(); ++i) {
      if (!keepGoing()) break;
      ++*sent;
      ++probes_;
      line.addresses.push_back(addresses[i]);
      // The frame is the check's probe for that address.
      const std::uint8_t frameAddress = datalist[i][2];
      if (params.checkKind != kCompowayF) {
        EXPECT_EQ(frameAddress, addresses[i]);
      }
      if (Answers(params, addresses[i])) {
        answered = static_cast<int>(i);
        break;
      }
    }
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.push_back(std::move(line));
    return answered;
  }

  bool PauseUnlessStopped(int) override {
    return stopAfter_ < 0 || probes_ < stopAfter_;
  }

  void SetConnectedParams(const DeviceConnectionParams& params) override {
    std::lock_guard<std::mutex> lock(mutex_);
    connected_.push_back(params);
  }

  // The lines of `channel`, in order.
  std::vector<Line> LinesOf(int channel) const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<Line> lines;
    for (const Line& line : lines_) {
      if (line.channel == channel) lines.push_back(line);
    }
    return lines;
  }
  std::vector<DeviceConnectionParams> connected() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return connected_;
  }
  int probes() const { return probes_; }

 private:
  bool Answers(const DeviceConnectionParams& params, int address) const {
    for (const DeviceConnectionParams& device : devices_) {
      if (device.channel == params.channel &&
          device.checkKind == params.checkKind &&
          device.baudrate == params.baudrate && device.param == params.param &&
          device.address == address) {
        return true;
      }
    }
    return false;
  }

  std::vector<DeviceConnectionParams> devices_;
  std::atomic<int> probes_{0};
  std::atomic<int> stopAfter_{-1};
  mutable std::mutex mutex_;
  std::vector<Line> lines_;
  std::vector<DeviceConnectionParams> connected_;
};

// What a scan reply says.
struct ScanReply {
  std::string status;
  std::string code;
  std::string message;
  std::vector<std::map<std::string, std::string>> devices;
  std::map<std::string, std::string> scan;
};

std::map<std::string, std::string> Attributes(Poco::XML::Element* element) {
  std::map<std::string, std::string> attributes;
  for (const char* name : {"channel", "baudrate", "address", "param",
                           "protocol", "probes", "seconds", "complete"}) {
    if (element->hasAttribute(name)) {
      attributes[name] = element->getAttribute(name);
    }
  }
  return attributes;
}

std::string Text(Poco::XML::Document* document, const std::string& tag) {
  Poco::XML::Element* element =
      document->documentElement()->getChildElement(tag);
  return element ? element->innerText() : "-";
}

ScanReply ParseScanReply(const std::string& text) {
  Poco::XML::DOMParser parser;
  Poco::AutoPtr<Poco::XML::Document> document = parser.parseString(text);
  ScanReply reply;
  reply.status = Text(document, "status");
  Poco::XML::Element* root = document->documentElement();
  if (Poco::XML::Element* detail = root->getChildElement("detail")) {
    reply.code = detail->getChildElement("code")->innerText();
    reply.message = detail->getChildElement("message")->innerText();
  }
  if (Poco::XML::Element* data = root->getChildElement("responseData")) {
    for (Poco::XML::Node* node = data->firstChild(); node != nullptr;
         node = node->nextSibling()) {
      auto* element = dynamic_cast<Poco::XML::Element*>(node);
      if (element == nullptr) continue;
      if (element->tagName() == "device") {
        reply.devices.push_back(Attributes(element));
      } else if (element->tagName() == "scan") {
        reply.scan = Attributes(element);
      }
    }
  }
  return reply;
}

// A scan request whose items are given by tag, in order.
std::string ScanRequest(
    const std::string& command,
    const std::vector<std::pair<std::string, std::string>>& items) {
  std::string body = "<commandRequest id=\"" + std::string(kRequestId) +
                     "\"><command>" + command + "</command><requestData>";
  for (const auto& [tag, value] : items) {
    body += "<item x=\"" + tag + "\">" + value + "</item>";
  }
  return body + "</requestData></commandRequest>";
}

std::vector<int> Addresses(int from, int to) {
  std::vector<int> addresses;
  for (int address = from; address <= to; ++address) {
    addresses.push_back(address);
  }
  return addresses;
}

class ScanCommandTest : public ::testing::Test {
 protected:
  ScanReply Skylet(
      const std::vector<std::pair<std::string, std::string>>& items) {
    return ParseScanReply(
        ReceiveRequestCommandExecutor(skylet::kSkyletProfile.commands, line_)
            .ExecuteRequest(ScanRequest("ScanForWeatherSensor", items)));
  }
  ScanReply Wattlet(
      const std::vector<std::pair<std::string, std::string>>& items) {
    return ParseScanReply(
        ReceiveRequestCommandExecutor(wattlet::kWattletProfile.commands, line_)
            .ExecuteRequest(ScanRequest("ScanForKM50", items)));
  }

  FakeLine line_;
};

TEST_F(ScanCommandTest, SkyletDefaultsTryTheFactorySettingFirst) {
  line_.AddDevice({kModbus, 2, 2, 1, 0});
  const ScanReply reply = Skylet({});
  EXPECT_EQ(reply.status, "SUCCESS");
  ASSERT_EQ(reply.devices.size(), 1u);
  EXPECT_EQ(reply.devices[0],
            (std::map<std::string, std::string>{{"channel", "2"},
                                                {"baudrate", "2"},
                                                {"address", "1"},
                                                {"param", "0"}}));
  EXPECT_THAT(line_.LinesOf(2), ElementsAre(Line{kModbus, 2, 2, 0, {1}}));
  // Channels without a device try every combination, in order: baud-rate
  // settings outer, serial parameters inner, each over all addresses.
  std::vector<Line> expected;
  for (int baudrate : {2, 3, 4, 1, 0}) {
    for (int param : {0, 2, 3, 1}) {
      expected.push_back({kModbus, 1, baudrate, param, Addresses(1, 247)});
    }
  }
  EXPECT_EQ(line_.LinesOf(1), expected);
  EXPECT_EQ(line_.LinesOf(3).size(), 20u);
  EXPECT_EQ(reply.scan.at("probes"), std::to_string(1 + 2 * 20 * 247));
  EXPECT_EQ(reply.scan.at("complete"), "true");
  EXPECT_THAT(line_.connected(),
              ElementsAre(DeviceConnectionParams{kModbus, 2, 2, 1, 0}));
}

TEST_F(ScanCommandTest, GivenListsAreTriedInTheirOrderAndStopAtTheDevice) {
  line_.AddDevice({kModbus, 1, 0, 7, 1});
  const ScanReply reply =
      Skylet({{"1", "1"}, {"2", "4,0"}, {"3", "9, 7-8,7"}, {"4", "1-2"}});
  EXPECT_EQ(reply.status, "SUCCESS");
  EXPECT_THAT(line_.LinesOf(1), ElementsAre(Line{kModbus, 1, 4, 1, {9, 7, 8}},
                                            Line{kModbus, 1, 4, 2, {9, 7, 8}},
                                            Line{kModbus, 1, 0, 1, {9, 7}}));
  EXPECT_THAT(line_.LinesOf(2), IsEmpty());
  EXPECT_EQ(reply.scan.at("probes"), "8");
}

TEST_F(ScanCommandTest, DevicesAreListedAndStoredInTheGivenChannelOrder) {
  line_.AddDevice({kModbus, 1, 2, 3, 0});
  line_.AddDevice({kModbus, 3, 2, 5, 0});
  const ScanReply reply = Skylet({{"1", "3,1"}, {"2", "2"}, {"4", "0"}});
  EXPECT_EQ(reply.status, "SUCCESS");
  ASSERT_EQ(reply.devices.size(), 2u);
  EXPECT_EQ(reply.devices[0].at("channel"), "3");
  EXPECT_EQ(reply.devices[1].at("channel"), "1");
  EXPECT_THAT(line_.connected(),
              ElementsAre(DeviceConnectionParams{kModbus, 3, 2, 5, 0}));
  EXPECT_EQ(reply.scan.at("probes"), "8");
}

TEST_F(ScanCommandTest, NothingFoundIsFailureWithTheCompleteScan) {
  const ScanReply reply = Skylet({{"1", "2"}, {"2", "1"}, {"3", "1-3"}});
  EXPECT_EQ(reply.status, "FAILURE");
  EXPECT_EQ(reply.code, "");
  EXPECT_THAT(reply.devices, IsEmpty());
  EXPECT_EQ(reply.scan.at("probes"), "12");
  EXPECT_EQ(reply.scan.at("complete"), "true");
  EXPECT_THAT(line_.connected(), IsEmpty());
}

TEST_F(ScanCommandTest, StopEndsTheScanBetweenProbesAsFailure) {
  line_.AddDevice({kModbus, 1, 0, 1, 1});
  line_.StopAfterProbes(5);
  const ScanReply reply = Skylet({{"1", "1"}});
  EXPECT_EQ(reply.status, "FAILURE");
  EXPECT_EQ(reply.scan.at("probes"), "5");
  EXPECT_EQ(reply.scan.at("complete"), "false");
  EXPECT_THAT(line_.connected(), IsEmpty());
}

TEST_F(ScanCommandTest, RequestWithoutRequestDataScansWithTheDefaults) {
  line_.AddDevice({kModbus, 1, 2, 1, 0});
  const std::string text =
      ReceiveRequestCommandExecutor(skylet::kSkyletProfile.commands, line_)
          .ExecuteRequest(CommandRequestWithoutData("ScanForWeatherSensor"));
  EXPECT_EQ(ParseScanReply(text).status, "SUCCESS");
}

TEST_F(ScanCommandTest, WattletDefaultsStartWithCompowayFAtNodeOne) {
  line_.AddDevice({kModbus, 1, 3, 9, 3});
  const ScanReply reply = Wattlet({{"1", "1"}, {"3", "3"}, {"5", "3"}});
  EXPECT_EQ(reply.status, "SUCCESS");
  std::vector<int> compowayOrder = Addresses(1, 99);
  compowayOrder.push_back(0);
  EXPECT_THAT(line_.LinesOf(1),
              ElementsAre(Line{kCompowayF, 1, 3, 3, compowayOrder},
                          Line{kModbus, 1, 3, 3, Addresses(1, 9)}));
  ASSERT_EQ(reply.devices.size(), 1u);
  EXPECT_EQ(reply.devices[0].at("protocol"), "1");
  EXPECT_THAT(line_.connected(),
              ElementsAre(DeviceConnectionParams{kModbus, 1, 3, 9, 3}));
}

TEST_F(ScanCommandTest, WattletProbesAnAddressOnlyInProtocolsThatCarryIt) {
  const ScanReply reply =
      Wattlet({{"1", "1"}, {"3", "0"}, {"4", "0,50,150"}, {"5", "0"}});
  EXPECT_EQ(reply.status, "FAILURE");
  EXPECT_THAT(line_.LinesOf(1), ElementsAre(Line{kCompowayF, 1, 0, 0, {0, 50}},
                                            Line{kModbus, 1, 0, 0, {50, 150}}));
  // Modbus alone knows no address 0, CompoWay/F alone none above 99.
  EXPECT_EQ(Wattlet({{"2", "1"}, {"4", "0"}}).code, "400");
  EXPECT_EQ(Wattlet({{"2", "0"}, {"4", "100"}}).code, "400");
}

// Each malformed item is refused by name before anything is sent.
struct BadItem {
  bool wattlet;
  std::string tag;
  std::string value;
  std::string allowed;
};

class ScanBadItemTest : public ScanCommandTest,
                        public ::testing::WithParamInterface<BadItem> {};

TEST_P(ScanBadItemTest, IsRefusedWithCode400NamingTheItem) {
  const BadItem& item = GetParam();
  const ScanReply reply = item.wattlet ? Wattlet({{item.tag, item.value}})
                                       : Skylet({{item.tag, item.value}});
  EXPECT_EQ(reply.status, "FAILURE");
  EXPECT_EQ(reply.code, "400");
  EXPECT_EQ(reply.message, "requestData item " + item.tag +
                               " is not valid: \"" + item.value +
                               "\" (allowed: " + item.allowed + ")");
  EXPECT_THAT(reply.devices, IsEmpty());
  EXPECT_EQ(line_.probes(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Items, ScanBadItemTest,
    ::testing::Values(
        BadItem{false, "1", "4", "1-3"}, BadItem{false, "1", "0", "1-3"},
        BadItem{false, "1", "one", "1-3"}, BadItem{false, "2", "5", "0-4"},
        BadItem{false, "2", "3-1", "0-4"}, BadItem{false, "3", "0", "1-247"},
        BadItem{false, "3", "1-248", "1-247"}, BadItem{false, "3", "", "1-247"},
        BadItem{false, "3", "1,,2", "1-247"},
        BadItem{false, "3", "-3", "1-247"},
        BadItem{false, "3", "0x10", "1-247"}, BadItem{false, "4", "4", "0-3"},
        BadItem{false, "5", "0", "1-600"}, BadItem{false, "5", "601", "1-600"},
        BadItem{true, "1", "1-4", "1-3"}, BadItem{true, "2", "2", "0-1"},
        BadItem{true, "3", "6", "0-5"}, BadItem{true, "4", "248", "0-247"},
        BadItem{true, "5", "12", "0-11"}, BadItem{true, "6", "1000", "1-600"}));

TEST_F(ScanCommandTest, BudgetMustBeOneNumber) {
  const ScanReply reply = Skylet({{"5", "10,20"}});
  EXPECT_EQ(reply.code, "400");
  EXPECT_THAT(reply.message, HasSubstr("requestData item 5"));
  EXPECT_EQ(line_.probes(), 0);
}

}  // namespace
}  // namespace testing
}  // namespace tool
