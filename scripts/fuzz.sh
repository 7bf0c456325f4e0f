#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer, UndefinedBehavior-
# Sanitizer, LeakSanitizer) in build-fuzz and runs each for a bounded time:
#   scripts/fuzz.sh [seconds-per-target]      (default 60)
# A target built twice, once like Skylet and once like Wattlet, splits its
# time between its two programs. Each program starts from a scratch copy of
# its seed corpus in tests/fuzz/corpus, so new inputs never land in the
# repository. Exits non-zero when any program finds a crash, a leak, a
# time-out or an out-of-memory; the input that did it is kept under
# build-fuzz/fuzz-artifacts/<program>/ (add it to tests/fuzz/regressions/
# once it is mended). The request-body programs need root: they run in
# private namespaces with fresh /tmp, /media, /usr/local/etc and /mnt.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 2 ]; then
  echo "usage: $0 [seconds-per-target, at least 2]" >&2
  exit 2
fi
half=$((seconds / 2))

bash scripts/install-deps.sh clang-14 libfuzzer-14-dev libclang-rt-14-dev
# The preset "fuzz" (CMakePresets.json) builds with clang++-14 in build-fuzz.
build=build-fuzz
cmake --preset fuzz

# program corpus seconds
runs=(
  "request_body_fuzzer_skylet request_body $half"
  "request_body_fuzzer_wattlet request_body $half"
  "reply_record_fuzzer_skylet reply_record $half"
  "reply_record_fuzzer_wattlet reply_record $half"
  "settings_file_fuzzer settings_file $seconds"
)
programs=()
for run in "${runs[@]}"; do programs+=("${run%% *}"); done
cmake --build --preset fuzz -j"$(nproc)" --target "${programs[@]}"

# Not under /tmp: the request-body programs mount a fresh one.
scratch=$PWD/$build/fuzz-corpus
artifacts=$PWD/$build/fuzz-artifacts
rm -rf "$scratch" "$artifacts"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

failed=()
for run in "${runs[@]}"; do
  read -r program corpus time <<<"$run"
  mkdir -p "$scratch/$program" "$artifacts/$program"
  cp -R "tests/fuzz/corpus/$corpus/." "$scratch/$program/"
  dictionary=()
  if [ -f "tests/fuzz/$corpus.dict" ]; then
    dictionary=(-dict="tests/fuzz/$corpus.dict")
  fi
  echo "=== $program: $time s"
  if "$build/tests/fuzz/$program" "$scratch/$program" "${dictionary[@]}" \
      -max_total_time="$time" -timeout=10 -rss_limit_mb=2048 \
      -detect_leaks=1 -print_final_stats=1 \
      -artifact_prefix="$artifacts/$program/" 2>"$scratch/$program.log"; then
    tail -n 12 "$scratch/$program.log"
  else
    tail -n 60 "$scratch/$program.log"
    failed+=("$program")
  fi
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzzing found faults in: ${failed[*]} (inputs in $artifacts)" >&2
  exit 1
fi
echo "fuzzing found nothing"
