#!/usr/bin/env bash
# Builds everything for the gateway's processor with warnings as errors and
# runs every test under emulation:
#   scripts/cross-test.sh armhf [ctest arguments]
# The build is in build-armhf, against the root of Debian's armhf libraries
# that scripts/armhf-root.sh prepares. Needs root.
set -euo pipefail
cd "$(dirname "$0")/.."

arch=${1:-}
case "$arch" in
  armhf) shift ;;
  *) echo "usage: $0 armhf [ctest arguments]" >&2; exit 2 ;;
esac
root=/opt/lumhaven-armhf-root
build=build-armhf

bash scripts/armhf-root.sh

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOOL_WERROR=ON \
  -DCMAKE_TOOLCHAIN_FILE=cmake/armhf-toolchain.cmake -DTOOL_ARMHF_ROOT="$root"
cmake --build "$build" -j"$(nproc)"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" "$@"
