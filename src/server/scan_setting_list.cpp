#include "server/scan_setting_list.h"

#include <cctype>
#include <cstddef>
#include <utility>

namespace tool {
namespace {

// Digits beyond these could overflow an int and lie outside any table.
constexpr std::size_t kMaxDigits = 6;

std::string Trim(const std::string& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) {
    ++begin;
  }
  while (end > begin &&
         std::isspace(static_cast<unsigned char>(text[end - 1]))) {
    --end;
  }
  return text.substr(begin, end - begin);
}

bool ParseNumber(const std::string& piece, int* value) {
  const std::string digits = Trim(piece);
  if (digits.empty() || digits.size() > kMaxDigits) return false;
  int number = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + (c - '0');
  }
  *value = number;
  return true;
}

}  // namespace

bool ScanSettingList::Parse(const std::string& text, int min, int max,
                            std::vector<int>* values) {
  values->clear();
  if (max < min) return false;
  std::vector<int> parsed;
  // Marks the values taken, so that a long list of repeated ranges costs no
  // more than one pass over each range.
  std::vector<bool> taken(static_cast<std::size_t>(max - min) + 1, false);
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(',', start);
    const std::string piece = text.substr(
        start, comma == std::string::npos ? std::string::npos : comma - start);
    const std::size_t dash = piece.find('-');
    int from = 0;
    int to = 0;
    if (dash == std::string::npos) {
      if (!ParseNumber(piece, &from)) return false;
      to = from;
    } else if (!ParseNumber(piece.substr(0, dash), &from) ||
               !ParseNumber(piece.substr(dash + 1), &to) || to < from) {
      return false;
    }
    if (from < min || to > max) return false;
    for (int value = from; value <= to; ++value) {
      if (!taken[static_cast<std::size_t>(value - min)]) {
        taken[static_cast<std::size_t>(value - min)] = true;
        parsed.push_back(value);
      }
    }
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  *values = std::move(parsed);
  return true;
}

}  // namespace tool
