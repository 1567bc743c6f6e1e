#!/usr/bin/env bash
# Builds the Debian package dist/zelvo730_<version>_amd64.deb from the project's install rules
# (cmake/Packaging.cmake) and checks it (tools/check-package.sh).
#
#   bash tools/package.sh [BUILD_DIR]
#
# BUILD_DIR (default build-package/) is configured with the compile flags of the test build,
# so the compiler cache serves it; tools/run-tests.sh passes its own build/ tree, already
# built. Only the installed executables and manual pages are built, not the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
dir=${1:-build-package}
bash tools/install-deps.sh
source tools/as-user.sh
reexec_as_calling_user "$root" "$dir" dist -- bash "$root/tools/package.sh" "$@"
export CCACHE_BASEDIR="$root"
export CCACHE_NOHASHDIR=true

cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELVO_WERROR=ON \
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
find "$dir" -path '*_autogen/timestamp' -delete
ninja -C "$dir" -j "$(nproc)" Zelvo730 zelvo730-sim zelvo730-eval zelvo730-report zelvo_man_pages
rm -f "$dir"/package/zelvo730_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
mkdir -p dist
rm -f dist/zelvo730_*_amd64.deb
cp "$dir"/package/zelvo730_*_amd64.deb dist/
deb=$(ls dist/zelvo730_*_amd64.deb)
bash tools/check-package.sh "$deb"
echo "$deb: $(du -k "$deb" | cut -f1) KiB"
dpkg-deb -f "$deb" Depends
