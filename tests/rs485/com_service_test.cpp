#include "rs485/com_service_test.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "log/logger_log.h"
#include "support/test_deliverable.h"
#include "support/test_files.h"

namespace tool {
namespace testing {

ComServiceTest::ComServiceTest() {
  root_.createDirectories();
  settings_ = SettingsWithSocketPath(SocketPath());
  LoggerLog::Initialize(kTestDeliverable, *settings_, root_.path() + "/Log");
}

std::unique_ptr<LoggerSettingXmlManager> ComServiceTest::SettingsWithSocketPath(
    const std::string& path) const {
  static int count = 0;
  const std::string file =
      root_.path() + "/LoggerSetting" + std::to_string(++count) + ".xml";
  WriteFile(file, SettingsXml({{"LogLevel", "0"},
                               {"EnableLogBufferedIO", "0"},
                               {"ComSocketPath", path}}));
  return std::make_unique<LoggerSettingXmlManager>(file);
}

std::vector<std::string> ComServiceTest::LoggedMessages() const {
  std::vector<std::string> messages;
  for (const std::string& line : ReadLines(
           LoggerLog::LogFilePath(kTestDeliverable, root_.path() + "/Log"))) {
    // "[date time UTC] [LEVEL] message"
    const size_t level = line.find("] [");
    const size_t text = line.find("] ", level + 3);
    if (text != std::string::npos) messages.push_back(line.substr(text + 2));
  }
  return messages;
}

bool ComServiceTest::AwaitMessage(const std::string& message) const {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(5);
  for (;;) {
    const auto messages = LoggedMessages();
    if (std::find(messages.begin(), messages.end(), message) !=
        messages.end()) {
      return true;
    }
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace testing
}  // namespace tool
