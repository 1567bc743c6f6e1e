#!/usr/bin/env bash
# A week in minutes, for CI: three seeds, seven simulated days each, every run twice. Each run
# must lose, duplicate and reorder nothing, mark every breakthrough at the right evaluation
# (zelvo730-days exits 1 otherwise), keep its queues and held points bounded, and give the
# same result file bytes both times.
#
#   tools/check-days.sh BUILD_DIR [DAYS] [SEEDS...]
set -euo pipefail
build=${1:-build}
days=${2:-7}
shift $(( $# > 2 ? 2 : $# ))
seeds=("$@")
[ ${#seeds[@]} -gt 0 ] || seeds=(1 2 3)
field() { sed -n "s/.*\"$1\":\\([^,}]*\\).*/\\1/p" <<<"$2" | tr -d '"'; }
for seed in "${seeds[@]}"; do
  first=""
  for round in 1 2; do
    line=$("$build/tools/zelvo730-days" --days "$days" --seed "$seed" | tail -n 1)
    echo "$line"
    queue=$(field max_queue "$line")
    points=$(field max_points_held "$line")
    hash=$(field result_sha256 "$line")
    if [ "$queue" -ge 1000 ] || [ "$points" -ge 100000 ] || [ -z "$hash" ]; then
      echo "seed $seed: queue $queue, held points $points, result hash '$hash'" >&2
      exit 1
    fi
    if [ -n "$first" ] && [ "$hash" != "$first" ]; then
      echo "seed $seed: the result file differs between two runs" >&2
      exit 1
    fi
    first=$hash
  done
done
