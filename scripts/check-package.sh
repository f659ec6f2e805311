#!/usr/bin/env bash
# Checks the desktop integration and the Debian package of a release build: the desktop file and the
# AppStream metadata validate, `cpack -G DEB` makes a package with its dependencies declared, and the
# programs run from the package unpacked into a scratch folder (nothing is installed on this machine).
# Usage: scripts/check-package.sh [BUILD_DIR]   (default: build-release, made by .ci/run)
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$top/build-release}" && pwd)"
lock=/tmp/tokrenu-build.lock

desktop=$(ls "$build"/data/*.desktop)
app_id=$(basename "$desktop" .desktop)
desktop-file-validate "$build/data/$app_id.desktop"
appstreamcli validate --no-net "$build/data/$app_id.metainfo.xml" >/dev/null
echo "desktop file and metainfo: valid"

flock "$lock" cmake --build "$build"
rm -f "$build"/tokrenu_*.deb
(cd "$build" && flock "$lock" cpack -G DEB >/dev/null)
deb=$(ls "$build"/tokrenu_*.deb)
depends=$(dpkg-deb --field "$deb" Depends)
for needed in libqt6widgets6 libqt6svg6 qt6-translations-l10n; do
    if [[ "$depends" != *"$needed"* ]]; then
        echo "package does not depend on $needed: $depends"
        exit 1
    fi
done
# Every dependency is a package Debian offers.
for dependency in $(echo "$depends" | tr ',' '\n' | sed 's/(.*)//;s/|.*//;s/ //g'); do
    if [ -z "$(apt-cache policy "$dependency" 2>/dev/null | grep 'Candidate:' | grep -v '(none)')" ]; then
        echo "no Debian package provides the dependency $dependency"
        exit 1
    fi
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg -x "$deb" "$scratch"
for file in usr/bin/tokrenu usr/bin/tokrenu-cli "usr/share/applications/$app_id.desktop" \
    "usr/share/metainfo/$app_id.metainfo.xml" "usr/share/icons/hicolor/scalable/apps/$app_id.svg" \
    usr/share/man/man1/tokrenu-cli.1.gz; do
    if [ ! -e "$scratch/$file" ]; then
        echo "the package lacks /$file"
        exit 1
    fi
done
# Read whole before they are searched: grep -q stops reading at the first match, and a program whose output
# is cut off says so and fails, as it should.
help=$("$scratch/usr/bin/tokrenu-cli" --help)
grep -q '^Usage: tokrenu-cli' <<<"$help"
manual=$(zcat "$scratch/usr/share/man/man1/tokrenu-cli.1.gz")
grep -q 'tokrenu-cli' <<<"$manual"
# The window program starts and keeps running until it is ended.
status=0
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$scratch/config" \
    timeout 5 "$scratch/usr/bin/tokrenu" >/dev/null 2>&1 || status=$?
if [ "$status" -ne 124 ]; then
    echo "tokrenu from the package ended with status $status instead of running"
    exit 1
fi
echo "package: $(basename "$deb") ($(du -k "$deb" | cut -f1) KiB) installs and runs from a scratch root"
