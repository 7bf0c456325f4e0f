#include "rs485_stand_in/option_fields.h"

namespace stand_in {

std::vector<std::string> SplitFields(const std::string& text) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t colon; (colon = text.find(':', start)) != std::string::npos;
       start = colon + 1) {
    fields.push_back(text.substr(start, colon - start));
  }
  fields.push_back(text.substr(start));
  return fields;
}

bool ParseDecimal(const std::string& text, uint32_t max, uint32_t* value) {
  int64_t number = 0;
  if (text.empty() || text[0] == '-' ||
      !ParseSignedDecimal(text, 0, max, &number)) {
    return false;
  }
  *value = static_cast<uint32_t>(number);
  return true;
}

bool ParseSignedDecimal(const std::string& text, int64_t min, int64_t max,
                        int64_t* value) {
  const bool negative = !text.empty() && text[0] == '-';
  const std::size_t first = negative ? 1 : 0;
  if (text.size() == first) return false;
  // A magnitude past this cannot give a value inside the range.
  const int64_t limit = negative ? -min : max;
  if (limit < 0) return false;
  int64_t magnitude = 0;
  for (std::size_t i = first; i < text.size(); ++i) {
    const char digit = text[i];
    if (digit < '0' || digit > '9') return false;
    magnitude = magnitude * 10 + (digit - '0');
    if (magnitude > limit) return false;
  }
  const int64_t number = negative ? -magnitude : magnitude;
  if (number < min || number > max) return false;
  *value = number;
  return true;
}

std::string IndentedUsage(const char* text) {
  constexpr char kIndent[] = "                        ";
  std::string usage = kIndent;
  for (const char* c = text; *c != '\0'; ++c) {
    usage += *c;
    if (*c == '\n') usage += kIndent;
  }
  return usage + '\n';
}

}  // namespace stand_in
