#!/usr/bin/env bash
# Installs what building, running and testing the services need, from
# Debian's packages, when it is missing. Further package names given as
# arguments (for example the fuzzing compiler) are installed too.
set -euo pipefail

packages=(
  cmake make g++
  libpoco-dev liblog4cxx-dev
  libgtest-dev libgmock-dev
  iproute2 util-linux curl
  "$@"
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null |
      grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
echo "Installing: ${missing[*]}"
# A list that fails to download (a mirror in the middle of a sync) leaves
# the others usable; whether the packages can be had, the install tells.
$sudo apt-get update || echo "apt-get update failed for some package lists" >&2
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends \
  "${missing[@]}"
