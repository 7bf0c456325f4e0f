#ifndef TOOL_PROTOCOL_REQUEST_TEMPLATE_H_
#define TOOL_PROTOCOL_REQUEST_TEMPLATE_H_

#include <string>
#include <vector>

namespace tool {

// Fills the hexadecimal request templates of the device commands, such as
// "%02s4605". Stateless; safe from any thread.
class RequestTemplate {
 public:
  virtual ~RequestTemplate() = default;

  // `pattern` with each field replaced by the next of `fields`: "%s" by the
  // field as it is, "%0Ns" (N one or more digits) by the field right-aligned
  // in N characters, filled on the left with '0'; a longer field is never
  // cut. "%%" gives "%". A field without a value gives "", surplus values
  // are unused, and any other '%' sequence is copied as it stands.
  static std::string Fill(const std::string& pattern,
                          const std::vector<std::string>& fields);
};

}  // namespace tool

#endif  // TOOL_PROTOCOL_REQUEST_TEMPLATE_H_
