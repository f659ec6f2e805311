#!/usr/bin/env bash
# Installs the Debian packages Tokrenu needs to build, test or run; does nothing when all are there.
# Usage: scripts/install-deps.sh [build|run]   ("run" adds the fonts the Japanese interface wants)
set -euo pipefail

# Besides the compilers and Qt: Qt's SVG plug-ins and Japanese translations (build and run), help2man for
# the manual page, what checks and makes the Debian package (scripts/check-package.sh), and Python for the
# scripts that drive tokrenu-cli (the kill harness CI runs, the soak test).
packages=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libbenchmark-dev libicu-dev clang-format clang-tidy
    libqt6svg6 qt6-translations-l10n help2man desktop-file-utils appstream dpkg-dev file python3)
if [ "${1:-build}" = run ]; then
    packages+=(fonts-noto-cjk fonts-ipafont-gothic qt6-wayland)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
