#!/usr/bin/env bash
# Builds everything with warnings as errors and runs every test.
# Arguments are passed on to ctest (for example -L process or -LE slow).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
# The preset "test" (CMakePresets.json) builds in build-test; its test preset
# shows the output of a failing test.
cmake --preset test
cmake --build --preset test -j"$(nproc)"
ctest --preset test -j"$(nproc)" "$@"
