#include "protocol/request_template.h"

#include <algorithm>
#include <cctype>
#include <cstddef>

namespace tool {

std::string RequestTemplate::Fill(const std::string& pattern,
                                  const std::vector<std::string>& fields) {
  std::string text;
  std::size_t next = 0;
  std::size_t i = 0;
  while (i < pattern.size()) {
    if (pattern[i] != '%') {
      text += pattern[i++];
      continue;
    }
    if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
      text += '%';
      i += 2;
      continue;
    }
    // %s or %0Ns
    std::size_t j = i + 1;
    std::size_t width = 0;
    if (j < pattern.size() && pattern[j] == '0') {
      ++j;
      while (j < pattern.size() &&
             std::isdigit(static_cast<unsigned char>(pattern[j]))) {
        // Widths beyond a request's length are not meaningful; the cap keeps
        // a hostile pattern from asking for gigabytes.
        width = std::min<std::size_t>(width * 10 + (pattern[j] - '0'), 4096);
        ++j;
      }
    }
    if (j >= pattern.size() || pattern[j] != 's') {
      text += pattern[i++];
      continue;
    }
    const std::string field = next < fields.size() ? fields[next] : "";
    ++next;
    if (field.size() < width) text.append(width - field.size(), '0');
    text += field;
    i = j + 1;
  }
  return text;
}

}  // namespace tool
