// Runs the stand-in program and exchanges records with it over its socket.
// The records are laid out here from the wire format, byte by byte, so that
// a layout mistake shared with the product's client would still show.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/test_files.h"

extern char** environ;

namespace stand_in {
namespace {

using Bytes = std::vector<uint8_t>;
using tool::testing::ReadFile;
using tool::testing::ReadLines;

constexpr auto kDeadline = std::chrono::seconds(5);
constexpr auto kPollInterval = std::chrono::milliseconds(5);
constexpr std::size_t kRecordSize = 4285;
constexpr std::size_t kReplyHeader = 71;

bool WaitUntil(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + kDeadline;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kPollInterval);
  }
  return true;
}

void Put(Bytes* record, std::size_t offset, uint32_t value, int width) {
  for (int i = 0; i < width; ++i) {
    (*record)[offset + i] = static_cast<uint8_t>(value >> (8 * i));
  }
}

// An access record on `channel`: a port-setting record when `frame` is
// empty, else a command record carrying it. The line block is the one the
// services send: address 1, format 0x13 unless told, timeout 500,
// delimiter 1, 0, wait 2.
Bytes AccessRecord(uint32_t channel, uint8_t baud, const Bytes& frame = {},
                   uint8_t format = 0x13) {
  Bytes record(kRecordSize, 0);
  Put(&record, 0, kRecordSize, 4);
  Put(&record, 8, channel - 1, 4);
  record[12] = 1;
  Put(&record, 64, channel, 4);
  const Bytes block = {baud, 0x01, format, 0xF4, 0x01, 0x01, 0x00, 0x02};
  std::copy(block.begin(), block.end(), record.begin() + 68);
  if (!frame.empty()) {
    record[286] = 1;
    Put(&record, 287, static_cast<uint32_t>(frame.size()), 2);
    std::copy(frame.begin(), frame.end(), record.begin() + 289);
  }
  return record;
}

// Header fields of a reply; a reply too short to have them fails the test
// and reads as -1, so that the checks after it fail too instead of reading
// past the end.
int32_t Status(const Bytes& reply) {
  if (reply.size() < kReplyHeader) {
    ADD_FAILURE() << "reply of " << reply.size() << " bytes";
    return -1;
  }
  int32_t status;
  std::memcpy(&status, reply.data() + 64, 4);
  return status;
}

int16_t FrameLength(const Bytes& reply) {
  if (reply.size() < kReplyHeader) return -1;
  return static_cast<int16_t>(reply[68] | reply[69] << 8);
}

Bytes Frame(const Bytes& reply) {
  if (reply.size() < kReplyHeader) return {};
  return Bytes(reply.begin() + kReplyHeader, reply.end());
}

class StandInTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char directory[] = "/tmp/stand_in_test.XXXXXX";
    ASSERT_NE(mkdtemp(directory), nullptr);
    directory_ = directory;
    // A missing parent, as on a fresh gateway.
    socketPath_ = directory_ + "/orvanecom/orvane.com";
    logPath_ = directory_ + "/records.log";
  }

  void TearDown() override {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      EXPECT_EQ(WaitForExit(), 0) << ReadFile(directory_ + "/stderr");
      EXPECT_FALSE(std::filesystem::exists(socketPath_));
    }
    std::filesystem::remove_all(directory_);
  }

  // Starts the program on the test's socket and record log, followed by
  // `arguments`, with its output in files of the test directory.
  void Spawn(const std::vector<std::string>& arguments) {
    std::vector<std::string> words = {"rs485_stand_in", "--socket", socketPath_,
                                      "--record-log", logPath_};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const std::string out = directory_ + "/stdout";
    const std::string err = directory_ + "/stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_EQ(posix_spawn(&pid_, STAND_IN_PATH, &actions, nullptr, argv.data(),
                          environ),
              0);
    posix_spawn_file_actions_destroy(&actions);
  }

  void Start(const std::vector<std::string>& arguments = {}) {
    Spawn(arguments);
    ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(socketPath_); }))
        << ReadFile(directory_ + "/stderr");
  }

  // The exit code, or empty when the program had to be killed.
  std::optional<int> WaitForExit() {
    int status = 0;
    const bool ended =
        WaitUntil([&] { return waitpid(pid_, &status, WNOHANG) == pid_; });
    if (!ended) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
    if (!ended || !WIFEXITED(status)) return std::nullopt;
    return WEXITSTATUS(status);
  }

  int Connect() {
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath_.c_str(),
                 sizeof address.sun_path - 1);
    const timeval timeout = {5, 0};
    setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    EXPECT_EQ(connect(socket, reinterpret_cast<const sockaddr*>(&address),
                      sizeof address),
              0);
    return socket;
  }

  static void Send(int socket, const Bytes& bytes) {
    EXPECT_EQ(send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(bytes.size()));
  }

  // Everything up to the service's close; fails the test on a time-out.
  static Bytes ReceiveAll(int socket) {
    Bytes reply;
    uint8_t buffer[4096];
    ssize_t count;
    while ((count = recv(socket, buffer, sizeof buffer, 0)) > 0) {
      reply.insert(reply.end(), buffer, buffer + count);
    }
    EXPECT_EQ(count, 0) << "the service did not close the connection";
    close(socket);
    return reply;
  }

  // Sends `record` as the client does, keeping its own side open, and
  // returns the reply.
  Bytes Exchange(const Bytes& record) {
    const int socket = Connect();
    Send(socket, record);
    return ReceiveAll(socket);
  }

  std::string directory_;
  std::string socketPath_;
  std::string logPath_;
  pid_t pid_ = -1;
};

TEST_F(StandInTest, PortSettingGetsEmptySuccessReply) {
  Start();
  const Bytes reply = Exchange(AccessRecord(2, 3));
  ASSERT_EQ(reply.size(), kReplyHeader);
  EXPECT_EQ(Status(reply), 0);
  EXPECT_EQ(FrameLength(reply), 0);
  EXPECT_EQ(ReadLines(logPath_),
            (std::vector<std::string>{
                "port ch=2 index=1 baud=3 address=1 format=0x13 timeout=500 "
                "delimiter=1 delimiterbyte=0 wait=2",
                "reply ch=2 status=0 frame="}));
  // The line is written once the server runs, which may be after it served.
  const std::string stderrPath = directory_ + "/stderr";
  EXPECT_TRUE(WaitUntil([&] {
    return ReadFile(stderrPath)
               .find("rs485_stand_in listening on " + socketPath_) !=
           std::string::npos;
  })) << ReadFile(stderrPath);
}

TEST_F(StandInTest, DevicesAnswerOnTheirChannelsOnly) {
  Start({"--device", "1:echo", "--device=3:fixed:0A0b0c"});
  const Bytes frame = {0x01, 0x46, 0x05, 0xD2, 0x63};
  const Bytes echoed = Exchange(AccessRecord(1, 1, frame));
  EXPECT_EQ(Status(echoed), 0);
  EXPECT_EQ(FrameLength(echoed), 5);
  EXPECT_EQ(Frame(echoed), frame);

  const Bytes fixed = Exchange(AccessRecord(3, 1, frame));
  EXPECT_EQ(Status(fixed), 0);
  EXPECT_EQ(FrameLength(fixed), 3);
  EXPECT_EQ(Frame(fixed), (Bytes{0x0a, 0x0b, 0x0c}));

  const Bytes silent = Exchange(AccessRecord(2, 1, frame));
  ASSERT_EQ(silent.size(), kReplyHeader);
  EXPECT_EQ(Status(silent), 1);
  EXPECT_EQ(FrameLength(silent), 0);

  EXPECT_EQ(ReadLines(logPath_),
            (std::vector<std::string>{
                "command ch=1 index=0 baud=1 format=0x13 frame=014605d263",
                "reply ch=1 status=0 frame=014605d263",
                "command ch=3 index=2 baud=1 format=0x13 frame=014605d263",
                "reply ch=3 status=0 frame=0a0b0c",
                "command ch=2 index=1 baud=1 format=0x13 frame=014605d263",
                "reply ch=2 status=1 frame="}));
}

TEST_F(StandInTest, WeatherSensorAnswersOnlyAtTheLineOfTheLastPortSetting) {
  Start({"--device", "1:weather:1:2:0"});
  const Bytes probe = {0x01, 0x46, 0x05, 0xD2, 0x63};
  EXPECT_EQ(Status(Exchange(AccessRecord(1, 3, {}, 0x03))), 0);
  const Bytes answered = Exchange(AccessRecord(1, 3, probe));
  EXPECT_EQ(Status(answered), 0);
  EXPECT_EQ(FrameLength(answered), 5);
  EXPECT_EQ(Frame(answered), probe);

  EXPECT_EQ(Status(Exchange(AccessRecord(1, 1, {}, 0x03))), 0);
  const Bytes silent = Exchange(AccessRecord(1, 3, probe));
  ASSERT_EQ(silent.size(), kReplyHeader);
  EXPECT_EQ(Status(silent), 1);
}

TEST_F(StandInTest, BadRecordsGetNoReplyOrAnErrorStatus) {
  Start({"--device", "1:echo"});
  const Bytes good = AccessRecord(1, 1, {0x01, 0x02});

  const int shortRecord = Connect();
  Send(shortRecord, Bytes(good.begin(), good.begin() + 100));
  shutdown(shortRecord, SHUT_WR);
  EXPECT_TRUE(ReceiveAll(shortRecord).empty());

  Bytes wrongLength = good;
  wrongLength[0] = 0xBC;  // 4284
  EXPECT_TRUE(Exchange(wrongLength).empty());

  Bytes longFrame = good;
  Put(&longFrame, 287, 3997, 2);
  const Bytes refused = Exchange(longFrame);
  ASSERT_EQ(refused.size(), kReplyHeader);
  EXPECT_EQ(Status(refused), 2);

  const Bytes answered = Exchange(good);
  EXPECT_EQ(Status(answered), 0);
  EXPECT_EQ(Frame(answered), (Bytes{0x01, 0x02}));
  EXPECT_EQ(
      ReadLines(logPath_),
      (std::vector<std::string>{
          "invalid bytes=100 length=4285", "invalid bytes=4285 length=4284",
          "command ch=1 index=0 baud=1 format=0x13 frame=",
          "reply ch=1 status=2 frame=",
          "command ch=1 index=0 baud=1 format=0x13 frame=0102",
          "reply ch=1 status=0 frame=0102"}));
}

TEST_F(StandInTest, ServesOthersWhileOneRecordIsIncomplete) {
  Start({"--device", "2:echo"});
  const Bytes record = AccessRecord(2, 1, {0x7f});
  const int waiting = Connect();
  Send(waiting, Bytes(record.begin(), record.begin() + 100));

  EXPECT_EQ(Status(Exchange(AccessRecord(1, 1))), 0);

  Send(waiting, Bytes(record.begin() + 100, record.end()));
  const Bytes answered = ReceiveAll(waiting);
  EXPECT_EQ(Status(answered), 0);
  EXPECT_EQ(Frame(answered), (Bytes{0x7f}));
}

TEST_F(StandInTest, BadOptionsExitWithStatus2) {
  const std::vector<std::vector<std::string>> cases = {
      {"--device", "9:nonsense"},
      {"--device", "1:nonsense"},
      {"--device", "2:fixed:abc"},
      {"--device", "2:fixed:0g"},
      {"--device", "1:weather:1:2"},
      {"--device", "1:echo", "--device", "1:echo"},
      {"--device"},
      {"--port", "1"},
      {"--fault", "4:hang"},
      {"--fault", "1:status:0"},
      {"--fault", "1:hang", "--fault", "1:status:3"},
      {"--fault"},
      {"--refuse=yes"},
      {"--silence-ms", "60001"},
      {"--silence-ms=-1"},
  };
  for (const auto& arguments : cases) {
    SCOPED_TRACE(arguments.back());
    Spawn(arguments);
    EXPECT_EQ(WaitForExit(), 2);
    EXPECT_NE(ReadFile(directory_ + "/stderr").find("Usage:"),
              std::string::npos);
  }
  EXPECT_FALSE(std::filesystem::exists(socketPath_));
}

TEST_F(StandInTest, HelpShowsFaultsSilenceAndRefuse) {
  Spawn({"--help"});
  EXPECT_EQ(WaitForExit(), 0);
  const std::string help = ReadFile(directory_ + "/stdout");
  EXPECT_NE(help.find("--fault CH:MODE[:ARG][:skip=N][:count=M]"),
            std::string::npos)
      << help;
  EXPECT_NE(help.find("other-address"), std::string::npos) << help;
  EXPECT_NE(help.find("--silence-ms N"), std::string::npos) << help;
  EXPECT_NE(help.find("--refuse"), std::string::npos) << help;
}

// A probe of slave address 10, and the same from address 11.
const Bytes kProbe = {0x0a, 0x46, 0x05, 0xa3, 0xa1};
const Bytes kProbeFrom11 = {0x0b, 0x46, 0x05, 0xf2, 0x61};

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST_F(StandInTest, FaultMeetsOnlyCommandRecordsInsideItsWindow) {
  Start({"--device", "1:echo", "--fault", "1:status:7:skip=1:count=1"});
  EXPECT_EQ(Status(Exchange(AccessRecord(1, 3))), 0);
  EXPECT_EQ(Status(Exchange(AccessRecord(1, 3, kProbe))), 0);
  EXPECT_EQ(Status(Exchange(AccessRecord(1, 3))), 0);
  const Bytes faulted = Exchange(AccessRecord(1, 3, kProbe));
  EXPECT_EQ(Status(faulted), 7);
  EXPECT_EQ(Frame(faulted), kProbe);
  const Bytes after = Exchange(AccessRecord(1, 3, kProbe));
  EXPECT_EQ(Status(after), 0);
  EXPECT_EQ(Frame(after), kProbe);

  const std::vector<std::string> lines = ReadLines(logPath_);
  ASSERT_EQ(lines.size(), 11u);
  EXPECT_EQ(
      std::vector<std::string>(lines.begin() + 6, lines.begin() + 9),
      (std::vector<std::string>{
          "command ch=1 index=0 baud=3 format=0x13 frame=0a4605a3a1",
          "fault ch=1 mode=status:7", "reply ch=1 status=7 frame=0a4605a3a1"}));
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& line) {
                            return line.rfind("fault ", 0) == 0;
                          }),
            1);
}

TEST_F(StandInTest, CloseUnreadLeavesTheRecordOnTheSocket) {
  Start({"--device", "2:echo", "--fault", "2:close-unread:count=1"});
  const Bytes record = AccessRecord(2, 1, {0x7f});
  // In two parts, with another exchange in between: the stand-in waits for
  // the whole record before it decides.
  const int socket = Connect();
  Send(socket, Bytes(record.begin(), record.begin() + 100));
  EXPECT_EQ(Status(Exchange(AccessRecord(2, 1))), 0);
  Send(socket, Bytes(record.begin() + 100, record.end()));
  // Closing with unread bytes resets the connection; a plain close after
  // reading would end it with end of file.
  uint8_t byte = 0;
  EXPECT_EQ(recv(socket, &byte, 1, 0), -1);
  EXPECT_EQ(errno, ECONNRESET);
  close(socket);

  const Bytes answered = Exchange(record);
  EXPECT_EQ(Status(answered), 0);
  EXPECT_EQ(Frame(answered), (Bytes{0x7f}));
  const std::vector<std::string> lines = ReadLines(logPath_);
  EXPECT_TRUE(Contains(lines, "fault ch=2 mode=close-unread"));
  EXPECT_EQ(lines.back(), "reply ch=2 status=0 frame=7f");
}

TEST_F(StandInTest, CloseSilentReadsTheRecordAndEndsWithoutReply) {
  Start({"--device", "1:echo", "--fault", "1:close-silent"});
  EXPECT_TRUE(Exchange(AccessRecord(1, 1, kProbe)).empty());
  EXPECT_EQ(ReadLines(logPath_),
            (std::vector<std::string>{
                "command ch=1 index=0 baud=1 format=0x13 frame=0a4605a3a1",
                "fault ch=1 mode=close-silent"}));
}

TEST_F(StandInTest, HangKeepsTheConnectionOpenUntilTheClientCloses) {
  Start({"--device", "1:echo", "--fault", "1:hang:count=1"});
  const int hanging = Connect();
  const timeval shortWait = {0, 300000};
  setsockopt(hanging, SOL_SOCKET, SO_RCVTIMEO, &shortWait, sizeof shortWait);
  Send(hanging, AccessRecord(1, 1, kProbe));
  uint8_t byte = 0;
  EXPECT_EQ(recv(hanging, &byte, 1, 0), -1);
  EXPECT_EQ(errno, EAGAIN);

  // The channel's next record is answered while the first still hangs.
  const Bytes answered = Exchange(AccessRecord(1, 1, kProbe));
  EXPECT_EQ(Frame(answered), kProbe);
  close(hanging);
  EXPECT_TRUE(Contains(ReadLines(logPath_), "fault ch=1 mode=hang"));
}

TEST_F(StandInTest, StopEndsHangingAndDelayedConnectionsPromptly) {
  Start(
      {"--device", "1:echo", "--fault", "1:hang", "--fault", "2:delay:600000"});
  const int hanging = Connect();
  Send(hanging, AccessRecord(1, 1, kProbe));
  const int delayed = Connect();
  Send(delayed, AccessRecord(2, 1, kProbe));
  ASSERT_TRUE(WaitUntil([&] {
    const std::vector<std::string> lines = ReadLines(logPath_);
    return Contains(lines, "fault ch=1 mode=hang") &&
           Contains(lines, "fault ch=2 mode=delay:600000");
  }));

  const auto begin = std::chrono::steady_clock::now();
  kill(pid_, SIGTERM);
  EXPECT_EQ(WaitForExit(), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(1));
  EXPECT_TRUE(ReceiveAll(hanging).empty());
  EXPECT_TRUE(ReceiveAll(delayed).empty());
  EXPECT_FALSE(std::filesystem::exists(socketPath_));
}

TEST_F(StandInTest, DelayGivesTheNormalReplyLate) {
  Start({"--device", "3:echo", "--fault", "3:delay:300"});
  const auto begin = std::chrono::steady_clock::now();
  const Bytes reply = Exchange(AccessRecord(3, 1, kProbe));
  EXPECT_GE(std::chrono::steady_clock::now() - begin,
            std::chrono::milliseconds(300));
  EXPECT_EQ(Status(reply), 0);
  EXPECT_EQ(Frame(reply), kProbe);
  EXPECT_EQ(ReadLines(logPath_).back(), "reply ch=3 status=0 frame=0a4605a3a1");
}

// The --silence-ms of the silence tests: long enough to tell from an
// exchange answered at once, short enough to keep the tests quick.
constexpr auto kSilence = std::chrono::milliseconds(250);
const std::string kSilenceMs = std::to_string(kSilence.count());
// The probe that "CH:weather:1:2:0" answers once its line is at baud code 3
// and format 0x03.
const Bytes kProbeOf1 = {0x01, 0x46, 0x05, 0xd2, 0x63};

std::size_t CountStartingWith(const std::vector<std::string>& lines,
                              const std::string& prefix) {
  return static_cast<std::size_t>(std::count_if(
      lines.begin(), lines.end(),
      [&](const std::string& line) { return line.rfind(prefix, 0) == 0; }));
}

TEST_F(StandInTest, SilenceDelaysOnlyTheNoAnswerReply) {
  Start({"--device", "1:echo", "--fault", "3:status:5", "--silence-ms",
         kSilenceMs});
  Bytes longFrame = AccessRecord(2, 1, kProbe);
  Put(&longFrame, 287, 3997, 2);
  auto begin = std::chrono::steady_clock::now();
  EXPECT_EQ(Status(Exchange(AccessRecord(2, 1))), 0);
  const Bytes answered = Exchange(AccessRecord(1, 1, kProbe));
  EXPECT_EQ(Status(Exchange(longFrame)), 2);
  // A fault keeps its own timing, even where no device answers.
  EXPECT_EQ(Status(Exchange(AccessRecord(3, 1, kProbe))), 5);
  EXPECT_LT(std::chrono::steady_clock::now() - begin, kSilence);
  EXPECT_EQ(Status(answered), 0);
  EXPECT_EQ(Frame(answered), kProbe);

  begin = std::chrono::steady_clock::now();
  const Bytes silent = Exchange(AccessRecord(2, 1, kProbe));
  EXPECT_GE(std::chrono::steady_clock::now() - begin, kSilence);
  ASSERT_EQ(silent.size(), kReplyHeader);
  EXPECT_EQ(Status(silent), 1);
  EXPECT_EQ(ReadLines(logPath_).back(), "reply ch=2 status=1 frame=");
}

TEST_F(StandInTest, SilentChannelsWaitInParallelWhileOthersAreAnswered) {
  Start({"--device", "1:weather:1:2:0", "--device", "3:weather:1:2:0",
         "--silence-ms", kSilenceMs});
  // Channel 1's line is never set, so its sensor stays silent.
  ASSERT_EQ(Status(Exchange(AccessRecord(3, 3, {}, 0x03))), 0);
  const auto begin = std::chrono::steady_clock::now();
  const int wrongLine = Connect();
  Send(wrongLine, AccessRecord(1, 3, kProbeOf1));
  const int noDevice = Connect();
  Send(noDevice, AccessRecord(2, 3, kProbeOf1));
  const int otherAddress = Connect();
  Send(otherAddress, AccessRecord(3, 3, kProbe));
  // Done with sending, as a client may be: the reply still comes.
  shutdown(otherAddress, SHUT_WR);
  ASSERT_TRUE(WaitUntil(
      [&] { return CountStartingWith(ReadLines(logPath_), "command ") == 3; }));

  // Channel 3 answers while its own unanswered frame still waits.
  const auto answeredBegin = std::chrono::steady_clock::now();
  const Bytes answered = Exchange(AccessRecord(3, 3, kProbeOf1));
  EXPECT_LT(std::chrono::steady_clock::now() - answeredBegin, kSilence);
  EXPECT_EQ(Frame(answered), kProbeOf1);
  uint8_t byte = 0;
  EXPECT_EQ(recv(otherAddress, &byte, 1, MSG_PEEK | MSG_DONTWAIT), -1);

  for (const int socket : {wrongLine, noDevice, otherAddress}) {
    const Bytes reply = ReceiveAll(socket);
    EXPECT_GE(std::chrono::steady_clock::now() - begin, kSilence);
    ASSERT_EQ(reply.size(), kReplyHeader);
    EXPECT_EQ(Status(reply), 1);
  }
  // One after another, the three would have taken three silences.
  EXPECT_LT(std::chrono::steady_clock::now() - begin, 3 * kSilence);
  const std::vector<std::string> lines = ReadLines(logPath_);
  EXPECT_TRUE(Contains(lines, "reply ch=1 status=1 frame="));
  EXPECT_TRUE(Contains(lines, "reply ch=2 status=1 frame="));
  EXPECT_TRUE(Contains(lines, "reply ch=3 status=1 frame="));
}

TEST_F(StandInTest, HangUpAndStopEndTheSilenceEarly) {
  Start({"--silence-ms", "60000"});
  const int leaving = Connect();
  Send(leaving, AccessRecord(1, 1, kProbe));
  const int waiting = Connect();
  Send(waiting, AccessRecord(2, 1, kProbe));
  ASSERT_TRUE(WaitUntil(
      [&] { return CountStartingWith(ReadLines(logPath_), "command ") == 2; }));

  // Each connection is served on a thread of its own, which ends with the
  // wait.
  const std::filesystem::path tasks = "/proc/" + std::to_string(pid_) + "/task";
  const auto threads = [&] {
    return std::distance(std::filesystem::directory_iterator(tasks),
                         std::filesystem::directory_iterator());
  };
  const auto waitingThreads = threads();
  close(leaving);
  EXPECT_TRUE(WaitUntil([&] { return threads() == waitingThreads - 1; }));

  const auto begin = std::chrono::steady_clock::now();
  kill(pid_, SIGTERM);
  EXPECT_EQ(WaitForExit(), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(1));
  EXPECT_TRUE(ReceiveAll(waiting).empty());
  EXPECT_EQ(CountStartingWith(ReadLines(logPath_), "reply "), 0u);
}

TEST_F(StandInTest, TruncatedLengthAndOtherAddressAlterTheAnswer) {
  Start({"--device", "1:echo", "--device", "2:echo", "--fault", "1:truncated",
         "--fault", "2:length:-1", "--fault", "3:other-address"});
  const Bytes truncated = Exchange(AccessRecord(1, 1, kProbe));
  ASSERT_EQ(truncated.size(), kReplyHeader + 3);
  EXPECT_EQ(Status(truncated), 0);
  EXPECT_EQ(FrameLength(truncated), 5);
  EXPECT_EQ(Frame(truncated), Bytes(kProbe.begin(), kProbe.begin() + 3));

  const Bytes length = Exchange(AccessRecord(2, 1, kProbe));
  EXPECT_EQ(Status(length), 0);
  EXPECT_EQ(FrameLength(length), -1);
  EXPECT_EQ(Frame(length), kProbe);

  // No device on channel 3: the request itself comes back, from address 11.
  const Bytes other = Exchange(AccessRecord(3, 1, kProbe));
  EXPECT_EQ(Status(other), 0);
  EXPECT_EQ(Frame(other), kProbeFrom11);

  const std::vector<std::string> lines = ReadLines(logPath_);
  EXPECT_TRUE(Contains(lines, "reply ch=1 bytes=74"));
  EXPECT_TRUE(Contains(lines, "fault ch=2 mode=length:-1"));
  EXPECT_TRUE(Contains(lines, "reply ch=2 bytes=76"));
  EXPECT_TRUE(Contains(lines, "reply ch=3 status=0 frame=0b4605f261"));
}

TEST_F(StandInTest, ExceptionAndRandomRepliesReplaceTheDevice) {
  Start({"--device", "1:echo", "--fault", "1:exception", "--fault",
         "2:random:5", "--fault", "3:random:5"});
  const Bytes exception = Exchange(AccessRecord(1, 1, kProbe));
  EXPECT_EQ(Status(exception), 0);
  EXPECT_EQ(Frame(exception), (Bytes{0x0a, 0xc6, 0x04, 0x03, 0xa1}));

  // The same seed and record number give the same bytes on any channel.
  const Bytes first = Exchange(AccessRecord(2, 1, kProbe));
  EXPECT_EQ(Exchange(AccessRecord(3, 1, kProbe)), first);
  EXPECT_NE(Exchange(AccessRecord(2, 1, kProbe)), first);
  EXPECT_TRUE(Contains(ReadLines(logPath_),
                       "reply ch=2 bytes=" + std::to_string(first.size())));
}

TEST_F(StandInTest, RefuseKeepsTheSocketFileButRefusesConnections) {
  Start({"--refuse", "--device", "1:echo"});
  const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address = {};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socketPath_.c_str(),
               sizeof address.sun_path - 1);
  EXPECT_EQ(connect(socket, reinterpret_cast<const sockaddr*>(&address),
                    sizeof address),
            -1);
  EXPECT_EQ(errno, ECONNREFUSED);
  close(socket);
  EXPECT_TRUE(WaitUntil([&] {
    return ReadFile(directory_ + "/stderr")
               .find("rs485_stand_in refusing on " + socketPath_) !=
           std::string::npos;
  }));
}

}  // namespace
}  // namespace stand_in
