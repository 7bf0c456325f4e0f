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

bash scripts/armhf-root.sh

# The preset "armhf" (CMakePresets.json) builds in build-armhf with the
# toolchain file and the root /opt/lumhaven-armhf-root; its test preset
# shows the output of a failing test.
cmake --preset "$arch"
cmake --build --preset "$arch" -j"$(nproc)"
ctest --preset "$arch" -j"$(nproc)" "$@"
