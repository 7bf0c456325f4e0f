// The process-level benchmark: the real Skylet and Wattlet with the RS-485
// stand-in, each run in fresh fixed directories inside private mount and
// network namespaces, as the process tests run them. Prints, for both
// services, the time a device check adds to the socket exchanges it needs,
// the idle memory and CPU, the speed-up of three channels over one, the
// probe rate of a device scan on one channel and on three, and the start
// and stop times, as medians over repeated rounds with their spread.
//
// The figures of one round are taken alternately for the two services, and
// within a round the direct socket exchanges (the floor) alternate with the
// HTTP checks, so that a drift of the machine hits both sides alike.
//
//   service_bench [--rounds N] [--samples N] [--idle-seconds N]
//                 [--scan-addresses N] [--quick] [--memory-only]
#include <dirent.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "command/km50/wattlet_profile.h"
#include "command/weather/skylet_profile.h"
#include "process/http_exchange.h"
#include "process/memory_breakdown.h"
#include "process/request_text.h"
#include "process/resident_memory.h"
#include "process/service_process.h"
#include "process/service_sandbox.h"
#include "process/stand_in_process.h"
#include "rs485/device_com_process_access_data.h"
#include "rs485/rs485_device_set_port_params_utility.h"
#include "rs485/rs485_record_layout.h"
#include "server/product_profile.h"

namespace tool {
namespace bench {
namespace {

using Clock = std::chrono::steady_clock;
using testing::CommandRequest;
using testing::HttpExchange;
using testing::PostRequest;
using testing::RequestItems;
using testing::ServiceProcess;
using testing::ServiceSandbox;
using testing::StandInProcess;

struct Options {
  int rounds = 5;
  int samples = 400;  // checks (and floor exchanges) per round
  int idleSeconds = 10;
  int speedupChecks = 20;  // checks per client in the speed-up figure
  // Addresses probed per channel in the scan figures: each probe waits out
  // the whole silence, so ten take about five seconds.
  int scanAddresses = 10;
  bool memoryOnly = false;
};

// What differs between the two services in this benchmark.
struct Service {
  const char* name;
  const ProductProfile* profile;
  int executable;
  // The stand-in's --device value for channel `channel`.
  std::function<std::string(int channel)> device;
  // The body of a check of the device on `channel`.
  std::function<std::string(int channel)> check;
  // The body of a scan of `channels` over `addresses` (item lists such as
  // "1,2,3" and "1-10") with one line setting.
  std::function<std::string(const std::string& channels,
                            const std::string& addresses)>
      scan;
  // The frame that check sends.
  std::vector<std::uint8_t> frame;
  int baudSetting;
  int paramSetting;
};

// A weather sensor at slave address 10, baud setting 2, serial setting 0.
std::vector<std::uint8_t> SkyletFrame() {
  return {0x0a, 0x46, 0x05, 0xa3, 0xa1};
}

// The KM50 echoback test to node 01 in CompoWay/F: STX, text, ETX, BCC.
std::vector<std::uint8_t> WattletFrame() {
  const std::string text = "0100008011234\x03";
  std::vector<std::uint8_t> frame = {0x02};
  std::uint8_t bcc = 0;
  for (unsigned char c : text) {
    frame.push_back(c);
    bcc ^= c;
  }
  frame.push_back(bcc);
  return frame;
}

std::vector<Service> Services(int skylet, int wattlet) {
  return {
      {"Skylet", &skylet::kSkyletProfile, skylet,
       [](int channel) { return std::to_string(channel) + ":weather:10:2:0"; },
       [](int channel) {
         return CommandRequest(
             "CheckConnectionForWeatherSensor",
             RequestItems({std::to_string(channel), "2", "10", "0"}));
       },
       [](const std::string& channels, const std::string& addresses) {
         return CommandRequest("ScanForWeatherSensor",
                               RequestItems({channels, "2", addresses, "0"}));
       },
       SkyletFrame(), 2, 0},
      {"Wattlet", &wattlet::kWattletProfile, wattlet,
       [](int channel) {
         return std::to_string(channel) + ":km50:compoway:1:3:4";
       },
       [](int channel) {
         return CommandRequest(
             "CheckConnectionForKM50",
             RequestItems({std::to_string(channel), "0", "3", "1", "4"}));
       },
       [](const std::string& channels, const std::string& addresses) {
         return CommandRequest(
             "ScanForKM50", RequestItems({channels, "0", "3", addresses, "4"}));
       },
       WattletFrame(), 3, 4},
  };
}

// ---------------------------------------------------------------------------
// The floor: the two socket exchanges of one check, made directly.

// The two records a check of `service`'s device on channel 1 sends, built
// with the services' own record code and tables.
struct FloorRecords {
  std::shared_ptr<DeviceComProcessAccessData> port;
  std::shared_ptr<DeviceComProcessAccessData> command;
};

FloorRecords MakeFloorRecords(const Service& service) {
  const PortComTables& tables = service.profile->portComTables;
  const PortComParams codes =
      tables.serialParams.rows[static_cast<unsigned>(service.paramSetting)];
  const int baudCode = tables.baudrates.codes == nullptr
                           ? service.baudSetting
                           : tables.baudrates.codes[service.baudSetting];
  constexpr int kChannel = 1;
  auto port =
      std::make_shared<DeviceComProcessAccessData>(kChannel - 1, baudCode);
  std::uint8_t* buffer = port->GetBuffer();
  RS485DeviceSetPortParamsUtility::SetSetPortParams(
      buffer + record::kPortParamsOffset, 1, codes.dataBit, codes.stopBit,
      codes.parity);
  record::StoreUint32(buffer + record::kChannelNoOffset, kChannel);
  buffer[record::kBaudCodeOffset] = static_cast<std::uint8_t>(baudCode);
  std::shared_ptr<DeviceComProcessAccessData> command =
      DeviceComProcessAccessData::Clone(*port);
  // Command bytes: the frame's 2-byte length, then the frame.
  std::vector<std::uint8_t> bytes(2 + service.frame.size());
  record::StoreUint16(bytes.data(),
                      static_cast<std::uint16_t>(service.frame.size()));
  std::copy(service.frame.begin(), service.frame.end(), bytes.begin() + 2);
  command->SetSendData(1, bytes.data(), static_cast<int>(bytes.size()));
  return {port, command};
}

// One exchange as the services make it: connect, write the record, read the
// reply until the stand-in closes. False when it failed.
bool Exchange(const DeviceComProcessAccessData& access) {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_un address;
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, testing::kComSocketPath,
               sizeof address.sun_path - 1);
  bool ok = connect(fd, reinterpret_cast<const sockaddr*>(&address),
                    sizeof address) == 0;
  const std::uint8_t* data = access.GetBuffer();
  int written = 0;
  while (ok && written < access.GetSize()) {
    const ssize_t n =
        send(fd, data + written, access.GetSize() - written, MSG_NOSIGNAL);
    ok = n > 0;
    if (ok) written += static_cast<int>(n);
  }
  static std::uint8_t reply[record::kReplyRecordSize];
  int received = 0;
  while (ok && received < record::kReplyRecordSize) {
    const ssize_t n =
        recv(fd, reply + received, record::kReplyRecordSize - received, 0);
    ok = n >= 0;
    if (n <= 0) break;
    received += static_cast<int>(n);
  }
  close(fd);
  if (!ok || received < record::kStatusOffset + 4) return false;
  if (record::LoadInt32(reply + record::kStatusOffset) != 0) return false;
  // A command's reply carries the device's frame.
  return access.GetBuffer()[record::kFrameFlagOffset] == 0 ||
         record::LoadInt16(reply + record::kReplyLengthOffset) > 0;
}

// ---------------------------------------------------------------------------
// Measuring.

double Milliseconds(Clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

double Quantile(std::vector<double> values, double q) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t index = std::min(
      values.size() - 1, static_cast<std::size_t>(q * (values.size() - 1)));
  return values[index];
}

double Median(const std::vector<double>& values) {
  return Quantile(values, 0.5);
}

// True when a socket listens on TCP port 8084 of the namespace: the kernel
// then accepts connections. Read from /proc so that no connection disturbs
// the idle figures.
bool Listening8084() {
  std::ifstream tcp("/proc/net/tcp");
  std::string line;
  std::getline(tcp, line);
  while (std::getline(tcp, line)) {
    // "  0: 00000000:1F94 00000000:0000 0A ..." ; state 0A is LISTEN.
    if (line.find(":1F94 ") != std::string::npos &&
        line.find(" 0A ") != std::string::npos) {
      return true;
    }
  }
  return false;
}

// Nanoseconds that the threads of `pid` have run so far: each thread's
// schedstat starts with its run time.
long long RunNanoseconds(pid_t pid) {
  const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
  DIR* dir = opendir(tasks.c_str());
  if (dir == nullptr) return -1;
  long long total = 0;
  while (const dirent* entry = readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    std::ifstream stat(tasks + "/" + entry->d_name + "/schedstat");
    long long ns = 0;
    if (stat >> ns) total += ns;
  }
  closedir(dir);
  return total;
}

int ThreadCount(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("Threads:", 0) == 0) return std::atoi(line.c_str() + 8);
  }
  return -1;
}

// The library floor program (library_floor.cpp), running from construction
// until destruction.
class LibraryFloor {
 public:
  LibraryFloor() {
    pid_ = fork();
    if (pid_ == 0) {
      char* const argv[] = {const_cast<char*>(LIBRARY_FLOOR_PATH), nullptr};
      execv(LIBRARY_FLOOR_PATH, argv);
      _exit(127);
    }
  }
  ~LibraryFloor() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  LibraryFloor(const LibraryFloor&) = delete;
  LibraryFloor& operator=(const LibraryFloor&) = delete;

  // -1 when it could not be started.
  pid_t Pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
};

// The figures of one round of one service; each vector holds the samples.
struct Round {
  std::vector<double> checkMs;
  std::vector<double> floorMs;
  double startMs = 0;
  double stopMs = 0;
  double restartMs = 0;  // second start, with three delayed devices
  double restopMs = 0;
  long idleKiB = 0;
  long libraryFloorKiB = 0;  // the library floor program, at the same moment
  std::vector<long> idleKiBByPart;  // in the order of MemoryParts()
  long idlePrivateKiB = 0;
  int idleThreads = 0;
  double idleCpuPercent = 0;
  double cpuPerCheckMs = 0;  // the service's CPU time per check
  double speedup = 0;
  double oneChannelSeconds = 0;
  double threeChannelSeconds = 0;
  double scanProbesPerSecond = 0;  // one channel, per second of wall time
  double scanSpeedup = 0;          // three channels' probe rate over one's
};

// Starts `service` into `*process` and measures exec to port 8084
// listening. False when it did not start.
bool StartService(const Service& service,
                  std::optional<ServiceProcess>* process, double* startMs) {
  process->emplace(service.executable, service.name, "/tmp");
  const Clock::time_point begin = Clock::now();
  if (!(*process)->Start()) return false;
  while (!Listening8084()) {
    if (Clock::now() - begin > std::chrono::seconds(20)) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  *startMs = Milliseconds(Clock::now() - begin);
  return true;
}

// SIGTERM to exit, or a negative figure when it did not exit in order.
double StopService(ServiceProcess& process) {
  const pid_t pid = process.Pid();
  const Clock::time_point begin = Clock::now();
  process.Signal(SIGTERM);
  int status = 0;
  for (;;) {
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (Clock::now() - begin > std::chrono::seconds(20)) return -1;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  const double ms = Milliseconds(Clock::now() - begin);
  // The process object must not wait for or kill it again.
  process.WaitForExit(std::chrono::milliseconds(0));
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? ms : -1;
}

bool CheckSucceeds(const std::string& body) {
  const testing::HttpReply reply = HttpExchange(PostRequest(body));
  return reply.status == 200 &&
         reply.body.find("<status>SUCCESS</status>") != std::string::npos;
}

// Three clients, each making `checks` checks one after another, on
// channels 1, 2 and 3 (`spread`) or all on channel 1. Seconds in all, or a
// negative figure when a check failed.
double ThreeClients(const Service& service, int checks, bool spread) {
  std::vector<std::thread> clients;
  std::vector<int> failed(3, 0);
  const Clock::time_point begin = Clock::now();
  for (int client = 0; client < 3; ++client) {
    clients.emplace_back([&, client] {
      const std::string body = service.check(spread ? client + 1 : 1);
      for (int i = 0; i < checks; ++i) {
        if (!CheckSucceeds(body)) ++failed[client];
      }
    });
  }
  for (std::thread& client : clients) client.join();
  const double seconds =
      std::chrono::duration<double>(Clock::now() - begin).count();
  for (int count : failed) {
    if (count != 0) return -1;
  }
  return seconds;
}

bool Fail(const char* service, const std::string& what) {
  std::fprintf(stderr, "%s: %s\n", service, what.c_str());
  return false;
}

// The silence of a real communication service before it reports that no
// device answered: its line time-out.
constexpr char kLineSilenceMs[] = "500";

// The number in attribute `name` of the reply's scan element, or -1.
double ScanAttribute(const std::string& body, const std::string& name) {
  const std::size_t scan = body.find("<scan ");
  if (scan == std::string::npos) return -1;
  const std::size_t at = body.find(" " + name + "=\"", scan);
  if (at == std::string::npos) return -1;
  return std::atof(body.c_str() + at + name.size() + 3);
}

// Scans the `channelCount` channels of the item list `channels`, each over
// addresses 1 to `addresses`, where no device answers. Probes per second of
// the wall time of the whole HTTP exchange, which is what a client waits;
// 0 when the reply is not that of a full scan that found nothing.
double ScanProbesPerSecond(const Service& service, const std::string& channels,
                           int channelCount, int addresses) {
  const std::string body =
      PostRequest(service.scan(channels, "1-" + std::to_string(addresses)));
  const Clock::time_point begin = Clock::now();
  // The service's own budget (120 s) ends a scan long before this.
  const testing::HttpReply reply =
      HttpExchange(body, std::chrono::seconds(150));
  const double seconds =
      std::chrono::duration<double>(Clock::now() - begin).count();
  const double probes = ScanAttribute(reply.body, "probes");
  if (reply.status != 200 ||
      reply.body.find("complete=\"true\"") == std::string::npos ||
      reply.body.find("<device ") != std::string::npos ||
      probes != channelCount * addresses) {
    std::fprintf(stderr, "unexpected scan reply: %s\n", reply.body.c_str());
    return 0;
  }
  return probes / seconds;
}

bool MeasureRound(const Service& service, const Options& options,
                  Round* round) {
  ServiceSandbox sandbox;
  {
    // Idle figures, latency and the first stop.
    StandInProcess standIn(
        "stand-in", {service.device(1), service.device(2), service.device(3)});
    if (!standIn.Start()) return Fail(service.name, "stand-in did not start");
    std::optional<ServiceProcess> process;
    if (!StartService(service, &process, &round->startMs))
      return Fail(service.name, "did not start");
    const Clock::time_point started = Clock::now();
    const LibraryFloor floor;
    std::this_thread::sleep_until(started + std::chrono::seconds(3));
    round->idleKiB = testing::ResidentKiB(process->Pid());
    round->libraryFloorKiB =
        floor.Pid() > 0 ? testing::ResidentKiB(floor.Pid()) : -1;
    round->idleThreads = ThreadCount(process->Pid());
    const MemoryUse use = ReadMemoryUse(process->Pid(), service.name);
    round->idleKiBByPart = use.residentKiBByPart;
    round->idlePrivateKiB = use.privateKiB;
    if (!options.memoryOnly) {
      const long long before = RunNanoseconds(process->Pid());
      const Clock::time_point idleBegin = Clock::now();
      std::this_thread::sleep_for(std::chrono::seconds(options.idleSeconds));
      const long long after = RunNanoseconds(process->Pid());
      const double wallNs =
          std::chrono::duration<double, std::nano>(Clock::now() - idleBegin)
              .count();
      round->idleCpuPercent =
          100.0 * static_cast<double>(after - before) / wallNs;

      const FloorRecords records = MakeFloorRecords(service);
      const std::string body = PostRequest(service.check(1));
      // A few rounds first, so that neither side pays for first use.
      for (int i = 0; i < 20; ++i) {
        if (!CheckSucceeds(service.check(1))) {
          return Fail(service.name, "check failed");
        }
        Exchange(*records.port);
        Exchange(*records.command);
      }
      const long long cpuBefore = RunNanoseconds(process->Pid());
      for (int i = 0; i < options.samples; ++i) {
        // The order alternates, so that neither side always follows the
        // other.
        for (int side = 0; side < 2; ++side) {
          if ((side + i) % 2 == 0) {
            const Clock::time_point begin = Clock::now();
            const bool ok =
                Exchange(*records.port) && Exchange(*records.command);
            round->floorMs.push_back(Milliseconds(Clock::now() - begin));
            if (!ok) return Fail(service.name, "direct exchange failed");
          } else {
            const Clock::time_point begin = Clock::now();
            const testing::HttpReply reply = HttpExchange(body);
            round->checkMs.push_back(Milliseconds(Clock::now() - begin));
            if (reply.body.find("SUCCESS") == std::string::npos) {
              return Fail(service.name, "check failed");
            }
          }
        }
      }
      // The floor exchanges cost the service nothing.
      round->cpuPerCheckMs =
          static_cast<double>(RunNanoseconds(process->Pid()) - cpuBefore) /
          1e6 / options.samples;
    }
    round->stopMs = StopService(*process);
    if (round->stopMs < 0) return Fail(service.name, "did not stop in order");
    if (!standIn.Stop()) return Fail(service.name, "stand-in did not stop");
  }
  if (options.memoryOnly) return true;
  {
    // Three devices that each take 20 ms to answer.
    std::vector<std::string> devices;
    std::vector<std::string> faults;
    for (int channel = 1; channel <= 3; ++channel) {
      devices.push_back(service.device(channel));
      faults.push_back("--fault");
      faults.push_back(std::to_string(channel) + ":delay:20");
    }
    StandInProcess standIn("slow-stand-in", devices, faults);
    if (!standIn.Start()) return Fail(service.name, "stand-in did not start");
    std::optional<ServiceProcess> process;
    if (!StartService(service, &process, &round->restartMs))
      return Fail(service.name, "did not start");
    // The first check may meet the port before the server is ready.
    for (int i = 0; i < 100 && !CheckSucceeds(service.check(1)); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const int checks = options.speedupChecks;
    const double one = ThreeClients(service, checks, false);
    const double three = ThreeClients(service, checks, true);
    if (one < 0 || three < 0) return Fail(service.name, "a check failed");
    round->oneChannelSeconds = one;
    round->threeChannelSeconds = three;
    round->speedup = one / three;
    round->restopMs = StopService(*process);
    if (round->restopMs < 0) return Fail(service.name, "did not stop in order");
    if (!standIn.Stop()) return Fail(service.name, "stand-in did not stop");
  }
  {
    // No device at all, and every unanswered probe waits out the line's
    // silence: the scan's rate is then set by the line, not by the machine.
    StandInProcess standIn("silent-stand-in", {},
                           {"--silence-ms", kLineSilenceMs});
    if (!standIn.Start()) return Fail(service.name, "stand-in did not start");
    std::optional<ServiceProcess> process;
    double startMs = 0;
    if (!StartService(service, &process, &startMs))
      return Fail(service.name, "did not start");
    // A scan of a channel that does not exist is refused at once, with
    // nothing sent: it tells when the server takes requests.
    const std::string refused = PostRequest(service.scan("9", "1"));
    for (int i = 0; i < 100 && HttpExchange(refused).status != 200; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const int addresses = options.scanAddresses;
    const double one = ScanProbesPerSecond(service, "1", 1, addresses);
    const double three = ScanProbesPerSecond(service, "1,2,3", 3, addresses);
    if (one <= 0 || three <= 0) return Fail(service.name, "a scan failed");
    round->scanProbesPerSecond = one;
    round->scanSpeedup = three / one;
    if (StopService(*process) < 0)
      return Fail(service.name, "did not stop in order");
    if (!standIn.Stop()) return Fail(service.name, "stand-in did not stop");
  }
  return true;
}

// ---------------------------------------------------------------------------
// Reporting.

// "median (min-max)" of one figure over the rounds.
std::string Spread(const std::vector<double>& values, const char* format) {
  char median[32];
  char low[32];
  char high[32];
  std::snprintf(median, sizeof median, format, Median(values));
  std::snprintf(low, sizeof low, format,
                *std::min_element(values.begin(), values.end()));
  std::snprintf(high, sizeof high, format,
                *std::max_element(values.begin(), values.end()));
  return std::string(median) + " (" + low + "-" + high + ")";
}

using Figure = std::function<double(const Round&)>;

void PrintRow(const char* name, const std::vector<std::vector<Round>>& rounds,
              const Figure& figure, const char* format) {
  std::printf("| %s |", name);
  for (const std::vector<Round>& service : rounds) {
    std::vector<double> values;
    for (const Round& round : service) values.push_back(figure(round));
    std::printf(" %s |", Spread(values, format).c_str());
  }
  std::printf("\n");
}

void Report(const std::vector<Service>& services,
            const std::vector<std::vector<Round>>& rounds,
            const Options& options) {
  std::printf("\n%d rounds", options.rounds);
  if (!options.memoryOnly) {
    std::printf(
        ", %d checks and %d floor exchanges per round, idle CPU over "
        "%d s, %d checks per client for the speed-up, scans of %d "
        "addresses per channel with %s ms of silence per probe",
        options.samples, options.samples, options.idleSeconds,
        options.speedupChecks, options.scanAddresses, kLineSilenceMs);
  }
  std::printf("; median over the rounds (min-max)\n\n| figure |");
  for (const Service& service : services) std::printf(" %s |", service.name);
  std::printf("\n|---|");
  for (std::size_t i = 0; i < services.size(); ++i) std::printf("---|");
  std::printf("\n");
  if (!options.memoryOnly) {
    PrintRow(
        "check over HTTP minus floor, median (ms)", rounds,
        [](const Round& r) { return Median(r.checkMs) - Median(r.floorMs); },
        "%.3f");
    PrintRow(
        "check over HTTP p99 minus floor median (ms)", rounds,
        [](const Round& r) {
          return Quantile(r.checkMs, 0.99) - Median(r.floorMs);
        },
        "%.3f");
    PrintRow(
        "check over HTTP, median (ms)", rounds,
        [](const Round& r) { return Median(r.checkMs); }, "%.3f");
    PrintRow(
        "check over HTTP, p99 (ms)", rounds,
        [](const Round& r) { return Quantile(r.checkMs, 0.99); }, "%.3f");
    PrintRow(
        "service CPU time per check (ms)", rounds,
        [](const Round& r) { return r.cpuPerCheckMs; }, "%.3f");
    PrintRow(
        "floor (two direct exchanges), median (ms)", rounds,
        [](const Round& r) { return Median(r.floorMs); }, "%.3f");
    PrintRow(
        "floor, p99 (ms)", rounds,
        [](const Round& r) { return Quantile(r.floorMs, 0.99); }, "%.3f");
  }
  PrintRow(
      "idle resident memory 3 s after start (MiB)", rounds,
      [](const Round& r) { return r.idleKiB / 1024.0; }, "%.2f");
  PrintRow(
      "of which private, not shared with other processes (MiB)", rounds,
      [](const Round& r) { return r.idlePrivateKiB / 1024.0; }, "%.2f");
  PrintRow(
      "a program that only loads the same libraries (MiB)", rounds,
      [](const Round& r) { return r.libraryFloorKiB / 1024.0; }, "%.2f");
  PrintRow(
      "idle threads", rounds,
      [](const Round& r) { return static_cast<double>(r.idleThreads); },
      "%.0f");
  if (!options.memoryOnly) {
    PrintRow(
        "idle CPU (%)", rounds, [](const Round& r) { return r.idleCpuPercent; },
        "%.3f");
    PrintRow(
        "three clients on three channels vs one, 20 ms device (x)", rounds,
        [](const Round& r) { return r.speedup; }, "%.2f");
    PrintRow(
        "scan of one channel, 500 ms silence (probes per second)", rounds,
        [](const Round& r) { return r.scanProbesPerSecond; }, "%.3f");
    PrintRow(
        "scan of three channels vs one, 500 ms silence, probe rate (x)", rounds,
        [](const Round& r) { return r.scanSpeedup; }, "%.3f");
  }
  PrintRow(
      "start, exec to port 8084 listening (ms)", rounds,
      [](const Round& r) { return r.startMs; }, "%.1f");
  PrintRow(
      "stop, SIGTERM to exit, idle (ms)", rounds,
      [](const Round& r) { return r.stopMs; }, "%.1f");
  if (!options.memoryOnly) {
    PrintRow(
        "stop, SIGTERM to exit, after load (ms)", rounds,
        [](const Round& r) { return r.restopMs; }, "%.1f");
  }
}

// Where the idle resident memory lies, one row per part.
void ReportMemoryParts(const std::vector<Service>& services,
                       const std::vector<std::vector<Round>>& rounds) {
  for (const std::vector<Round>& service : rounds) {
    for (const Round& round : service) {
      if (round.idleKiBByPart.size() != MemoryParts().size()) return;
    }
  }
  std::printf("\nidle resident memory by mapping (KiB)\n\n| part |");
  for (const Service& service : services) std::printf(" %s |", service.name);
  std::printf("\n|---|");
  for (std::size_t i = 0; i < services.size(); ++i) std::printf("---|");
  std::printf("\n");
  for (std::size_t part = 0; part < MemoryParts().size(); ++part) {
    PrintRow(
        MemoryParts()[part].c_str(), rounds,
        [part](const Round& r) {
          return static_cast<double>(r.idleKiBByPart[part]);
        },
        "%.0f");
  }
}

bool ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    const auto number = [&](int* value) {
      if (i + 1 >= argc) return false;
      *value = std::atoi(argv[++i]);
      return *value > 0;
    };
    if (name == "--quick") {
      // A smoke run: every figure once, briefly.
      options->rounds = 1;
      options->samples = 20;
      options->idleSeconds = 1;
      options->speedupChecks = 3;
      // Two scans of a second each per service.
      options->scanAddresses = 2;
    } else if (name == "--memory-only") {
      options->memoryOnly = true;
    } else if (name == "--rounds") {
      if (!number(&options->rounds)) return false;
    } else if (name == "--samples") {
      if (!number(&options->samples)) return false;
    } else if (name == "--idle-seconds") {
      if (!number(&options->idleSeconds)) return false;
    } else if (name == "--scan-addresses") {
      if (!number(&options->scanAddresses)) return false;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace
}  // namespace bench
}  // namespace tool

int main(int argc, char** argv) {
  using tool::bench::Options;
  Options options;
  if (!tool::bench::ParseOptions(argc, argv, &options)) {
    std::fprintf(stderr,
                 "usage: %s [--rounds N] [--samples N] [--idle-seconds N] "
                 "[--scan-addresses N] [--quick] [--memory-only]\n",
                 argv[0]);
    return 2;
  }
  using tool::testing::ServiceProcess;
  const int skylet = ServiceProcess::OpenExecutable(SKYLET_PATH);
  const int wattlet = ServiceProcess::OpenExecutable(WATTLET_PATH);
  tool::testing::standInExecutable =
      ServiceProcess::OpenExecutable(STAND_IN_PATH);
  if (skylet < 0 || wattlet < 0 || tool::testing::standInExecutable < 0) {
    std::fprintf(stderr, "cannot open %s, %s or %s\n", SKYLET_PATH,
                 WATTLET_PATH, STAND_IN_PATH);
    return 1;
  }
  std::string error;
  if (!tool::testing::ServiceSandbox::EnterPrivateNamespaces(&error)) {
    std::fprintf(stderr, "the benchmark needs root: %s\n", error.c_str());
    return 1;
  }
  const std::vector<tool::bench::Service> services =
      tool::bench::Services(skylet, wattlet);
  std::vector<std::vector<tool::bench::Round>> rounds(services.size());
  for (int round = 0; round < options.rounds; ++round) {
    for (std::size_t i = 0; i < services.size(); ++i) {
      std::fprintf(stderr, "round %d of %d: %s\n", round + 1, options.rounds,
                   services[i].name);
      tool::bench::Round figures;
      if (!tool::bench::MeasureRound(services[i], options, &figures)) {
        return 1;
      }
      rounds[i].push_back(std::move(figures));
    }
  }
  tool::bench::Report(services, rounds, options);
  tool::bench::ReportMemoryParts(services, rounds);
  return 0;
}
