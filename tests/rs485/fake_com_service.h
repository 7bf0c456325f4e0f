#ifndef TOOL_TESTS_RS485_FAKE_COM_SERVICE_H_
#define TOOL_TESTS_RS485_FAKE_COM_SERVICE_H_

#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tool {
namespace testing {

// A communication service inside the test: accepts connections on a
// Unix-domain socket one after another, reads one 4285-byte access record
// from each and answers as told. Safe to configure and inspect from the
// test's thread while it runs.
class FakeComService {
 public:
  // Listens at `path` until destroyed.
  explicit FakeComService(const std::string& path);
  ~FakeComService();

  FakeComService(const FakeComService&) = delete;
  FakeComService& operator=(const FakeComService&) = delete;

  // What every later connection gets after its record: `reply` written, and
  // then the connection closed, or kept open until the service is
  // destroyed. The default is to close without writing.
  void Answer(std::vector<std::uint8_t> reply, bool keepOpen = false);

  // Scripted answers instead: every port-setting record gets an empty
  // success reply, and the n-th command record gets `replies[n]`. An empty
  // entry, or a command beyond the list, is closed without a reply.
  void AnswerCommands(std::vector<std::vector<std::uint8_t>> replies);

  // The frames (length field included) of the command records read so far.
  std::vector<std::vector<std::uint8_t>> CommandFrames() const;

  // The records read so far, in order.
  std::vector<std::vector<std::uint8_t>> Records() const;

  // Waits up to 5 s until `count` records have been read.
  bool AwaitRecords(size_t count) const;

  // A reply record with `status`, then the frame with its length.
  static std::vector<std::uint8_t> ReplyRecord(
      int status, const std::vector<std::uint8_t>& frame);

 private:
  void Serve();

  const std::string path_;
  int listenFd_ = -1;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::vector<std::uint8_t> reply_;
  bool keepOpen_ = false;
  bool scripted_ = false;
  std::vector<std::vector<std::uint8_t>> commandReplies_;
  size_t commandsAnswered_ = 0;
  std::vector<std::vector<std::uint8_t>> records_;
  std::vector<int> openFds_;
};

}  // namespace testing
}  // namespace tool

#endif  // TOOL_TESTS_RS485_FAKE_COM_SERVICE_H_
