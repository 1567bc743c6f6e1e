#!/usr/bin/env bash
# Installs the Debian 12 packages the program, its tests and its demo need, when missing
# (clang and its runtime libraries build the fuzz targets, see tools/run-fuzz.sh; dpkg-dev and
# file compute the Debian package's dependencies, desktop-file-utils and appstream check its
# desktop entry and metainfo, see tools/package.sh).
set -euo pipefail
pkgs=(build-essential cmake ninja-build g++ ccache qt6-base-dev libqcustomplot-dev libgtest-dev
      xvfb xauth fonts-dejavu-core fonts-liberation clang-14 libclang-rt-14-dev
      dpkg-dev file desktop-file-utils appstream)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
