#ifndef TOOL_TESTS_FUZZ_FUZZ_TARGET_H_
#define TOOL_TESTS_FUZZ_FUZZ_TARGET_H_

#include <cstddef>
#include <cstdint>

// The entry points that every fuzz target in this folder defines. libFuzzer
// calls them; the replay tests call them too, for each stored input, so that
// a finding stays a test of the ordinary suite.
//
// LLVMFuzzerInitialize runs once, first, before the program has started a
// thread of its own.
// LLVMFuzzerTestOneInput runs one input; it returns 0, or ends the process
// through FuzzCheck when the input broke a rule of the code under test.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size);

namespace tool {
namespace fuzzing {

// Ends the process with `what` on stderr when `ok` is false, as a crash that
// the fuzzer keeps as a finding and that fails a replay test.
void FuzzCheck(bool ok, const char* what);

}  // namespace fuzzing
}  // namespace tool

#endif  // TOOL_TESTS_FUZZ_FUZZ_TARGET_H_
