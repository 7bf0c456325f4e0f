#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzz_target.h"

namespace tool {
namespace fuzzing {

void FuzzCheck(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

}  // namespace fuzzing
}  // namespace tool
