#!/usr/bin/env bash
# Installs what is missing, builds a release build and starts Tokrenu with the given arguments.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/scripts/install-deps.sh" run
cmake -S "$top" -B "$top/build-release" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$top/build-release" --target tokrenu tokrenu-cli
exec "$top/build-release/src/app/tokrenu" "$@"
