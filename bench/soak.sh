#!/usr/bin/env bash
# The soak: the program's window against the simulated FIDFPD instrument for a long time,
# faults switched on at a low rate (garbage bytes, malformed data lines, lost lines, stalls,
# the adapter pulled and plugged in again), runs restarted by the instrument. Prints the
# figures at the end (and a progress line every five minutes):
#   evaluations done, result lines written (and lost), malformed lines skipped, reconnects,
#   messages to the operator, the tick's 99th percentile and maximum, resident memory at
#   start and end with its growth per hour.
#
# Usage: bench/soak.sh [--minutes N] [--hangup-every M] [--stall-every M] [--build DIR] [--out DIR] [--xvfb]
#   --minutes N        duration (default 30; a day: --minutes 1440)
#   --hangup-every M   mean minutes between hang-ups (default 15)
#   --stall-every M    mean minutes between 3 s stalls (default 10)
#   --build DIR        build folder (default build; built here if needed)
#   --out DIR          keep the work folder (settings, log, result file, simulator log) there
#   --xvfb             draw on a virtual X server (xvfb-run) instead of Qt's offscreen platform
#
# A day in the background, niced:
#   nohup bench/soak.sh --minutes 1440 --out /tmp/soak-day > /tmp/soak-day.txt 2>&1 &
set -euo pipefail

minutes=30 hangup=15 stall=10 build=build out="" xvfb=0
while [ $# -gt 0 ]; do
  case "$1" in
    --minutes) minutes=$2; shift ;;
    --hangup-every) hangup=$2; shift ;;
    --stall-every) stall=$2; shift ;;
    --build) build=$2; shift ;;
    --out) out=$2; shift ;;
    --xvfb) xvfb=1 ;;
    -h|--help) awk 'NR > 1 && /^#/ { sub(/^# ?/, ""); print; next } NR > 1 { exit }' "$0"; exit 0 ;;
    *) echo "soak.sh: unknown option $1 (see --help)" >&2; exit 2 ;;
  esac
  shift
done

cd "$(dirname "$0")/.."
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
nice ninja -C "$build" bench_soak zelvo730-sim >/dev/null
if [ -n "$out" ]; then
  mkdir -p "$out"
  out=$(realpath "$out")
fi

echo "soak: $minutes min, hang-ups every ~$hangup min, stalls every ~$stall min, started $(date -u '+%Y-%m-%d %H:%M:%S UTC')"
if [ "$xvfb" -eq 1 ]; then
  exec nice xvfb-run -a "$build/bench/bench_soak" "$minutes" "$out" "$hangup" "$stall"
fi
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} exec nice "$build/bench/bench_soak" "$minutes" "$out" "$hangup" "$stall"
