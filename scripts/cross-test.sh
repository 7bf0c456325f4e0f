#!/usr/bin/env bash
# Builds everything for the gateway's processor with warnings as errors and
# runs every test under emulation:
#   scripts/cross-test.sh armhf [ctest arguments]
# The build is in build-armhf. Debian's armhf libraries are unpacked into
# /opt/lumhaven-armhf-root (see cmake/armhf-toolchain.cmake for why), and
# qemu-user-static's binfmt handler is registered so that the armhf programs
# run directly, also inside the process tests' private namespaces. Needs root.
set -euo pipefail
cd "$(dirname "$0")/.."

arch=${1:-}
case "$arch" in
  armhf) shift ;;
  *) echo "usage: $0 armhf [ctest arguments]" >&2; exit 2 ;;
esac
root=/opt/lumhaven-armhf-root
build=build-armhf

sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo

bash scripts/install-deps.sh crossbuild-essential-armhf qemu-user-static

# Debian's armhf package lists, for the libraries below.
if ! dpkg --print-foreign-architectures | grep -qx armhf; then
  $sudo dpkg --add-architecture armhf
fi
if [ -z "$(apt-cache madison libc6:armhf 2>/dev/null)" ]; then
  # As in install-deps.sh, a list that fails to download leaves the others.
  $sudo apt-get update || echo "apt-get update failed for some package lists" >&2
fi

# The libraries the programs link and run with, the packages those need in
# turn, and the development files (headers, CMake packages, static test
# libraries) that the build finds in the root.
runtime=(libpocofoundation80 libpoconet80 libpocoxml80 liblog4cxx15)
development=(libpoco-dev liblog4cxx-dev libgtest-dev libgmock-dev
             libexpat1-dev libpcre3-dev zlib1g-dev)
mapfile -t packages < <(
  apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts \
      --no-breaks --no-replaces --no-enhances "${runtime[@]/%/:armhf}" |
    grep -E '^[a-z0-9]' | sed 's/:armhf$//'
  printf '%s\n' "${development[@]}")
mapfile -t wanted < <(
  for package in "${packages[@]}"; do
    version=$(apt-cache policy "$package:armhf" |
              sed -n 's/^ *Candidate: //p')
    echo "$package=$version"
  done | sort -u)
if [ ! -d "$root/.files" ] ||
    ! cmp -s <(printf '%s\n' "${wanted[@]}") "$root/.packages"; then
  echo "Unpacking Debian's armhf libraries into $root"
  download=$(mktemp -d)
  (cd "$download" && apt-get download "${wanted[@]/=/:armhf=}")
  $sudo rm -rf "$root"
  $sudo mkdir -p "$root"
  # Each package's file list is kept, to tell which package a library the
  # services need comes from (scripts/armhf-footprint.sh).
  $sudo mkdir -p "$root/.files"
  for deb in "$download"/*.deb; do
    $sudo dpkg -x "$deb" "$root"
    dpkg-deb -c "$deb" | awk '{ print substr($6, 2) }' |
      $sudo tee "$root/.files/$(dpkg-deb -f "$deb" Package).list" >/dev/null
  done
  rm -rf "$download"
  printf '%s\n' "${wanted[@]}" | $sudo tee "$root/.packages" >/dev/null
fi

# qemu-user-static's handler, from the package's own description. The flags
# matter: F opens the emulator once, at registration, so that it is found in
# any mount namespace; O lets the kernel hand the emulator a program that
# was started from a file descriptor (fexecve), as the process tests do.
binfmt=/proc/sys/fs/binfmt_misc
if [ ! -e "$binfmt/register" ]; then
  $sudo mount -t binfmt_misc binfmt_misc "$binfmt"
fi
entry=$binfmt/qemu-arm
if [ -e "$entry" ] && ! { grep -qx enabled "$entry" &&
    grep -q '^flags: .*O' "$entry" && grep -q '^flags: .*F' "$entry"; }; then
  echo -1 | $sudo tee "$entry" >/dev/null
fi
if [ ! -e "$entry" ]; then
  $sudo tee "$binfmt/register" < /usr/lib/binfmt.d/qemu-arm.conf >/dev/null
fi

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOOL_WERROR=ON \
  -DCMAKE_TOOLCHAIN_FILE=cmake/armhf-toolchain.cmake -DTOOL_ARMHF_ROOT="$root"
cmake --build "$build" -j"$(nproc)"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" "$@"
