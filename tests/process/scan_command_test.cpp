// The scan commands end to end, in both services: HTTP requests to the real
// service, whose probes reach simulated devices in the real RS-485
// stand-in. Each test keeps its scan small (few addresses, few line
// settings, only the channels that hold a device) so that it ends quickly.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <future>
#include <map>
#include <ostream>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "process/device_command_test.h"
#include "process/http_exchange.h"

namespace tool {
namespace testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::StartsWith;

// What a scan asks for, as the items' text; an empty field leaves its item
// out, so that the service's default applies.
struct ScanItems {
  std::string channels;
  std::string baudrates;
  std::string addresses;
  std::string params;
  std::string budget;
  // Wattlet only. CompoWay/F alone by default here, so that the probe
  // counts stay small; cleared where a test wants both protocols.
  std::string protocols = "0";
};

std::string Hex2(int value) {
  char text[3];
  std::snprintf(text, sizeof text, "%02x", value);
  return text;
}

std::string Decimal2(int value) {
  char text[4];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

// The CompoWay/F frame of `text` in lower-case hex: STX, text, ETX, BCC.
std::string Framed(const std::string& text) {
  std::string hex = "02";
  unsigned bcc = 0;
  for (unsigned char c : text + "\x03") {
    hex += Hex2(c);
    bcc ^= c & 0x7F;
  }
  return hex + Hex2(static_cast<int>(bcc));
}

// A malformed request item and the range its message names; `otherTag`,
// when not empty, adds an item that narrows the range.
struct BadItem {
  const char* tag;
  const char* value;
  const char* allowed;
  const char* otherTag = "";
  const char* otherValue = "";
};

// How one service's scan is asked for and what it sends.
struct ScanService {
  const Deliverable* deliverable;
  const char* command;
  // The item tags.
  const char* channelTag;
  const char* protocolTag;  // empty for Skylet
  const char* baudTag;
  const char* addressTag;
  const char* paramTag;
  const char* budgetTag;
  // The default orders of the line settings.
  std::vector<int> baudOrder;
  std::vector<int> paramOrder;
  // The --device value of the device on `channel` at these settings
  // (CompoWay/F for Wattlet).
  std::string (*device)(int channel, int address, int baud, int param);
  // The frame of the probe of `address` (CompoWay/F for Wattlet).
  std::string (*probe)(int address);
  // The port-setting record of a connection at these settings.
  std::string (*port)(int channel, int baud, int param);
  // A check at these settings (CompoWay/F for Wattlet).
  std::string (*check)(int channel, int baud, int address, int param);
  // An update to these settings; the first frame it sends to the device at
  // `address` for them.
  std::string (*update)(int baud, int address, int param);
  std::string (*firstUpdateFrame)(int address, int baud, int param);
  // The stop signal to send; the services take either.
  int stopSignal;
  // The service's kind of line: what the device-found log line says.
  int kind;
  // Items the service refuses, each alone (or with its other item).
  std::vector<BadItem> badItems;
};

void PrintTo(const ScanService& service, std::ostream* out) {
  *out << service.deliverable->name;
}

// Skylet's baud-rate and serial-parameter settings as the port record
// carries them.
constexpr int kSkyletBaudCodes[] = {0, 1, 3, 4, 5};
constexpr const char* kSkyletFormats[] = {"0x03", "0x0b", "0x13", "0x33"};
// Wattlet's serial-parameter settings as the port record carries them.
constexpr const char* kWattletFormats[] = {"0x02", "0x0a", "0x12", "0x1a",
                                           "0x32", "0x3a", "0x03", "0x0b",
                                           "0x13", "0x1b", "0x33", "0x3b"};

std::string Port(int channel, int baudCode, const char* format) {
  return "port ch=" + std::to_string(channel) +
         " baud=" + std::to_string(baudCode) + " format=" + format;
}

const ScanService kSkyletScan = {
    &kSkylet,
    "ScanForWeatherSensor",
    "1",
    "",
    "2",
    "3",
    "4",
    "5",
    {2, 3, 4, 1, 0},
    {0, 2, 3, 1},
    [](int channel, int address, int baud, int param) {
      return std::to_string(channel) + ":weather:" + std::to_string(address) +
             ":" + std::to_string(baud) + ":" + std::to_string(param);
    },
    [](int address) { return WithCrc(Hex2(address) + "4605"); },
    [](int channel, int baud, int param) {
      return Port(channel, kSkyletBaudCodes[baud], kSkyletFormats[param]);
    },
    [](int channel, int baud, int address, int param) {
      return CheckRequest(std::to_string(channel), std::to_string(baud),
                          std::to_string(address), std::to_string(param));
    },
    [](int baud, int address, int param) {
      return UpdateRequest(std::to_string(baud), std::to_string(address),
                           std::to_string(param));
    },
    // The update's line settings go out as hex text: "2" as the byte 0x02.
    [](int address, int baud, int param) {
      return WithCrc(Hex2(address) + "4606" + Hex2(baud) + Hex2(param));
    },
    SIGTERM,
    1,
    {
        {"1", "0", "1-3"},
        {"1", "4", "1-3"},
        {"1", "1,x", "1-3"},
        {"1", "3-1", "1-3"},
        {"2", "5", "0-4"},
        {"2", "-1", "0-4"},
        {"2", "2.0", "0-4"},
        {"3", "0", "1-247"},
        {"3", "248", "1-247"},
        {"3", "1-", "1-247"},
        {"3", "5-3", "1-247"},
        {"3", "1234567", "1-247"},
        {"4", "4", "0-3"},
        {"4", "one", "0-3"},
        {"5", "0", "1-600"},
        {"5", "601", "1-600"},
    },
};

const ScanService kWattletScan = {
    &kWattlet,
    "ScanForKM50",
    "1",
    "2",
    "3",
    "4",
    "5",
    "6",
    {3, 4, 5, 2, 1, 0},
    {3, 4, 6, 0, 1, 2, 5, 7, 8, 9, 10, 11},
    [](int channel, int address, int baud, int param) {
      return std::to_string(channel) +
             ":km50:compoway:" + std::to_string(address) + ":" +
             std::to_string(baud) + ":" + std::to_string(param);
    },
    [](int address) { return Framed(Decimal2(address) + "00008011234"); },
    [](int channel, int baud, int param) {
      return Port(channel, baud, kWattletFormats[param]);
    },
    [](int channel, int baud, int address, int param) {
      return CommandRequest(
          "CheckConnectionForKM50",
          RequestItems({std::to_string(channel), "0", std::to_string(baud),
                        std::to_string(address), std::to_string(param)}));
    },
    [](int baud, int address, int param) {
      return CommandRequest(
          "UpdateSettingsForKM50",
          RequestItems({std::to_string(baud), std::to_string(address),
                        std::to_string(param)}));
    },
    // The update first stops the KM50's operation at its node.
    [](int address, int, int) {
      return Framed(Decimal2(address) + "00030050700");
    },
    SIGUSR1,
    0,
    {
        {"1", "0", "1-3"},
        {"1", "4", "1-3"},
        {"1", "2-1", "1-3"},
        {"2", "2", "0-1"},
        {"2", "x", "0-1"},
        {"3", "6", "0-5"},
        {"3", "5-4", "0-5"},
        {"4", "248", "0-247"},
        // CompoWay/F alone carries nodes up to 99 only.
        {"4", "100", "0-99", "2", "0"},
        {"4", "1,,2", "0-247"},
        {"5", "12", "0-11"},
        {"5", "0x1", "0-11"},
        {"6", "0", "1-600"},
        {"6", "601", "1-600"},
    },
};

// An element's attributes by name, whatever order the writer chose.
using Attributes = std::map<std::string, std::string>;

Attributes AttributesOf(const std::string& element) {
  Attributes attributes;
  const std::regex attribute("([a-z]+)=\"([^\"]*)\"");
  for (auto it =
           std::sregex_iterator(element.begin(), element.end(), attribute);
       it != std::sregex_iterator(); ++it) {
    attributes[(*it)[1]] = (*it)[2];
  }
  return attributes;
}

// The parts of a scan reply.
struct ScanReply {
  std::string body;
  std::string status;
  std::vector<Attributes> devices;  // in the reply's order
  int probes = -1;
  double seconds = -1;
  std::string complete;
  std::string detail;  // the detail element, when there is one
  bool hasScan = false;
};

ScanReply ParseScanReply(const std::string& body) {
  ScanReply reply;
  reply.body = body;
  std::smatch match;
  if (std::regex_search(body, match, std::regex("<status>([A-Z]*)</status>"))) {
    reply.status = match[1];
  }
  const std::regex device("<device [^>]*/>");
  for (auto it = std::sregex_iterator(body.begin(), body.end(), device);
       it != std::sregex_iterator(); ++it) {
    reply.devices.push_back(AttributesOf(it->str()));
  }
  if (std::regex_search(body, match, std::regex("<scan [^>]*/>"))) {
    const Attributes scan = AttributesOf(match.str());
    reply.hasScan = true;
    if (scan.count("probes") != 0) reply.probes = std::stoi(scan.at("probes"));
    if (scan.count("seconds") != 0) {
      reply.seconds = std::stod(scan.at("seconds"));
    }
    if (scan.count("complete") != 0) reply.complete = scan.at("complete");
  }
  if (std::regex_search(body, match, std::regex("<detail>[^]*</detail>"))) {
    reply.detail = match.str();
  }
  return reply;
}

// The code and the message of a detail element, its text unescaped.
std::string Unescaped(std::string text) {
  const std::pair<const char*, const char*> entities[] = {{"&quot;", "\""},
                                                          {"&lt;", "<"},
                                                          {"&gt;", ">"},
                                                          {"&apos;", "'"},
                                                          {"&amp;", "&"}};
  for (const auto& [entity, character] : entities) {
    for (std::size_t at = text.find(entity); at != std::string::npos;
         at = text.find(entity, at + 1)) {
      text.replace(at, std::string(entity).size(), character);
    }
  }
  return text;
}

std::string DetailPart(const std::string& detail, const std::string& tag) {
  std::smatch match;
  if (!std::regex_search(detail, match,
                         std::regex("<" + tag + ">([^<]*)</" + tag + ">"))) {
    return "";
  }
  return Unescaped(match[1]);
}

std::string DetailCode(const std::string& detail) {
  return DetailPart(detail, "code");
}

std::string DetailMessage(const std::string& detail) {
  return DetailPart(detail, "message");
}

class ScanCommandTest : public DeviceCommandTest,
                        public ::testing::WithParamInterface<ScanService> {
 protected:
  ScanCommandTest()
      : DeviceCommandTest(*GetParam().deliverable), service_(GetParam()) {}

  std::string ScanRequest(const ScanItems& scan) const {
    const std::pair<const char*, const std::string*> items[] = {
        {service_.channelTag, &scan.channels},
        {service_.protocolTag, &scan.protocols},
        {service_.baudTag, &scan.baudrates},
        {service_.addressTag, &scan.addresses},
        {service_.paramTag, &scan.params},
        {service_.budgetTag, &scan.budget},
    };
    std::string data = "<requestData>";
    for (const auto& [tag, value] : items) {
      if (*tag == '\0' || value->empty()) continue;
      data += std::string("<item x=\"") + tag + "\">" + *value + "</item>";
    }
    return CommandRequest(service_.command, data + "</requestData>");
  }

  ScanReply Scan(const ScanItems& scan,
                 std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    return ParseScanReply(Post(ScanRequest(scan), timeout));
  }

  Attributes DeviceElement(int channel, int baud, int address,
                           int param) const {
    Attributes device = {{"channel", std::to_string(channel)},
                         {"baudrate", std::to_string(baud)},
                         {"address", std::to_string(address)},
                         {"param", std::to_string(param)}};
    if (service_.deliverable == &kWattlet) device["protocol"] = "0";
    return device;
  }

  // What a scan of `addresses` at one line setting sends when nothing
  // answers before the last of them.
  std::vector<std::string> LineSent(int channel, int baud, int param,
                                    const std::vector<int>& addresses) const {
    std::vector<std::string> sent = {service_.port(channel, baud, param)};
    for (int address : addresses) {
      sent.push_back("command ch=" + std::to_string(channel) +
                     " frame=" + service_.probe(address));
    }
    return sent;
  }

  // The index of the default line setting of `baud` and `param`.
  int LineIndex(int baud, int param) const {
    int index = 0;
    for (int b : service_.baudOrder) {
      for (int p : service_.paramOrder) {
        if (b == baud && p == param) return index;
        ++index;
      }
    }
    return -1;
  }

  std::vector<std::string> ScanMessages(const std::string& log) const {
    std::vector<std::string> messages;
    for (const std::string& message : LogMessages(log)) {
      if (message.find("ScanRequestCommand") != std::string::npos) {
        messages.push_back(message);
      }
    }
    return messages;
  }

  const ScanService& service_;
};

TEST_P(ScanCommandTest, FindsADeviceAtTheDefaultSettingsAtOnce) {
  const int baud = service_.baudOrder.front();
  const int param = service_.paramOrder.front();
  const std::string log = Start({service_.device(1, 3, baud, param)});
  ScanItems scan;
  scan.channels = "1";
  const ScanReply reply = Scan(scan);
  EXPECT_EQ(reply.status, "SUCCESS");
  EXPECT_THAT(reply.devices, ElementsAre(DeviceElement(1, baud, 3, param)));
  EXPECT_EQ(reply.probes, 3);
  EXPECT_EQ(reply.complete, "true");
  EXPECT_EQ(reply.detail, "");
  // Addresses 1 and 2 stay silent; address 3 answers and ends the scan.
  EXPECT_THAT(Sent(), ElementsAreArray(LineSent(1, baud, param, {1, 2, 3})));
  StopInOrder();
  const std::vector<std::string> messages = ScanMessages(log);
  EXPECT_THAT(messages, Contains(StartsWith("INFO ScanRequestCommand Execute "
                                            "scan start ch:1, lines:")));
  EXPECT_THAT(messages,
              Contains("INFO ScanRequestCommand Execute device found ch:1, "
                       "baudrate:" +
                       std::to_string(baud) +
                       ", address:3, param:" + std::to_string(param) +
                       ", kind:" + std::to_string(service_.kind)));
  EXPECT_THAT(messages, Contains(StartsWith("INFO ScanRequestCommand Execute "
                                            "scan end probes:3, seconds:")));
  EXPECT_THAT(messages, Contains(HasSubstr(", complete")));
}

TEST_P(ScanCommandTest, FindsADeviceAtTheLastDefaultLineSetting) {
  const int baud = service_.baudOrder.back();
  const int param = service_.paramOrder.back();
  Start({service_.device(1, 3, baud, param)});
  ScanItems scan;
  scan.channels = "1";
  scan.addresses = "1-5";
  const ScanReply reply = Scan(scan);
  EXPECT_EQ(reply.status, "SUCCESS") << reply.body;
  EXPECT_THAT(reply.devices, ElementsAre(DeviceElement(1, baud, 3, param)));
  // Every earlier line setting probes all five addresses, the last three.
  const int line = LineIndex(baud, param);
  ASSERT_EQ(line, static_cast<int>(service_.baudOrder.size() *
                                   service_.paramOrder.size()) -
                      1);
  EXPECT_EQ(reply.probes, line * 5 + 3);
  EXPECT_EQ(reply.complete, "true");
  const std::vector<std::string> sent = Sent();
  ASSERT_EQ(sent.size(), static_cast<std::size_t>(line + 1 + line * 5 + 3));
  // The line settings in their default order, one connection each.
  std::vector<std::string> ports;
  for (const std::string& record : sent) {
    if (record.rfind("port ", 0) == 0) ports.push_back(record);
  }
  std::vector<std::string> expectedPorts;
  for (int b : service_.baudOrder) {
    for (int p : service_.paramOrder) {
      expectedPorts.push_back(service_.port(1, b, p));
    }
  }
  EXPECT_EQ(ports, expectedPorts);
  const std::vector<std::string> last(sent.end() - 4, sent.end());
  EXPECT_EQ(last, LineSent(1, baud, param, {1, 2, 3}));
}

TEST_P(ScanCommandTest, FindsOneDeviceOnEachOfTwoChannelsInChannelOrder) {
  // Channel 1's device sits at the second line setting, channel 3's at the
  // first, so channel 3 finds its device first; the reply still lists
  // channel 1 first.
  const int firstBaud = service_.baudOrder[0];
  const int secondBaud = service_.baudOrder[1];
  const int param = service_.paramOrder.front();
  const std::string log = Start({service_.device(1, 4, secondBaud, param),
                                 service_.device(3, 2, firstBaud, param)});
  ScanItems scan;
  scan.channels = "1,3";
  scan.addresses = "1-5";
  scan.params = std::to_string(param);
  const ScanReply reply = Scan(scan);
  EXPECT_EQ(reply.status, "SUCCESS") << reply.body;
  EXPECT_THAT(reply.devices,
              ElementsAre(DeviceElement(1, secondBaud, 4, param),
                          DeviceElement(3, firstBaud, 2, param)));
  EXPECT_EQ(reply.probes, (5 + 4) + 2);
  EXPECT_EQ(reply.complete, "true");
  std::vector<std::string> channel3;
  for (const std::string& record : Sent()) {
    if (record.find(" ch=3 ") != std::string::npos) channel3.push_back(record);
  }
  EXPECT_EQ(channel3, LineSent(3, firstBaud, param, {1, 2}));
  StopInOrder();
  const std::vector<std::string> messages = ScanMessages(log);
  EXPECT_THAT(messages,
              Contains(StartsWith("INFO ScanRequestCommand Execute "
                                  "scan start ch:1,3, lines:" +
                                  std::to_string(service_.baudOrder.size()) +
                                  ", budget:120")));
  EXPECT_THAT(messages,
              Contains(StartsWith("INFO ScanRequestCommand Execute device "
                                  "found ch:1, baudrate:" +
                                  std::to_string(secondBaud))));
  EXPECT_THAT(messages,
              Contains(StartsWith("INFO ScanRequestCommand Execute device "
                                  "found ch:3, baudrate:" +
                                  std::to_string(firstBaud))));
}

TEST_P(ScanCommandTest, FindingNothingFailsAfterEveryProbe) {
  const int baud0 = service_.baudOrder[0];
  const int baud1 = service_.baudOrder[1];
  const int param = service_.paramOrder.front();
  // A device at the right line settings, but at an address not searched.
  const std::string log = Start({service_.device(1, 10, baud0, param)});
  ScanItems scan;
  scan.channels = "1,2";
  scan.baudrates = std::to_string(baud0) + "," + std::to_string(baud1);
  scan.params = std::to_string(param);
  scan.addresses = "1-4";
  const ScanReply reply = Scan(scan);
  EXPECT_EQ(reply.status, "FAILURE") << reply.body;
  EXPECT_THAT(reply.devices, IsEmpty());
  // Two line settings, four addresses, two channels.
  EXPECT_EQ(reply.probes, 2 * 4 * 2);
  EXPECT_EQ(reply.complete, "true");
  EXPECT_EQ(reply.detail, "");
  for (int channel : {1, 2}) {
    std::vector<std::string> sent;
    const std::string tag = " ch=" + std::to_string(channel) + " ";
    for (const std::string& record : Sent()) {
      if (record.find(tag) != std::string::npos) sent.push_back(record);
    }
    std::vector<std::string> expected =
        LineSent(channel, baud0, param, {1, 2, 3, 4});
    const std::vector<std::string> second =
        LineSent(channel, baud1, param, {1, 2, 3, 4});
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(sent, expected) << "channel " << channel;
  }
  // Nothing was connected, so an update has nowhere to go.
  EXPECT_THAT(Post(service_.update(baud0, 10, param)),
              HasSubstr("<status>FAILURE</status>"));
  EXPECT_EQ(Sent().size(), 2u * (2 + 8));
  StopInOrder();
  const std::vector<std::string> messages = ScanMessages(log);
  EXPECT_THAT(messages, Contains("INFO ScanRequestCommand Execute scan start "
                                 "ch:1,2, lines:2, budget:120"));
  EXPECT_THAT(messages, Contains(::testing::AllOf(
                            StartsWith("INFO ScanRequestCommand Execute scan "
                                       "end probes:16, seconds:"),
                            ::testing::EndsWith(", complete"))));
}

TEST_P(ScanCommandTest, RunningOutOfTimeEndsTheScanIncomplete) {
  // Each unanswered probe takes 200 ms, so a second holds about five.
  const std::string log = Start({}, {"--silence-ms", "200"});
  ScanItems scan;
  scan.channels = "1";
  scan.budget = "1";
  const auto begin = std::chrono::steady_clock::now();
  const ScanReply reply = Scan(scan, std::chrono::seconds(10));
  const auto took = std::chrono::steady_clock::now() - begin;
  EXPECT_EQ(reply.status, "FAILURE") << reply.body;
  EXPECT_THAT(reply.devices, IsEmpty());
  EXPECT_EQ(reply.complete, "false");
  EXPECT_GE(reply.seconds, 0.9);
  EXPECT_LE(reply.seconds, 2.0 * kTimeScale);
  EXPECT_LT(took, std::chrono::milliseconds(2500) * kTimeScale);
  EXPECT_GE(reply.probes, 4);
  EXPECT_LE(reply.probes, 7);
  // Only the first line setting was reached; each probe was sent once.
  std::vector<std::string> sent = Sent();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent.front(), service_.port(1, service_.baudOrder.front(),
                                        service_.paramOrder.front()));
  EXPECT_EQ(static_cast<int>(sent.size()), 1 + reply.probes);
  StopInOrder();
  const std::vector<std::string> messages = ScanMessages(log);
  EXPECT_THAT(messages, Contains(HasSubstr("budget:1")));
  EXPECT_THAT(messages, Contains(::testing::AllOf(
                            StartsWith("INFO ScanRequestCommand Execute scan "
                                       "end probes:"),
                            ::testing::EndsWith(", incomplete"))));
}

TEST_P(ScanCommandTest, StopDuringAScanEndsTheServiceAtOnce) {
  // Each unanswered probe takes 500 ms, and the default plan takes hours.
  const std::string log = Start({}, {"--silence-ms", "500"});
  ScanItems scan;
  scan.channels = "1";
  std::future<HttpReply> scanning = std::async(std::launch::async, [&] {
    return HttpExchange(PostRequest(ScanRequest(scan)),
                        std::chrono::seconds(10));
  });
  ASSERT_TRUE(WaitUntil(
      [&] {
        for (const std::string& record : Sent()) {
          if (record.rfind("command ", 0) == 0) return true;
        }
        return false;
      },
      std::chrono::seconds(5)));
  const auto stopping = std::chrono::steady_clock::now();
  process_->Signal(service_.stopSignal);
  EXPECT_EQ(process_->WaitForExit(kStopTimeout), 0) << process_->Stderr();
  const HttpReply http = scanning.get();
  EXPECT_LT(std::chrono::steady_clock::now() - stopping,
            kStopTimeout + std::chrono::milliseconds(500));
  // Answered with a failure, or cut off as the service ended.
  if (http.status != 0) {
    const ScanReply reply = ParseScanReply(http.body);
    EXPECT_EQ(reply.status, "FAILURE") << http.body;
    EXPECT_EQ(reply.complete, "false");
    EXPECT_THAT(reply.devices, IsEmpty());
  }
  const std::vector<std::string> messages = LogMessages(log);
  EXPECT_THAT(messages, Contains(::testing::AllOf(
                            StartsWith("INFO ScanRequestCommand Execute scan "
                                       "end probes:"),
                            ::testing::EndsWith(", incomplete"))));
  EXPECT_EQ(messages.back(),
            std::string("INFO ToolManager ") + deliverable_.name + " Stop");
}

TEST_P(ScanCommandTest, CheckOnTheSameChannelGetsItsTurnBetweenLineSettings) {
  // Eight unanswered probes of 40 ms each: one line setting takes about a
  // third of a second, time enough to ask for the check during the first.
  const int checkBaud = service_.baudOrder[0];
  const int baud1 = service_.baudOrder[1];
  const int baud2 = service_.baudOrder[2];
  const int param = service_.paramOrder.front();
  Start({service_.device(1, 20, checkBaud, param)}, {"--silence-ms", "40"});
  ScanItems scan;
  scan.channels = "1";
  scan.baudrates = std::to_string(baud1) + "," + std::to_string(baud2);
  scan.params = std::to_string(param);
  scan.addresses = "1-8";
  std::future<std::string> scanning =
      std::async(std::launch::async, [&] { return Post(ScanRequest(scan)); });
  ASSERT_TRUE(WaitUntil(
      [&] {
        for (const std::string& record : Sent()) {
          if (record.rfind("command ", 0) == 0) return true;
        }
        return false;
      },
      std::chrono::seconds(5)));
  EXPECT_THAT(Post(service_.check(1, checkBaud, 20, param)),
              HasSubstr("<status>SUCCESS</status>"));
  EXPECT_NE(scanning.wait_for(std::chrono::seconds(0)),
            std::future_status::ready)
      << "the check waited for the whole scan";
  const ScanReply reply = ParseScanReply(scanning.get());
  EXPECT_EQ(reply.status, "FAILURE") << reply.body;
  EXPECT_EQ(reply.probes, 16);
  EXPECT_EQ(reply.complete, "true");
  // The check's connection comes after the first line setting's last probe
  // and before the second's first.
  std::vector<std::string> expected =
      LineSent(1, baud1, param, {1, 2, 3, 4, 5, 6, 7, 8});
  expected.push_back(service_.port(1, checkBaud, param));
  expected.push_back("command ch=1 frame=" + service_.probe(20));
  const std::vector<std::string> second =
      LineSent(1, baud2, param, {1, 2, 3, 4, 5, 6, 7, 8});
  expected.insert(expected.end(), second.begin(), second.end());
  EXPECT_EQ(Sent(), expected);
}

TEST_P(ScanCommandTest, ScanThenUpdateGoesToTheDeviceFound) {
  const int baud = service_.baudOrder[1];
  const int param = service_.paramOrder.front();
  Start({service_.device(2, 4, baud, param)});
  ScanItems scan;
  scan.channels = "2";
  scan.params = std::to_string(param);
  scan.addresses = "1-5";
  const ScanReply reply = Scan(scan);
  ASSERT_EQ(reply.status, "SUCCESS") << reply.body;
  const std::size_t scanned = Sent().size();
  const int newBaud = service_.baudOrder[0];
  EXPECT_THAT(Post(service_.update(newBaud, 4, param)),
              HasSubstr("<status>SUCCESS</status>"));
  const std::vector<std::string> sent = Sent();
  ASSERT_GE(sent.size(), scanned + 2);
  // The update opened the line the scan had found and addressed the device
  // there.
  EXPECT_EQ(sent[scanned], service_.port(2, baud, param));
  EXPECT_EQ(
      sent[scanned + 1],
      "command ch=2 frame=" + service_.firstUpdateFrame(4, newBaud, param));
}

TEST_P(ScanCommandTest, MalformedItemAnswers400NamingItAndSendsNothing) {
  const std::string log = Start(
      {service_.device(1, 1, service_.baudOrder[0], service_.paramOrder[0])});
  for (const BadItem& bad : service_.badItems) {
    SCOPED_TRACE(std::string("item ") + bad.tag + " \"" + bad.value + "\"");
    std::string items = "<requestData>";
    if (*bad.otherTag != '\0') {
      items += std::string("<item x=\"") + bad.otherTag + "\">" +
               bad.otherValue + "</item>";
    }
    items += std::string("<item x=\"") + bad.tag + "\">" + bad.value +
             "</item></requestData>";
    const ScanReply reply =
        ParseScanReply(Post(CommandRequest(service_.command, items)));
    EXPECT_EQ(reply.status, "FAILURE") << reply.body;
    EXPECT_EQ(DetailCode(reply.detail), "400") << reply.body;
    EXPECT_EQ(DetailMessage(reply.detail),
              std::string("requestData item ") + bad.tag + " is not valid: \"" +
                  bad.value + "\" (allowed: " + bad.allowed + ")")
        << reply.body;
    EXPECT_FALSE(reply.hasScan) << reply.body;
    EXPECT_THAT(reply.devices, IsEmpty());
  }
  EXPECT_THAT(Records(), IsEmpty());
  StopInOrder();
  const std::vector<std::string> messages = ScanMessages(log);
  EXPECT_THAT(messages, Contains(StartsWith("ERROR ScanRequestCommand Execute "
                                            "requestData item ")));
  EXPECT_THAT(messages, Not(Contains(HasSubstr("scan start"))));
}

TEST_P(ScanCommandTest, BudgetOfMoreThanOneNumberAnswers400NamingIt) {
  Start({});
  // A list or a range of budgets: each number is within range, but a budget
  // is one number.
  for (const char* value : {"5,10", "10-20"}) {
    SCOPED_TRACE(value);
    const std::string items = std::string("<requestData><item x=\"") +
                              service_.budgetTag + "\">" + value +
                              "</item></requestData>";
    const ScanReply reply =
        ParseScanReply(Post(CommandRequest(service_.command, items)));
    EXPECT_EQ(reply.status, "FAILURE") << reply.body;
    EXPECT_EQ(DetailCode(reply.detail), "400") << reply.body;
    EXPECT_EQ(DetailMessage(reply.detail),
              std::string("requestData item ") + service_.budgetTag +
                  " is not valid: \"" + value + "\" (allowed: 1-600)");
    EXPECT_FALSE(reply.hasScan);
  }
  EXPECT_THAT(Records(), IsEmpty());
}

// Wattlet alone searches two protocols.
class Km50ScanTest : public DeviceCommandTest {
 protected:
  Km50ScanTest() : DeviceCommandTest(kWattlet) {}
};

TEST_F(Km50ScanTest, FindsAModbusKm50AfterEveryCompowayLineSetting) {
  Start({"1:km50:modbus:2:3:3"});
  // Node 0 exists only in CompoWay/F, so Modbus probes 1 and 2 alone.
  const ScanReply reply = ParseScanReply(
      Post(CommandRequest("ScanForKM50",
                          "<requestData><item x=\"1\">1</item>"
                          "<item x=\"4\">0-2</item></requestData>")));
  EXPECT_EQ(reply.status, "SUCCESS") << reply.body;
  EXPECT_THAT(reply.devices, ElementsAre(Attributes{{"channel", "1"},
                                                    {"baudrate", "3"},
                                                    {"address", "2"},
                                                    {"param", "3"},
                                                    {"protocol", "1"}}));
  // 6 baud codes times 12 serial-parameter settings in CompoWay/F, three
  // nodes each, then the first Modbus line setting up to slave 2.
  EXPECT_EQ(reply.probes, 6 * 12 * 3 + 2);
  EXPECT_EQ(reply.complete, "true");
  const std::vector<std::string> sent = Sent();
  ASSERT_GE(sent.size(), 4u);
  const std::vector<std::string> first(sent.begin(), sent.begin() + 4);
  EXPECT_THAT(first,
              ElementsAre("port ch=1 baud=3 format=0x1a",
                          "command ch=1 frame=" + Framed("0000008011234"),
                          "command ch=1 frame=" + Framed("0100008011234"),
                          "command ch=1 frame=" + Framed("0200008011234")));
  const std::vector<std::string> last(sent.end() - 3, sent.end());
  EXPECT_THAT(last,
              ElementsAre("port ch=1 baud=3 format=0x1a",
                          "command ch=1 frame=" + WithCrc("010800001234"),
                          "command ch=1 frame=" + WithCrc("020800001234")));
  // The Modbus settings are the connected ones: an update straight after
  // the scan goes out in Modbus to slave 2.
  const std::size_t scanned = sent.size();
  EXPECT_THAT(Post(CommandRequest("UpdateSettingsForKM50",
                                  RequestItems({"3", "2", "3"}))),
              HasSubstr("<status>SUCCESS</status>"));
  ASSERT_GT(Sent().size(), scanned + 1);
  EXPECT_EQ(Sent()[scanned + 1],
            "command ch=1 frame=" + WithCrc("020600000700"));
}

INSTANTIATE_TEST_SUITE_P(Services, ScanCommandTest,
                         ::testing::Values(kSkyletScan, kWattletScan),
                         [](const ::testing::TestParamInfo<ScanService>& info) {
                           return std::string(info.param.deliverable->name);
                         });

}  // namespace
}  // namespace testing
}  // namespace tool
