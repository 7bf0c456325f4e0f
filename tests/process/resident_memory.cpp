#include "process/resident_memory.h"

#include <cstdint>
#include <fstream>
#include <string>

namespace tool {
namespace testing {
namespace {

#if defined(TOOL_TEST_EMULATED)

constexpr std::uint64_t kGuestSpaceEnd = std::uint64_t{1} << 32;

// The sum of the Rss lines of the mappings that end within the guest's
// address space.
long GuestResidentKiB(pid_t pid) {
  std::ifstream smaps("/proc/" + std::to_string(pid) + "/smaps");
  if (!smaps) return -1;
  long total = 0;
  bool inGuest = false;
  for (std::string line; std::getline(smaps, line);) {
    // A mapping's header, "start-end perms offset major:minor inode [path]",
    // has a blank before its first colon; its field lines ("Rss: 8 kB") do not.
    if (line.find(':') > line.find(' ')) {
      const std::uint64_t end =
          std::stoull(line.substr(line.find('-') + 1), nullptr, 16);
      inGuest = end <= kGuestSpaceEnd;
    } else if (inGuest && line.rfind("Rss:", 0) == 0) {
      total += std::stol(line.substr(4));
    }
  }
  return total;
}

#else

long StatusResidentKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

#endif

}  // namespace

long ResidentKiB(pid_t pid) {
#if defined(TOOL_TEST_EMULATED)
  return GuestResidentKiB(pid);
#else
  return StatusResidentKiB(pid);
#endif
}

}  // namespace testing
}  // namespace tool
