#!/usr/bin/env bash
# Days of a test in minutes: the simulated instrument and the program under test in one
# process on the manual clock, the fault mix drawn from the seed.
#
#   tools/simulate-days.sh --days D --seed N [--scenario FILE] [--faults LIST] [--out DIR]
#
# Builds zelvo730-days in ./build when it is missing (or in $ZELVO_BUILD_DIR), then runs it with
# the options as given. It prints a line per simulated day and, last, one JSON line; the exit
# status is 0 when nothing was lost, duplicated, out of order or marked at the wrong time.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${ZELVO_BUILD_DIR:-build}
if [ ! -x "$build/tools/zelvo730-days" ]; then
  if [ ! -f "$build/build.ninja" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  ninja -C "$build" zelvo730-days >&2
fi
exec "$build/tools/zelvo730-days" "$@"
