#!/usr/bin/env bash
# Builds the benchmarks and runs them: the micro-benchmarks of the hot paths,
# then the process-level benchmark, which runs Skylet and Wattlet with the
# stand-in in private namespaces (it needs root) and prints every figure for
# both services side by side.
#   scripts/bench.sh           the full run (about five minutes)
#   scripts/bench.sh --quick   a smoke run: everything builds, runs and prints
#   scripts/bench.sh --armhf   the memory figures of the armhf build under
#                              qemu-arm (after scripts/cross-test.sh armhf);
#                              its times are the emulator's and not shown
set -euo pipefail
cd "$(dirname "$0")/.."

mode=full
case "${1:-}" in
  "") ;;
  --quick) mode=quick ;;
  --armhf) mode=armhf ;;
  *) echo "usage: $0 [--quick | --armhf]" >&2; exit 2 ;;
esac

sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo

if [ "$mode" = armhf ]; then
  bash scripts/armhf-root.sh
  cmake --preset armhf -DTOOL_BUILD_BENCH=ON
  cmake --build --preset armhf -j"$(nproc)" --target service_bench
  $sudo env QEMU_LD_PREFIX=/opt/lumhaven-armhf-root \
    qemu-arm-static build-armhf/bench/service_bench --memory-only --rounds 3
  exit 0
fi

bash scripts/install-deps.sh libbenchmark-dev
cmake --preset bench
cmake --build --preset bench -j"$(nproc)"

if [ "$mode" = quick ]; then
  build-bench/bench/micro_bench --benchmark_min_time=0.01
  $sudo build-bench/bench/service_bench --quick
else
  build-bench/bench/micro_bench
  $sudo build-bench/bench/service_bench
fi
