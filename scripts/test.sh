#!/usr/bin/env bash
# Builds everything with warnings as errors and runs every test.
# Arguments are passed on to ctest (for example -L process or -LE slow).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOOL_WERROR=ON
cmake --build build-test -j"$(nproc)"
ctest --test-dir build-test --output-on-failure -j"$(nproc)" "$@"
