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
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends \
  "${missing[@]}"
