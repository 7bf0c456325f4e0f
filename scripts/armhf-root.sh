#!/usr/bin/env bash
# Prepares this machine for the armhf build (scripts/cross-test.sh,
# scripts/package.sh): installs Debian's cross compiler and qemu-user-static,
# unpacks Debian's armhf packages of Poco, log4cxx, GoogleTest and the
# libraries they need into /opt/lumhaven-armhf-root (see
# cmake/armhf-toolchain.cmake for why), and registers qemu-user-static's
# binfmt handler so that armhf programs run directly, also inside the
# process tests' private namespaces. Does only what is still missing. Needs
# root.
set -euo pipefail
cd "$(dirname "$0")/.."

root=/opt/lumhaven-armhf-root
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
admindir=$root/var/lib/dpkg
if [ ! -d "$root/.files" ] || [ ! -f "$admindir/status" ] ||
    ! cmp -s <(printf '%s\n' "${wanted[@]}") "$root/.packages"; then
  echo "Unpacking Debian's armhf libraries into $root"
  download=$(mktemp -d)
  (cd "$download" && apt-get download "${wanted[@]/=/:armhf=}")
  $sudo rm -rf "$root"
  $sudo mkdir -p "$root/.files" "$admindir/info"
  # A package database of the root's own, in which every path carries the
  # root's prefix: dpkg-shlibdeps, pointed at it through DPKG_ADMINDIR,
  # finds there which package a library of the root comes from and that
  # package's symbols and shlibs files, as it would for installed libraries.
  echo 1 | $sudo tee "$admindir/info/format" >/dev/null
  printf 'amd64\narmhf\n' | $sudo tee "$admindir/arch" >/dev/null
  control=$(mktemp -d)
  for deb in "$download"/*.deb; do
    $sudo dpkg -x "$deb" "$root"
    package=$(dpkg-deb -f "$deb" Package)
    # Each package's file list, as the package names it, tells which
    # package a library the services need comes from
    # (scripts/armhf-footprint.sh).
    dpkg-deb -c "$deb" | awk '{ print substr($6, 2) }' |
      $sudo tee "$root/.files/$package.list" >/dev/null
    rm -rf "$control" && mkdir "$control"
    dpkg-deb -e "$deb" "$control"
    info=$package
    if grep -qx 'Multi-Arch: same' "$control/control"; then
      info=$package:armhf
    fi
    { cat "$control/control"; echo "Status: install ok installed"; echo; } |
      $sudo tee -a "$admindir/status" >/dev/null
    sed -e 's:/$::' -e "s:^\.:$root:" -e "s:^$root\$:$root/:" \
        < <(dpkg-deb -c "$deb" | awk '{ print $6 }') |
      $sudo tee "$admindir/info/$info.list" >/dev/null
    for file in shlibs symbols; do
      if [ -f "$control/$file" ]; then
        $sudo cp "$control/$file" "$admindir/info/$info.$file"
      fi
    done
  done
  rm -rf "$download" "$control"
  printf '%s\n' "${wanted[@]}" | $sudo tee "$root/.packages" >/dev/null
fi

# A development link such as usr/lib/arm-linux-gnueabihf/libz.so points to
# /lib/arm-linux-gnueabihf/libz.so.1, an absolute path that the root does
# not have on this machine. Left dangling, the linker would take the static
# libz.a and libexpat.a instead, and the services would carry their own
# copies of zlib and expat beside the shared ones of Poco. Such links are
# made to point into the root.
while IFS= read -r -d '' link; do
  target=$(readlink "$link")
  case $target in
    "$root"/*) ;;
    *) $sudo ln -sfn "$root$target" "$link" ;;
  esac
done < <(find "$root" -type l -lname '/*' -print0)

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
