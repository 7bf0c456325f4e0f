#ifndef TOOL_TESTS_RS485_COM_SERVICE_TEST_H_
#define TOOL_TESTS_RS485_COM_SERVICE_TEST_H_

#include <Poco/TemporaryFile.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "log/logger_setting_xml_manager.h"

namespace tool {
namespace testing {

// Logging at Debug into a private directory, and settings whose
// ComSocketPath names a socket in that directory, where a test may start a
// FakeComService.
class ComServiceTest : public ::testing::Test {
 protected:
  ComServiceTest();

  const LoggerSettingXmlManager& Settings() const { return *settings_; }
  std::string SocketPath() const { return root_.path() + "/com.sock"; }

  // Settings like Settings() but with another ComSocketPath.
  std::unique_ptr<LoggerSettingXmlManager> SettingsWithSocketPath(
      const std::string& path) const;

  // The messages logged so far ("<tag> <text>", without time and level).
  std::vector<std::string> LoggedMessages() const;

  // Waits up to 5 s until `message` has been logged.
  bool AwaitMessage(const std::string& message) const;

 private:
  Poco::TemporaryFile root_;
  std::unique_ptr<LoggerSettingXmlManager> settings_;
};

}  // namespace testing
}  // namespace tool

#endif  // TOOL_TESTS_RS485_COM_SERVICE_TEST_H_
