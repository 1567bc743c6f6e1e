#!/usr/bin/env bash
# Checks a built Debian package: the files it must hold, its desktop entry and AppStream
# metainfo, and that its executables start when unpacked.
#
#   bash tools/check-package.sh dist/zelvo730_<version>_amd64.deb
set -euo pipefail
deb=$1
version=$(dpkg-deb -f "$deb" Version)
fail() { echo "check-package: $*" >&2; exit 1; }

contents=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|')
for f in /usr/bin/zelvo730 /usr/bin/zelvo730-sim /usr/bin/zelvo730-eval /usr/bin/zelvo730-report \
         /usr/share/applications/zelvo730.desktop \
         /usr/share/icons/hicolor/scalable/apps/zelvo730.svg \
         /usr/share/metainfo/zelvo730.metainfo.xml \
         /usr/share/man/man1/zelvo730.1.gz /usr/share/man/man1/zelvo730-sim.1.gz \
         /usr/share/man/man1/zelvo730-eval.1.gz /usr/share/man/man1/zelvo730-report.1.gz \
         /usr/share/zelvo730/CH-Substanzen.txt /usr/share/zelvo730/S-Substanzen.txt \
         /usr/lib/udev/rules.d/60-zelvo730.rules; do
  grep -qxF "$f" <<<"$contents" || fail "$f is missing from $deb"
done
# Nothing of the build tree, and no file outside /usr.
if grep -v '/$' <<<"$contents" | grep -qv '^/usr/'; then fail "files outside /usr: $(grep -v '/$' <<<"$contents" | grep -v '^/usr/')"; fi
depends=$(dpkg-deb -f "$deb" Depends)
grep -q 'libqt6widgets6' <<<"$depends" || fail "Depends does not name the Qt libraries: $depends"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg-deb -x "$deb" "$scratch"
desktop-file-validate "$scratch/usr/share/applications/zelvo730.desktop"
# Warnings (the id is the desktop file's name, not a reverse domain name) are shown, errors fail.
appstreamcli validate --no-net --no-color "$scratch/usr/share/metainfo/zelvo730.metainfo.xml" \
  >"$scratch/appstream.txt" 2>&1 || true
cat "$scratch/appstream.txt"
if grep -q '^E:' "$scratch/appstream.txt"; then fail "AppStream metainfo has errors"; fi

out=$("$scratch/usr/bin/zelvo730" --version)
[ "$out" = "zelvo730 $version" ] || fail "zelvo730 --version printed \"$out\", not \"zelvo730 $version\""
"$scratch/usr/bin/zelvo730-report" --help | grep -q '^usage: zelvo730-report' || fail "zelvo730-report --help"
for exe in zelvo730-sim zelvo730-eval; do
  "$scratch/usr/bin/$exe" --version | grep -qxF "$exe $version" || fail "$exe --version"
done
zcat "$scratch/usr/share/man/man1/zelvo730-report.1.gz" | grep -q "Zelvo730 $version" || fail "manual page version"
echo "check-package: $deb is complete ($(dpkg-deb -c "$deb" | grep -vc '/$') files)"
