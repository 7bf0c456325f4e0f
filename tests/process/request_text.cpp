#include "process/request_text.h"

namespace tool {
namespace testing {

std::string RequestItems(const std::vector<std::string>& values) {
  std::string items = "<requestData>";
  for (std::size_t i = 0; i < values.size(); ++i) {
    items +=
        "<item x=\"" + std::to_string(i + 1) + "\">" + values[i] + "</item>";
  }
  return items + "</requestData>";
}

std::string CommandRequest(const std::string& command,
                           const std::string& rest) {
  return "<commandRequest id=\"7\"><command>" + command + "</command>" + rest +
         "</commandRequest>";
}

}  // namespace testing
}  // namespace tool
