#ifndef TOOL_BENCH_PROCESS_MEMORY_BREAKDOWN_H_
#define TOOL_BENCH_PROCESS_MEMORY_BREAKDOWN_H_

#include <sys/types.h>

#include <string>
#include <vector>

namespace tool {
namespace bench {

// Where the resident memory of a process lies, read from /proc/PID/smaps.
// Every mapping falls into one of MemoryParts(): the program's own file,
// each of the libraries the services link (by file name up to ".so"), the
// other shared libraries, the thread stacks (the main stack and each
// thread's 8 MiB mapping) and the rest of the anonymous memory (malloc
// arenas, pools, buffers).
//
// Under qemu-user (TOOL_TEST_EMULATED) only the mappings of the guest's
// 32-bit address space count, as in testing::ResidentKiB.

// The names of the parts, in the order of MemoryUse::residentKiBByPart.
const std::vector<std::string>& MemoryParts();

struct MemoryUse {
  std::vector<long> residentKiBByPart;  // empty when smaps cannot be read
  // The resident pages no other process shares (Private_Clean and
  // Private_Dirty): what the process adds to a machine whose page cache
  // already holds the libraries.
  long privateKiB = 0;
};

// The memory of `pid`, whose program file is named `program`.
MemoryUse ReadMemoryUse(pid_t pid, const std::string& program);

}  // namespace bench
}  // namespace tool

#endif  // TOOL_BENCH_PROCESS_MEMORY_BREAKDOWN_H_
