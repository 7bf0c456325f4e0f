#!/usr/bin/env bash
# Builds the benchmarks and runs them: the micro-benchmarks of the hot paths,
# then the process-level benchmark, which runs Skylet and Wattlet with the
# stand-in in private namespaces (it needs root) and prints every figure for
# both services side by side.
#   scripts/bench.sh           the full run (about ten minutes)
#   scripts/bench.sh --quick   a smoke run: everything builds, runs and prints
set -euo pipefail
cd "$(dirname "$0")/.."

quick=false
case "${1:-}" in
  "") ;;
  --quick) quick=true ;;
  *) echo "usage: $0 [--quick]" >&2; exit 2 ;;
esac

bash scripts/install-deps.sh libbenchmark-dev
cmake --preset bench
cmake --build --preset bench -j"$(nproc)"

sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
if $quick; then
  build-bench/bench/micro_bench --benchmark_min_time=0.01
  $sudo build-bench/bench/service_bench --quick
else
  build-bench/bench/micro_bench
  $sudo build-bench/bench/service_bench
fi
