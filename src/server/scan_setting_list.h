#ifndef TOOL_SERVER_SCAN_SETTING_LIST_H_
#define TOOL_SERVER_SCAN_SETTING_LIST_H_

#include <string>
#include <vector>

namespace tool {

// Reads the settings a scan is to try from a request item: a
// comma-separated list of decimal numbers and "FROM-TO" ranges, such as
// "1,3" or "1-10,20". Blanks around numbers are allowed. Stateless; safe
// from any thread.
class ScanSettingList {
 public:
  // Sets `*values` to the settings of `text` in the order given, each once
  // (a repeat is dropped). False, leaving `*values` empty, for an empty
  // text or piece, something that is not a decimal number, a range whose
  // end lies before its start, or a value outside `min` to `max`. The
  // range `min` to `max` is a device table's, a few hundred values at most:
  // the parse keeps one mark per value.
  static bool Parse(const std::string& text, int min, int max,
                    std::vector<int>* values);
};

}  // namespace tool

#endif  // TOOL_SERVER_SCAN_SETTING_LIST_H_
