#ifndef TOOL_TESTS_PROCESS_REQUEST_TEXT_H_
#define TOOL_TESTS_PROCESS_REQUEST_TEXT_H_

#include <string>
#include <vector>

namespace tool {
namespace testing {

// A requestData element whose items carry `values` under the tags "1",
// "2", ... in order.
std::string RequestItems(const std::vector<std::string>& values);

// A commandRequest with id "7" of `command` whose body after the command
// element is `rest`.
std::string CommandRequest(const std::string& command, const std::string& rest);

}  // namespace testing
}  // namespace tool

#endif  // TOOL_TESTS_PROCESS_REQUEST_TEXT_H_
