#!/usr/bin/env bash
# Times whole processes renaming a prefix of 30,000 files in one folder on the disk: tokrenu-cli --run
# against mmv and perl's rename, and against tokrenu_syscall_floor, which makes only the system calls such a
# run needs (see bench/syscall_floor.cpp). The files are made anew before every run, outside the timing.
# Usage: bench/compare-tools.sh [BUILD_DIR]   (default: build-release)
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$top/build-release}"
count=30000

need=()
for tool in hyperfine mmv rename; do
    command -v "$tool" >/dev/null || need+=("$tool")
done
if [ ${#need[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get install -y -qq "${need[@]}" >/dev/null
fi
if [ ! -x "$build/src/cli/tokrenu-cli" ] || [ ! -x "$build/bench/tokrenu_syscall_floor" ]; then
    cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$build" --target tokrenu-cli tokrenu_syscall_floor
fi

work="$(mktemp -d -p /var/tmp tokrenu-compare-XXXXXX)"
trap 'rm -rf "$work"' EXIT
dir="$work/files"
prepare="rm -rf '$dir' && mkdir '$dir' && cd '$dir' && seq -f 'photo_%05g.jpg' 0 $((count - 1)) | xargs touch"

hyperfine --warmup 1 --runs 10 --prepare "$prepare" --export-markdown "$work/table.md" \
    -n tokrenu-cli "'$build/src/cli/tokrenu-cli' --run --no-recycle '\"img_\" & mid(name,7)' '$dir'" \
    -n mmv "cd '$dir' && mmv 'photo_*' 'img_#1'" \
    -n rename "cd '$dir' && rename 's/^photo_/img_/' photo_*" \
    -n syscall-floor "'$build/bench/tokrenu_syscall_floor' '$dir' photo_ img_" >/dev/null
cat "$work/table.md"
