#!/usr/bin/env bash
# Installs what is missing, builds the program twice (normal, and with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs every test in both builds after checking that every
# include points down the layer order (tools/check-layers.sh), then runs each fuzz target
# for ZELVO_FUZZ_SECONDS (default 60; 0 skips them). Exits non-zero on any failure.
# Under sudo only the package installation runs as root; the builds and the tests run as the
# user who called sudo, so build/ and build-asan/ stay the user's.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash tools/install-deps.sh
source tools/as-user.sh
reexec_as_calling_user "$root" build build-asan build-fuzz -- bash "$root/tools/run-tests.sh" "$@"
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
# Paths below the clone are hashed relative to it, so every clone shares the compiler cache.
export CCACHE_BASEDIR="$root"
# Debug builds would otherwise key every object on the build folder's absolute path.
export CCACHE_NOHASHDIR=true

run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DZELVO_WERROR=ON "$@" >/dev/null
  # Files added since the last build are not seen by moc's own up-to-date check: let it look
  # again (it regenerates only what changed).
  find "$dir" -path '*_autogen/timestamp' -delete
  ninja -C "$dir" -j "$jobs"
  # Tests without a time limit of their own get 600 s; the whole runs carry a longer one.
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 600
}

echo "== layer order of the includes"
bash tools/check-layers.sh

echo "== normal build"
run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "== Debian package from the normal build"
# cpack installs from build/ as it stands (nothing is compiled again), then the package's
# contents, desktop entry and metainfo are checked and its executables started unpacked.
bash tools/package.sh build
echo "== A week in minutes: three seeds, seven simulated days each, twice"
bash tools/check-days.sh build 7 1 2 3
echo "== AddressSanitizer + UndefinedBehaviorSanitizer build"
ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$root/tests/support/lsan.supp:print_suppressions=0 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DZELVO_SANITIZE=ON
fuzz_seconds=${ZELVO_FUZZ_SECONDS:-60}
if [ "$fuzz_seconds" != 0 ]; then
  echo "== Fuzz targets, $fuzz_seconds s each"
  bash tools/run-fuzz.sh "$fuzz_seconds"
fi
echo "All tests passed in both builds."
