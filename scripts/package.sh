#!/usr/bin/env bash
# Builds the Debian packages of both services and checks them:
#   scripts/package.sh [ARCH ...]     (amd64, armhf; default both)
# For each architecture, build-package-ARCH holds skylet_VERSION_ARCH.deb
# and wattlet_VERSION_ARCH.deb, built with Debian's hardening flags and
# warnings as errors. The checks: the files, architecture and dependencies
# that dpkg-deb shows; lintian; systemd-analyze verify on the units; and,
# for the build machine's own architecture, the services unpacked into a
# scratch root, each started from its installed path in the process-test
# sandbox, answering a command and stopping with status 0. Needs root.
set -euo pipefail
cd "$(dirname "$0")/.."

native=$(dpkg --print-architecture)
arches=("$@")
[ ${#arches[@]} -eq 0 ] && arches=("$native" armhf)
for arch in "${arches[@]}"; do
  if [ "$arch" != "$native" ] && [ "$arch" != armhf ]; then
    echo "usage: $0 [$native] [armhf]" >&2
    exit 2
  fi
done

# dpkg-shlibdeps (dpkg-dev) and file, which CPack runs for the
# dependencies; lintian; systemd-analyze.
bash scripts/install-deps.sh dpkg-dev file lintian systemd
version=$(sed -n 's/^project(lumhaven_tools VERSION \([0-9.]*\) .*/\1/p' \
          CMakeLists.txt)

fail() {
  echo "package check failed: $*" >&2
  exit 1
}

# The package's files, owners, modes and control fields.
check_contents() {
  local deb=$1 package=$2 service=$3 arch=$4 field expected
  while read -r field expected; do
    [ "$(dpkg-deb -f "$deb" "$field")" = "$expected" ] ||
      fail "$deb: $field is $(dpkg-deb -f "$deb" "$field"), not $expected"
  done <<FIELDS
Package $package
Version $version
Architecture $arch
FIELDS
  # Exactly the libraries the executable links, each from its package.
  local depends
  depends=$(dpkg-deb -f "$deb" Depends | tr ',' '\n' |
            sed 's/^ *//; s/ .*//' | sort | tr '\n' ' ')
  [ "$depends" = "libc6 libgcc-s1 liblog4cxx15 libpocofoundation80 libpoconet80 libpocoxml80 libstdc++6 " ] ||
    fail "$deb: unexpected dependencies: $depends"

  local files
  files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $1, $2, $6 }')
  diff -u <(sort -k3 <<LIST
-rwxr-xr-x root/root ./usr/sbin/$service
-rw-r--r-- root/root ./lib/systemd/system/$package.service
-rw-r--r-- root/root ./usr/share/doc/$package/README.md
-rw-r--r-- root/root ./usr/share/doc/$package/changelog.gz
-rw-r--r-- root/root ./usr/share/doc/$package/copyright
-rw-r--r-- root/root ./usr/share/doc/$package/examples/LoggerSetting.xml
-rw-r--r-- root/root ./usr/share/man/man8/$service.8.gz
LIST
  ) <(echo "$files" | sort -k3) ||
    fail "$deb: unexpected files:
$(dpkg-deb -c "$deb")"

  local scratch machine
  scratch=$(mktemp -d)
  dpkg-deb -x "$deb" "$scratch"
  case $arch in
    armhf) machine="ARM, EABI5" ;;
    amd64) machine="x86-64" ;;
    *) machine="" ;;
  esac
  file "$scratch/usr/sbin/$service" | grep -q "$machine.*, stripped" ||
    fail "$deb: $(file "$scratch/usr/sbin/$service")"
  # A Debian package states its license in its machine-readable copyright
  # file, not in a control field.
  grep -q '^License: [a-z]' "$scratch/usr/share/doc/$package/copyright" ||
    fail "$deb: the copyright file names no license"
  rm -rf "$scratch"
}

for arch in "${arches[@]}"; do
  # The preset package-ARCH (CMakePresets.json) builds in build-package-ARCH:
  # for armhf the cross build without tests; for amd64 also the start test,
  # run against the packages unpacked into build-package-amd64/installed
  # below.
  preset=package-$arch
  build=build-package-$arch
  if [ "$arch" = armhf ]; then
    bash scripts/armhf-root.sh
  fi
  # Debian's hardening flags for the architecture; CMake takes them from
  # the environment when it first configures the build.
  flags() {
    DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_HOST_ARCH=$arch \
      dpkg-buildflags --get "$1"
  }
  CXXFLAGS="$(flags CPPFLAGS) $(flags CXXFLAGS)" LDFLAGS="$(flags LDFLAGS)" \
    cmake --preset "$preset"
  cmake --build --preset "$preset" -j"$(nproc)"
  rm -f "$build"/*.deb
  (cd "$build" && cpack -G DEB)

  for service in Skylet Wattlet; do
    package=${service,,}
    deb=$build/${package}_${version}_$arch.deb
    [ -f "$deb" ] || fail "$deb was not built"
    check_contents "$deb" "$package" "$service" "$arch"
  done
  lintian --fail-on error,warning --display-info "$build"/*.deb

  # Both packages unpacked into one root, for the start test. The units
  # are verified as copies that start the unpacked executables, since
  # the root has none of systemd's own units. verify only warns about a
  # setting it cannot parse, so any message fails the check.
  installed=$build/installed
  rm -rf "$installed"
  for deb in "$build"/*.deb; do dpkg-deb -x "$deb" "$installed"; done
  units=$build/units
  rm -rf "$units" && mkdir -p "$units"
  for package in skylet wattlet; do
    sed "s|^ExecStart=/usr/sbin/|ExecStart=$PWD/$installed/usr/sbin/|" \
      "$installed/lib/systemd/system/$package.service" \
      > "$units/$package.service"
  done
  messages=$(systemd-analyze verify --man=no "$units"/*.service 2>&1) ||
    fail "systemd-analyze verify: $messages"
  [ -z "$messages" ] || fail "systemd-analyze verify: $messages"
  if [ "$arch" = "$native" ]; then
    # The test preset runs the tests labelled package and shows the output
    # of a failing one.
    ctest --preset "$preset"
  fi
  echo "Packages for $arch:"
  ls -l "$build"/*.deb
done
