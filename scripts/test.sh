#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test.
# TOKRENU_WERROR=ON makes warnings errors.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/scripts/install-deps.sh" build
cmake -S "$top" -B "$top/build-tests" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTOKRENU_SANITIZE=ON \
    -DTOKRENU_WERROR="${TOKRENU_WERROR:-OFF}" >/dev/null
cmake --build "$top/build-tests"
cd "$top/build-tests"
ctest --output-on-failure -j2
