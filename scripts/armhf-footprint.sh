#!/usr/bin/env bash
# Measures what the armhf services take on the gateway: the stripped size of
# Skylet and Wattlet from build-armhf (scripts/cross-test.sh builds it), and
# every shared library they load, found by following the ELF dependencies in
# the root of Debian's armhf libraries, with its size and its package.
#   scripts/armhf-footprint.sh            prints the report
#   scripts/armhf-footprint.sh --update   also writes it to
#                                         docs/armhf-footprint.md and its
#                                         summary into the README
set -euo pipefail
cd "$(dirname "$0")/.."

update=false
case "${1:-}" in
  "") ;;
  --update) update=true ;;
  *) echo "usage: $0 [--update]" >&2; exit 2 ;;
esac
build=build-armhf
root=/opt/lumhaven-armhf-root
readelf=arm-linux-gnueabihf-readelf
strip=arm-linux-gnueabihf-strip
for program in Skylet Wattlet; do
  if [ ! -f "$build/$program" ]; then
    echo "$build/$program is missing: run scripts/cross-test.sh armhf" >&2
    exit 1
  fi
done

# The libraries a file needs directly.
needed() {
  "$readelf" -d "$1" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'
}
# The file in the root that the loader takes for a library name.
locate() {
  local dir
  for dir in lib/arm-linux-gnueabihf usr/lib/arm-linux-gnueabihf; do
    if [ -e "$root/$dir/$1" ]; then
      echo "$dir/$1"
      return
    fi
  done
  echo "$1 is not in $root" >&2
  exit 1
}
# The package whose file list holds the loader's path of a library.
package_of() {
  local paths=(-e "/$1") list
  if [ -L "$root/$1" ]; then
    paths+=(-e "/$(dirname "$1")/$(readlink "$root/$1")")
  fi
  list=$(grep -lx -F "${paths[@]}" "$root"/.files/*.list | head -n 1)
  basename "${list:-unknown.list}" .list
}
size_of() { stat -L -c %s "$1"; }
kib() { echo $((($1 + 1023) / 1024)); }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Every library either program loads, breadth first.
declare -A seen=()
queue=()
for program in Skylet Wattlet; do
  "$strip" -o "$scratch/$program" "$build/$program"
  mapfile -t -O "${#queue[@]}" queue < <(needed "$build/$program")
done
libraries=()
while [ ${#queue[@]} -gt 0 ]; do
  name=${queue[0]}
  queue=("${queue[@]:1}")
  [ -n "${seen[$name]:-}" ] && continue
  seen[$name]=1
  path=$(locate "$name")
  libraries+=("$path")
  mapfile -t -O "${#queue[@]}" queue < <(needed "$root/$path")
done

# libc, libm, libstdc++ and libgcc_s are on every Debian armhf system.
runtime_pattern='^(libc6|libstdc\+\+6|libgcc-s1)$'
report=$scratch/report.md
{
  echo "| file | package | size (KiB) |"
  echo "|---|---|---:|"
  for program in Skylet Wattlet; do
    echo "| \`$program\`, stripped | (this project) |" \
         "$(kib "$(size_of "$scratch/$program")") |"
  done
  own=0
  base=0
  for path in $(printf '%s\n' "${libraries[@]}" |
                 awk -F/ '{ print $NF "\t" $0 }' | sort -f | cut -f2); do
    size=$(size_of "$root/$path")
    package=$(package_of "$path")
    if [[ "$package" =~ $runtime_pattern ]]; then
      base=$((base + size))
      package="$package (C and C++ runtime)"
    else
      own=$((own + size))
    fi
    echo "| \`$(basename "$path")\` | $package | $(kib "$size") |"
  done
  echo
  echo "Libraries the services bring beyond the C and C++ runtime:" \
       "$(kib "$own") KiB; the runtime itself: $(kib "$base") KiB."
} > "$report"
cat "$report"

if $update; then
  {
    echo "# What the armhf services take on the gateway"
    echo
    echo "Written by \`scripts/armhf-footprint.sh --update\` from the armhf"
    echo "build (\`scripts/cross-test.sh armhf\`, RelWithDebInfo, then"
    echo "stripped) and Debian 12's armhf packages, whose libraries are"
    echo "already stripped. Sizes are file sizes; a library is listed once"
    echo "even where both services load it."
    echo
    cat "$report"
  } > docs/armhf-footprint.md
  summary="\`Skylet\` $(kib "$(size_of "$scratch/Skylet")") KiB and"
  summary+=" \`Wattlet\` $(kib "$(size_of "$scratch/Wattlet")") KiB stripped;"
  summary+=" the shared libraries they need $(kib "$own") KiB beyond the C and"
  summary+=" C++ runtime ($(kib "$base") KiB)"
  python3 - "$summary" <<'EOF'
import re
import sys
path = "README.md"
text = open(path).read()
begin, end = "<!-- armhf-footprint -->", "<!-- /armhf-footprint -->"
block = begin + sys.argv[1] + end
if begin not in text:
    sys.exit("README.md has no " + begin + " block")
text = re.sub(re.escape(begin) + ".*?" + re.escape(end), lambda _: block,
              text, flags=re.S)
open(path, "w").write(text)
EOF
fi
