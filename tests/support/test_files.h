#ifndef TOOL_TESTS_SUPPORT_TEST_FILES_H_
#define TOOL_TESTS_SUPPORT_TEST_FILES_H_

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace tool {
namespace testing {

inline void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// The whole file, or the empty text when it cannot be read.
inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

inline std::vector<std::string> ReadLines(const std::string& path) {
  return SplitLines(ReadFile(path));
}

// "<LoggerSetting><key>value</key>...</LoggerSetting>" for the given pairs.
inline std::string SettingsXml(
    const std::vector<std::pair<std::string, std::string>>& settings) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<LoggerSetting>";
  for (const auto& [key, value] : settings) {
    xml += "<" + key + ">" + value + "</" + key + ">";
  }
  return xml + "</LoggerSetting>\n";
}

}  // namespace testing
}  // namespace tool

#endif  // TOOL_TESTS_SUPPORT_TEST_FILES_H_
