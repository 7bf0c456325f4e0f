// The log file rolls by size under a burst of requests: with a small size
// and few backups, only the allowed files remain, each within the size, and
// read oldest to newest they hold every request of the last stretch without
// a gap.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "process/http_exchange.h"
#include "process/service_test.h"
#include "support/test_files.h"

namespace tool {
namespace testing {
namespace {

using ::testing::ElementsAre;

// An hour of a client that sends a request every ten seconds.
constexpr int kRequests = 360;
constexpr std::uintmax_t kMaxFileBytes = 2 * 1024;

std::string Request(int id) {
  return "<commandRequest id=\"" + std::to_string(id) +
         "\"><command>NoSuchCommand</command></commandRequest>";
}

// The ids of the requests logged in `path`, in the order of their lines.
std::vector<int> RequestIds(const std::string& path) {
  const std::regex request(R"re(HTTP Request \[<commandRequest id="(\d+)")re");
  std::vector<int> ids;
  for (const std::string& line : ReadLines(path)) {
    std::smatch match;
    if (std::regex_search(line, match, request)) {
      ids.push_back(std::stoi(match[1].str()));
    }
  }
  return ids;
}

class LogRollingTest : public ServiceTest,
                       public ::testing::WithParamInterface<bool> {};

TEST_P(LogRollingTest, BurstLeavesTheAllowedFilesInSequence) {
  const bool buffered = GetParam();
  WriteFile(ServiceSandbox::SettingsFilePath(),
            SettingsXml({{"LoggerLogMaxFileSize", "2KB"},
                         {"LoggerLogMaxRollIndex", "3"},
                         {"EnableLogBufferedIO", buffered ? "1" : "0"}}));
  const std::string log = StartAndAwait(kSkylet, kSdcardHome);
  for (int id = 1; id <= kRequests; ++id) {
    ASSERT_EQ(HttpExchange(PostRequest(Request(id))).status, 200)
        << id << process_->Stderr();
  }
  StopInOrder();

  std::vector<std::string> names;
  const std::filesystem::path folder = std::filesystem::path(log).parent_path();
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
    EXPECT_LE(entry.file_size(), kMaxFileBytes) << names.back();
  }
  std::sort(names.begin(), names.end());
  EXPECT_THAT(names, ElementsAre("Skylet.log", "Skylet.log.1", "Skylet.log.2",
                                 "Skylet.log.3"));

  // Oldest to newest, the requests follow each other one by one up to the
  // last, across every roll, and the stop sequence ends the newest file.
  std::vector<int> ids;
  for (const std::string& name : {log + ".3", log + ".2", log + ".1", log}) {
    const std::vector<int> inFile = RequestIds(name);
    ids.insert(ids.end(), inFile.begin(), inFile.end());
  }
  EXPECT_EQ(Messages(ReadFile(log)).back(), "INFO ToolManager Skylet Stop");
  ASSERT_FALSE(ids.empty());
  EXPECT_EQ(ids.back(), kRequests);
  for (std::size_t i = 1; i < ids.size(); ++i) {
    EXPECT_EQ(ids[i], ids[i - 1] + 1) << "after request " << ids[i - 1];
  }
  RecordProperty("requests_kept", static_cast<int>(ids.size()));
}

INSTANTIATE_TEST_SUITE_P(BufferedAndNot, LogRollingTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "Buffered" : "Unbuffered";
                         });

}  // namespace
}  // namespace testing
}  // namespace tool
