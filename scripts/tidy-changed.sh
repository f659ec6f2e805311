#!/usr/bin/env bash
# Runs clang-tidy (the checks of .clang-tidy) on the C++ sources changed since a revision and fails on any
# finding. Usage: scripts/tidy-changed.sh [BUILD_DIR] [BASE]   (defaults: build-tests, HEAD~1; TIDY_BASE
# overrides the base too). The build folder must hold compile_commands.json.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$top/build-tests}"
base="${2:-${TIDY_BASE:-HEAD~1}}"
cd "$top"
if ! git rev-parse --verify --quiet "$base" >/dev/null; then
    echo "tidy: no revision $base; nothing to compare"
    exit 0
fi
mapfile -t files < <(git diff --name-only --diff-filter=AM "$base" -- 'src/*.cpp' | sort)
if [ ${#files[@]} -eq 0 ]; then
    echo "tidy: no changed sources since $base"
    exit 0
fi
status=0
for file in "${files[@]}"; do
    output=$(clang-tidy -p "$build" --quiet "$file" 2>/dev/null | grep -E '(warning|error):' || true)
    if [ -n "$output" ]; then
        echo "$output"
        status=1
    fi
done
echo "tidy: ${#files[@]} changed sources checked since $base"
exit $status
