#!/usr/bin/env bash
# Builds the services and runs one of them in the foreground until Ctrl-C:
#   scripts/run.sh [skylet|wattlet]      (default skylet)
set -euo pipefail
cd "$(dirname "$0")/.."

case "${1:-skylet}" in
  skylet | Skylet) service=Skylet ;;
  wattlet | Wattlet) service=Wattlet ;;
  *) echo "usage: $0 [skylet|wattlet]" >&2; exit 2 ;;
esac

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOOL_BUILD_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)" --target "$service"

echo "Starting $service; its log file is $service.log under" \
  "/media/sdcard/lumhaven/Log/Tool (or /tmp/lumhaven/Log/Tool). Ctrl-C stops it."
"./build/$service" &
pid=$!
# The service stops in order on SIGTERM; Ctrl-C is turned into that.
trap 'kill -TERM "$pid" 2>/dev/null || true' INT TERM
status=0
while kill -0 "$pid" 2>/dev/null; do
  wait "$pid" || status=$?
done
exit "$status"
