#!/usr/bin/env bash
# Builds everything with a sanitizer and runs the tests in that build:
#   scripts/sanitize.sh address [ctest arguments]   AddressSanitizer, LeakSanitizer
#                                                   and UndefinedBehaviorSanitizer
#   scripts/sanitize.sh thread [ctest arguments]    ThreadSanitizer
# Any report fails the test that caused it: the services and the test
# programs end with a failure status, and the process tests check that the
# services exit with status 0.
set -euo pipefail
cd "$(dirname "$0")/.."

sanitizer=${1:-}
case "$sanitizer" in
  address | thread) shift ;;
  *) echo "usage: $0 address|thread [ctest arguments]" >&2; exit 2 ;;
esac

bash scripts/install-deps.sh
# The presets "address" and "thread" (CMakePresets.json) build in
# build-address and build-thread; their test presets show the output of a
# failing test.
cmake --preset "$sanitizer"
cmake --build --preset "$sanitizer" -j"$(nproc)"

# log4cxx frees some of its objects through a base type with a non-virtual
# destructor of another size; that mismatch is the library's and harmless.
export ASAN_OPTIONS="detect_leaks=1:new_delete_type_mismatch=0:abort_on_error=0:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"
ctest --preset "$sanitizer" -j"$(nproc)" "$@"
