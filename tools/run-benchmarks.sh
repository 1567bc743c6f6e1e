#!/usr/bin/env bash
# Builds the benchmarks in the given build folder (default build/) and runs each of them once
# with short settings, printing their figures one after the other. The soak is not run here:
# it takes half an hour and more (bench/soak.sh).
#
# Usage: tools/run-benchmarks.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export CCACHE_BASEDIR=$(pwd)
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
benches=(bench_link_lines bench_link_pty bench_sim bench_eval bench_records bench_permeation bench_tick)
ninja -C "$dir" "${benches[@]}" zelvo730-sim

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
run() {
  echo "== $*"
  "$@"
  echo
}
run "$dir/bench/bench_link_lines"
run "$dir/bench/bench_link_pty"
run "$dir/bench/bench_sim" "$dir/tools/zelvo730-sim" 3
run "$dir/bench/bench_eval"
run "$dir/bench/bench_records" "$work"
run "$dir/bench/bench_permeation" 7 5
run "$dir/bench/bench_tick" 10 3 10
