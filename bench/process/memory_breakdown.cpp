#include "process/memory_breakdown.h"

#include <cstdint>
#include <fstream>
#include <sstream>
#include <utility>

namespace tool {
namespace bench {
namespace {

// The libraries shown one by one; each other shared object is summed.
constexpr const char* kLibraries[] = {
    "libPocoFoundation", "libPocoNet", "libPocoXML", "liblog4cxx",
    "libstdc++",         "libc",       "libexpat",
};
constexpr std::size_t kLibraryCount = sizeof kLibraries / sizeof kLibraries[0];
// The parts after the libraries.
constexpr std::size_t kProgram = 0;
constexpr std::size_t kFirstLibrary = 1;
constexpr std::size_t kOtherLibraries = kFirstLibrary + kLibraryCount;
constexpr std::size_t kStacks = kOtherLibraries + 1;
constexpr std::size_t kAnonymous = kStacks + 1;
constexpr std::size_t kPartCount = kAnonymous + 1;

// What glibc maps for a thread's stack of the default 8 MiB; its guard
// page is a mapping of its own.
constexpr long kThreadStackKiB = 8 * 1024;

#if defined(TOOL_TEST_EMULATED)
constexpr bool kGuestOnly = true;
#else
constexpr bool kGuestOnly = false;
#endif
constexpr std::uint64_t kGuestSpaceEnd = std::uint64_t{1} << 32;

std::size_t PartOf(const std::string& path, long sizeKiB,
                   const std::string& program) {
  const std::string name = path.substr(path.rfind('/') + 1);
  if (!program.empty() && name == program) return kProgram;
  const std::size_t so = name.find(".so");
  if (!path.empty() && path[0] == '/' && so != std::string::npos) {
    const std::string stem = name.substr(0, so);
    for (std::size_t i = 0; i < kLibraryCount; ++i) {
      if (stem == kLibraries[i]) return kFirstLibrary + i;
    }
    return kOtherLibraries;
  }
  if (path == "[stack]") return kStacks;
  if (path.empty() && sizeKiB == kThreadStackKiB) return kStacks;
  return kAnonymous;
}

}  // namespace

const std::vector<std::string>& MemoryParts() {
  static const std::vector<std::string> parts = [] {
    std::vector<std::string> names = {"the program"};
    for (const char* library : kLibraries) names.push_back(library);
    names.push_back("other shared libraries");
    names.push_back("thread stacks");
    names.push_back("heap and other anonymous memory");
    return names;
  }();
  return parts;
}

MemoryUse ReadMemoryUse(pid_t pid, const std::string& program) {
  MemoryUse use;
  std::ifstream smaps("/proc/" + std::to_string(pid) + "/smaps");
  if (!smaps) return use;
  std::vector<long> kib(kPartCount, 0);
  bool counted = false;
  std::string path;
  std::size_t part = kAnonymous;
  for (std::string line; std::getline(smaps, line);) {
    // A mapping's header, "start-end perms offset major:minor inode [path]",
    // has a blank before its first colon; its field lines ("Rss: 8 kB") do
    // not.
    if (line.find(':') > line.find(' ')) {
      std::istringstream header(line);
      std::string range, perms, offset, device, inode;
      header >> range >> perms >> offset >> device >> inode;
      path.clear();
      std::getline(header >> std::ws, path);
      const std::uint64_t end =
          std::stoull(range.substr(range.find('-') + 1), nullptr, 16);
      counted = !kGuestOnly || end <= kGuestSpaceEnd;
    } else if (line.rfind("Size:", 0) == 0) {
      // Size comes first among the fields; Rss follows.
      const long sizeKiB = std::stol(line.substr(5));
      part = PartOf(path, sizeKiB, program);
    } else if (counted && line.rfind("Rss:", 0) == 0) {
      kib[part] += std::stol(line.substr(4));
    } else if (counted && (line.rfind("Private_Clean:", 0) == 0 ||
                           line.rfind("Private_Dirty:", 0) == 0)) {
      use.privateKiB += std::stol(line.substr(line.find(':') + 1));
    }
  }
  use.residentKiBByPart = std::move(kib);
  return use;
}

}  // namespace bench
}  // namespace tool
