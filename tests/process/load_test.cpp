// Fifty clients at once against the real services and the RS-485 stand-in,
// with every command of the service over the three channels: every request
// is answered, operations never share a channel's connection, descriptors
// and memory return to their idle level, no log line is lost, and a stop in
// the middle of it all is quick and clean.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <iterator>
#include <map>
#include <ostream>
#include <random>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "process/device_command_test.h"
#include "process/load_driver.h"
#include "process/resident_memory.h"
#include "support/test_files.h"

namespace tool {
namespace testing {
namespace {

using ::testing::IsEmpty;

constexpr int kClients = 50;
constexpr auto kLoadTime = std::chrono::seconds(30);
constexpr auto kWarmUpTime = std::chrono::seconds(2);
// Above the 30 s restart pause and its probes.
constexpr auto kReplyTimeout = std::chrono::seconds(45);
// Resident memory may stay this much above its idle level once the load is
// over (allocator caches); a leak of a few hundred bytes per request would
// exceed it.
constexpr long kRssToleranceKiB = 4 * 1024;

// Sanitizers keep freed memory in quarantine and shadow every byte, so
// resident memory says nothing about the service there.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kMemoryIsMeasurable = false;
#else
constexpr bool kMemoryIsMeasurable = true;
#endif

// The line settings of the device on each channel, as request items.
struct DeviceSettings {
  const char* device;  // --device value for the stand-in
  std::vector<std::string> checkItems;
};

// Weather sensors at their own addresses and line settings.
const DeviceSettings kSensors[] = {
    {"1:weather:1:2:0", {"1", "2", "1", "0"}},
    {"2:weather:2:3:1", {"2", "3", "2", "1"}},
    {"3:weather:3:1:2", {"3", "1", "3", "2"}},
};

// KM50s apply an update at once, to whichever KM50 the last successful check
// found, so under load they keep moving. Checks and updates therefore use
// only these two line settings: every KM50 is always at one of them, and a
// check at a random one of them finds its KM50 about half the time. The
// serial parameters differ only in parity, the one part an update writes.
struct Km50Line {
  const char* baudrate;
  const char* address;
  const char* param;
};
constexpr Km50Line kKm50Lines[] = {{"3", "1", "4"}, {"5", "2", "2"}};

// KM50s in both protocols, each at one of kKm50Lines; checkItems holds the
// channel and the protocol.
const DeviceSettings kKm50s[] = {
    {"1:km50:compoway:1:3:4", {"1", "0"}},
    {"2:km50:modbus:2:5:2", {"2", "1"}},
    {"3:km50:compoway:1:3:4", {"3", "0"}},
};

int Pick(std::mt19937& random, int low, int high) {
  return std::uniform_int_distribution<int>(low, high)(random);
}

std::string Number(std::mt19937& random, int low, int high) {
  return std::to_string(Pick(random, low, high));
}

// Requests that need no device: unknown names, broken XML, no channel.
std::string Stray(std::mt19937& random, const std::string& check) {
  switch (Pick(random, 0, 2)) {
    case 0:
      return CommandRequest("NoSuchCommand", "");
    case 1:
      return "<commandRequest id=\"7\"><command>";
    default:
      return CommandRequest(
          check,
          RequestItems({Pick(random, 0, 1) == 0 ? "0" : "4", "2", "1", "0"}));
  }
}

// Skylet's mix. The first two clients begin with a restart, so that two
// requests spend most of the load in the 30 s pause.
std::string SkyletRequest(int client, int sent, std::mt19937& random,
                          bool restarts) {
  if (restarts && sent == 0 && client < 2) return RestartRequest();
  const int kind = Pick(random, 0, 99);
  if (kind < 40) {
    const DeviceSettings& sensor = kSensors[Pick(random, 0, 2)];
    return CommandRequest("CheckConnectionForWeatherSensor",
                          RequestItems(sensor.checkItems));
  }
  if (kind < 55) {
    return CheckRequest(Number(random, 1, 3), Number(random, 0, 4),
                        Number(random, 1, 9), Number(random, 0, 3));
  }
  if (kind < 80) {
    return UpdateRequest(Number(random, 0, 4), Number(random, 1, 9),
                         Number(random, 0, 3));
  }
  return Stray(random, "CheckConnectionForWeatherSensor");
}

// Wattlet's mix: checks in both protocols, wide random checks that mostly
// miss, and updates between the two line settings.
std::string WattletRequest(int, int, std::mt19937& random, bool) {
  const int kind = Pick(random, 0, 99);
  if (kind < 40) {
    const DeviceSettings& km50 = kKm50s[Pick(random, 0, 2)];
    const Km50Line& line = kKm50Lines[Pick(random, 0, 1)];
    return CommandRequest(
        "CheckConnectionForKM50",
        RequestItems({km50.checkItems[0], km50.checkItems[1], line.baudrate,
                      line.address, line.param}));
  }
  if (kind < 55) {
    return CommandRequest(
        "CheckConnectionForKM50",
        RequestItems({Number(random, 1, 3), Number(random, 0, 1),
                      Number(random, 2, 5), Number(random, 1, 9),
                      Number(random, 0, 11)}));
  }
  if (kind < 80) {
    const Km50Line& line = kKm50Lines[Pick(random, 0, 1)];
    return CommandRequest(
        "UpdateSettingsForKM50",
        RequestItems({line.baudrate, line.address, line.param}));
  }
  return Stray(random, "CheckConnectionForKM50");
}

using RequestMix = std::string (*)(int client, int sent, std::mt19937& random,
                                   bool restarts);

struct LoadCase {
  const Deliverable* deliverable;
  const DeviceSettings* devices;
  RequestMix mix;
  int stopSignal;
};

void PrintTo(const LoadCase& load, std::ostream* out) {
  *out << load.deliverable->name;
}

int OpenDescriptors(pid_t pid) {
  std::error_code error;
  std::filesystem::directory_iterator fds(
      "/proc/" + std::to_string(pid) + "/fd", error);
  if (error) return -1;
  return static_cast<int>(std::distance(fds, {}));
}

// The number of log messages that contain `text`.
int CountMessages(const std::vector<std::string>& messages,
                  const std::string& text) {
  int count = 0;
  for (const std::string& message : messages) {
    if (message.find(text) != std::string::npos) ++count;
  }
  return count;
}

class LoadTest : public DeviceCommandTest,
                 public ::testing::WithParamInterface<LoadCase> {
 protected:
  LoadTest() : DeviceCommandTest(*GetParam().deliverable) {}

  // Starts the stand-in with the case's devices and the service logging
  // every level into one large file, with buffered output as by default.
  std::string StartUnderLoadSettings() {
    std::vector<std::string> devices;
    for (int i = 0; i < 3; ++i) devices.push_back(GetParam().devices[i].device);
    StartStandIn(devices);
    WriteFile(
        ServiceSandbox::SettingsFilePath(),
        SettingsXml({{"LogLevel", "0"}, {"LoggerLogMaxFileSize", "1GB"}}));
    return StartAndAwait(*GetParam().deliverable, kSdcardHome);
  }

  LoadDriver::RequestMaker Mix(bool restarts) const {
    const RequestMix mix = GetParam().mix;
    return [mix, restarts](int client, int sent, std::mt19937& random) {
      return mix(client, sent, random, restarts);
    };
  }

  // Runs kClients clients for `duration` and waits for every reply.
  LoadDriver::Outcome Load(std::chrono::milliseconds duration, bool restarts) {
    LoadDriver driver(kClients, Mix(restarts), kReplyTimeout);
    driver.Run();
    std::this_thread::sleep_for(duration);
    return driver.Join();
  }

  // Per channel, the port-setting records; and every command record must
  // carry the baud code and format of the port setting before it, which a
  // second operation sharing the connection would break.
  std::map<int, int> PortSettingsPerChannel() const {
    const std::regex field(
        R"(^(port|command) ch=(\d+) .*baud=(\d+) .*format=(\S+))");
    std::map<int, std::string> line;
    std::map<int, int> ports;
    for (const std::string& record : standIn_->RecordLines()) {
      std::smatch match;
      if (!std::regex_search(record, match, field)) continue;
      const int channel = std::stoi(match[2].str());
      const std::string settings = match[3].str() + " " + match[4].str();
      if (match[1] == "port") {
        line[channel] = settings;
        ++ports[channel];
      } else {
        EXPECT_EQ(settings, line[channel]) << record;
      }
    }
    return ports;
  }
};

TEST_P(LoadTest, FiftyClientsForThirtySecondsAreAllAnswered) {
  const std::string log = StartUnderLoadSettings();
  const pid_t pid = process_->Pid();

  // The first burst grows the thread pools and the allocator's caches; the
  // level after it is the idle level.
  const LoadDriver::Outcome warmUp = Load(kWarmUpTime, /*restarts=*/false);
  EXPECT_THAT(warmUp.malformed, IsEmpty());
  int idleDescriptors = OpenDescriptors(pid);
  WaitUntil(
      [&] {
        const int now = OpenDescriptors(pid);
        const bool settled = now == idleDescriptors;
        idleDescriptors = now;
        return settled;
      },
      std::chrono::seconds(5));
  const long idleKiB = ResidentKiB(pid);

  const LoadDriver::Outcome load = Load(kLoadTime, /*restarts=*/true);
  EXPECT_THAT(load.malformed, IsEmpty());
  EXPECT_EQ(load.closed, 0);
  // The devices stay within reach of the checks, so a good share succeeds.
  EXPECT_GT(load.success, load.sent / 10);
  EXPECT_GT(load.sent, 10 * kClients);
  RecordProperty("requests", load.sent);
  RecordProperty("successes", load.success);
  RecordProperty("idle_descriptors", idleDescriptors);
  RecordProperty("idle_rss_kib", static_cast<int>(idleKiB));

  EXPECT_TRUE(WaitUntil([&] { return OpenDescriptors(pid) <= idleDescriptors; },
                        std::chrono::seconds(5)))
      << OpenDescriptors(pid) << " descriptors open, " << idleDescriptors
      << " when idle";
  RecordProperty("rss_kib_after_load", static_cast<int>(ResidentKiB(pid)));
  if (kMemoryIsMeasurable) {
    EXPECT_LE(ResidentKiB(pid), idleKiB + kRssToleranceKiB)
        << "idle " << idleKiB << " KiB";
  }

  StopInOrder();
  const std::vector<std::string> messages = LogMessages(log);
  const int requests = warmUp.sent + load.sent;
  EXPECT_EQ(CountMessages(messages, "INFO LoggerServer HTTP Request ["),
            requests);
  EXPECT_EQ(CountMessages(messages, "INFO LoggerServer HTTP Response ["),
            requests);
  const std::map<int, int> ports = PortSettingsPerChannel();
  for (int channel = 1; channel <= 3; ++channel) {
    // One port setting for each operation: none opened its connection on
    // top of another's.
    const std::string call = " call ch:" + std::to_string(channel) + ",";
    EXPECT_EQ(ports.count(channel) ? ports.at(channel) : 0,
              CountMessages(messages, "DeviceSettingConnection" + call) +
                  CountMessages(messages,
                                "DeviceSettingConnectionUntilSuccess" + call))
        << "channel " << channel;
  }
  EXPECT_EQ(messages.back(),
            std::string("INFO ToolManager ") + deliverable_.name + " Stop");
}

TEST_P(LoadTest, StopInTheMiddleOfTheLoadIsQuickAndLosesNoLine) {
  const std::string log = StartUnderLoadSettings();
  LoadDriver driver(kClients, Mix(/*restarts=*/true), kReplyTimeout);
  driver.Run();
  ASSERT_TRUE(WaitUntil([&] { return driver.Answered() >= 4 * kClients; },
                        std::chrono::seconds(20)));
  const auto stopping = std::chrono::steady_clock::now();
  process_->Signal(GetParam().stopSignal);
  // The requests under way must be answered or closed; new ones would only
  // meet a closed port, and fifty clients retrying that at full speed would
  // measure how two cores are shared rather than the stop.
  driver.StopSending();
  EXPECT_EQ(process_->WaitForExit(kStopTimeout), 0) << process_->Stderr();
  const auto stopTime = std::chrono::steady_clock::now() - stopping;
  EXPECT_LT(stopTime, kStopTimeout);
  RecordProperty(
      "stop_ms",
      static_cast<int>(
          std::chrono::duration_cast<std::chrono::milliseconds>(stopTime)
              .count()));
  const LoadDriver::Outcome outcome = driver.Join();
  // Every request was answered whole or had its connection closed; none
  // waited for a reply that never came.
  EXPECT_THAT(outcome.malformed, IsEmpty());
  EXPECT_LT(outcome.longest, std::chrono::seconds(5) * kTimeScale);

  const std::vector<std::string> messages = LogMessages(log);
  EXPECT_GE(CountMessages(messages, "INFO LoggerServer HTTP Response ["),
            outcome.success + outcome.failure);
  EXPECT_EQ(messages.back(),
            std::string("INFO ToolManager ") + deliverable_.name + " Stop");
  EXPECT_THAT(process_->Stderr(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Services, LoadTest,
    ::testing::Values(LoadCase{&kSkylet, kSensors, SkyletRequest, SIGTERM},
                      LoadCase{&kWattlet, kKm50s, WattletRequest, SIGUSR1}),
    [](const ::testing::TestParamInfo<LoadCase>& info) {
      return std::string(info.param.deliverable->name);
    });

}  // namespace
}  // namespace testing
}  // namespace tool
