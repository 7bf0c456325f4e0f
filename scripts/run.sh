#!/usr/bin/env bash
# Builds a service and the RS-485 stand-in, starts the stand-in on the
# services' default socket with simulated devices, and runs the service in
# the foreground until Ctrl-C:
#   scripts/run.sh [skylet]
#   scripts/run.sh wattlet [compoway|modbus]   (the KM50's protocol; default compoway)
set -euo pipefail
cd "$(dirname "$0")/.."

case "${1:-skylet}" in
  skylet | Skylet) service=Skylet ;;
  wattlet | Wattlet) service=Wattlet ;;
  *) echo "usage: $0 [skylet | wattlet [compoway|modbus]]" >&2; exit 2 ;;
esac
protocol=${2:-compoway}
case "$protocol" in
  compoway | modbus) ;;
  *) echo "usage: $0 [skylet | wattlet [compoway|modbus]]" >&2; exit 2 ;;
esac

bash scripts/install-deps.sh
# The preset "default" (CMakePresets.json) builds in build, without tests.
cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)" --target "$service" rs485_stand_in

# Skylet finds a weather sensor on channel 1 (slave address 1, baud-rate
# setting 2, serial-parameter setting 0), Wattlet a KM50 on channel 2
# (address 1, baud code 3, serial-parameter setting 4). The other channels
# echo every frame.
case "$service" in
  Skylet) devices=(--device 1:weather:1:2:0 --device 2:echo --device 3:echo)
    described="weather sensor (address 1, baud 2, param 0) on channel 1, echo devices on 2 and 3" ;;
  Wattlet) devices=(--device 1:echo --device "2:km50:$protocol:1:3:4" --device 3:echo)
    described="KM50 ($protocol, address 1, baud 3, param 4) on channel 2, echo devices on 1 and 3" ;;
esac

# Every frame and reply the stand-in sees goes to this file, one line each.
records=build/rs485_stand_in.records
./build/tools/rs485_stand_in/rs485_stand_in "${devices[@]}" \
  --record-log "$records" 2>build/rs485_stand_in.err &
stand_in_pid=$!
for _ in $(seq 50); do
  [ -S /mnt/system/orvanecom/orvane.com ] && break
  kill -0 "$stand_in_pid" 2>/dev/null || break
  sleep 0.1
done
if [ -S /mnt/system/orvanecom/orvane.com ]; then
  echo "RS-485 stand-in: $described; records in $records"
else
  echo "RS-485 stand-in did not start ($(cat build/rs485_stand_in.err));" \
    "device commands will fail without it." >&2
  stand_in_pid=
fi

echo "Starting $service; its log file is $service.log under" \
  "/media/sdcard/lumhaven/Log/Tool (or /tmp/lumhaven/Log/Tool). Ctrl-C stops it."
"./build/$service" &
pid=$!
stop() {
  kill -TERM "$pid" 2>/dev/null || true
}
# The service stops in order on SIGTERM; Ctrl-C is turned into that.
trap stop INT TERM
status=0
while kill -0 "$pid" 2>/dev/null; do
  wait "$pid" || status=$?
done
if [ -n "$stand_in_pid" ]; then
  kill -TERM "$stand_in_pid" 2>/dev/null || true
  wait "$stand_in_pid" 2>/dev/null || true
fi
exit "$status"
