#!/usr/bin/env bash
# Times whole processes renaming a prefix of 30,000 files in one folder on the disk: tokrenu-cli --run
# against mmv and perl's rename, and against tokrenu_syscall_floor (see bench/syscall_floor.cpp): as
# "syscall-floor" the system calls of a run that reads every detail of each file as it adds it, as "read-once"
# only those a run needs, one reading of the folder and the renames. The files are made anew before every run,
# outside the timing.
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

hyperfine --warmup 1 --runs 10 --prepare "$prepare" --export-markdown "$work/table.md" --export-json "$work/times.json" \
    -n tokrenu-cli "'$build/src/cli/tokrenu-cli' --run --no-recycle '\"img_\" & mid(name,7)' '$dir'" \
    -n mmv "cd '$dir' && mmv 'photo_*' 'img_#1'" \
    -n rename "cd '$dir' && rename 's/^photo_/img_/' photo_*" \
    -n syscall-floor "'$build/bench/tokrenu_syscall_floor' '$dir' photo_ img_" \
    -n read-once "'$build/bench/tokrenu_syscall_floor' --once '$dir' photo_ img_" >/dev/null
cat "$work/table.md"
# The targets compare medians, which a noisy machine moves less than means.
python3 - "$work/times.json" <<'PY'
import json, sys
results = json.load(open(sys.argv[1]))["results"]
base = {r["command"]: r["median"] for r in results}
print()
print("| Command | Median [ms] | / mmv | / read-once |")
print("|:---|---:|---:|---:|")
for r in results:
    print(f"| {r['command']} | {r['median'] * 1000:.1f} | {r['median'] / base['mmv']:.2f} | {r['median'] / base['read-once']:.2f} |")
PY
