#!/usr/bin/env bash
# Builds the fuzz targets with clang++ (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# in build-fuzz/ and runs each for SECONDS (default 60), one after the other.
#
#   tools/run-fuzz.sh [SECONDS] [TARGET...]      (targets: lines reply data_line settings
#                                                 substances raw_data numbers; default all)
#
# Each target starts from its seeds in tests/fuzz/corpus/<target>/ and keeps what it finds new
# in build-fuzz/corpus/<target>/ (so later runs on this machine go on from there; the
# repository's seeds are never written). Any crash, leak, time-out or sanitizer report fails
# the script; the input that caused it is left as build-fuzz/findings/<target>-crash-...
# (or -leak-, -timeout-), to be replayed with `build-fuzz/tests/fuzz/fuzz_<target> FILE`.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-60}
[ $# -gt 0 ] && shift
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
  echo "usage: tools/run-fuzz.sh [SECONDS] [TARGET...]" >&2
  exit 2
fi

# target, dictionary, longest input in bytes (the line target expands a short escape into a
# run of bytes near the line length cap, see tests/fuzz/lines.cpp)
all_targets=(
  "lines protocol.dict 4096"
  "reply protocol.dict 64"
  "data_line protocol.dict 4096"
  "settings settings.dict 2048"
  "substances substances.dict 4096"
  "raw_data raw_data.dict 8192"
  "numbers numbers.dict 128"
)
selected=("$@")

cxx=${ZELVO_FUZZ_CXX:-}
if [ -z "$cxx" ]; then
  for c in clang++ clang++-14; do
    if command -v "$c" >/dev/null; then cxx=$c; break; fi
  done
fi
if [ -z "$cxx" ]; then
  echo "run-fuzz: clang++ not found (tools/install-deps.sh installs it)" >&2
  exit 1
fi

build=build-fuzz
cmake -S . -B "$build" -G Ninja -DZELVO_FUZZ=ON -DZELVO_WERROR=ON -DCMAKE_CXX_COMPILER="$cxx" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
find "$build" -path '*_autogen/timestamp' -delete
ninja -C "$build" -j "$(nproc)"

mkdir -p "$build/findings" "$build/logs"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
failed=()
ran=0
printf '%-11s %9s %12s %8s %8s %8s  %s\n' target seconds executions exec/s cov ft result
for entry in "${all_targets[@]}"; do
  read -r name dict max_len <<<"$entry"
  if [ ${#selected[@]} -gt 0 ] && [[ " ${selected[*]} " != *" $name "* ]]; then continue; fi
  ran=$((ran + 1))
  corpus="$build/corpus/$name"
  log="$build/logs/$name.log"
  mkdir -p "$corpus"
  rc=0
  "$build/tests/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 -max_len="$max_len" \
    -dict="tests/fuzz/$dict" -artifact_prefix="$build/findings/$name-" -print_final_stats=1 \
    "$corpus" "tests/fuzz/corpus/$name" >"$log" 2>&1 || rc=$?
  # A sanitizer that reported without stopping the run still fails it.
  if [ $rc -eq 0 ] && grep -qE '^(==[0-9]+==ERROR|SUMMARY: )|runtime error:' "$log"; then rc=1; fi
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  last=$(grep -E '^#[0-9]+' "$log" | tail -1 || true)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  result=ok
  if [ $rc -ne 0 ]; then
    result="FAILED (exit $rc, log $log)"
    failed+=("$name")
  fi
  printf '%-11s %9s %12s %8s %8s %8s  %s\n' "$name" "$seconds" "${execs:-?}" "${speed:-?}" "${cov:-?}" \
    "${ft:-?}" "$result"
done

if [ "$ran" -eq 0 ]; then
  echo "run-fuzz: no such target: ${selected[*]}" >&2
  exit 2
fi
if [ ${#failed[@]} -gt 0 ]; then
  for name in "${failed[@]}"; do
    echo "== $name: end of $build/logs/$name.log"
    tail -40 "$build/logs/$name.log"
  done
  ls -l "$build/findings"
  echo "fuzz: $((ran - ${#failed[@]})) passed, ${#failed[@]} failed"
  exit 1
fi
echo "fuzz: $ran passed, 0 failed"
