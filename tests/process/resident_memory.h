#ifndef TOOL_TESTS_PROCESS_RESIDENT_MEMORY_H_
#define TOOL_TESTS_PROCESS_RESIDENT_MEMORY_H_

#include <sys/types.h>

namespace tool {
namespace testing {

// The resident memory of process `pid`'s own program, in KiB; -1 when it
// cannot be read.
//
// Natively this is the process's VmRSS. Under qemu-user (the armhf build's
// tests) the process is the emulator, whose own memory grows by about
// 170 KiB for every thread the program has ever started and dwarfs the
// program's: there it is the resident memory of the program's 32-bit address
// space, which the emulator maps below 4 GiB and keeps its own memory out of.
long ResidentKiB(pid_t pid);

}  // namespace testing
}  // namespace tool

#endif  // TOOL_TESTS_PROCESS_RESIDENT_MEMORY_H_
