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

names=(tokrenu-cli mmv rename syscall-floor read-once)
commands=(
    "'$build/src/cli/tokrenu-cli' --run --no-recycle '\"img_\" & mid(name,7)' '$dir'"
    "cd '$dir' && mmv 'photo_*' 'img_#1'"
    "cd '$dir' && rename 's/^photo_/img_/' photo_*"
    "'$build/bench/tokrenu_syscall_floor' '$dir' photo_ img_"
    "'$build/bench/tokrenu_syscall_floor' --once '$dir' photo_ img_"
)
# Ten runs of each command, in five rounds of two, each round starting from another command: a busy or a quiet
# spell of a shared machine then falls on all of them rather than on the one whose runs it happened to meet.
rounds=5
for round in $(seq 0 $((rounds - 1))); do
    args=()
    for k in "${!names[@]}"; do
        at=$(((k + round) % ${#names[@]}))
        args+=(-n "${names[$at]}" "${commands[$at]}")
    done
    warmup=0
    [ "$round" -eq 0 ] && warmup=1
    hyperfine --warmup "$warmup" --runs 2 --prepare "$prepare" --export-json "$work/round$round.json" "${args[@]}" >/dev/null
done
# The targets compare medians, which a noisy machine moves less than means.
python3 - "$work" "${names[@]}" <<'PY'
import glob, json, statistics, sys
work, names = sys.argv[1], sys.argv[2:]
times = {name: [] for name in names}
for path in sorted(glob.glob(f"{work}/round*.json")):
    for result in json.load(open(path))["results"]:
        times[result["command"]] += [t * 1000 for t in result["times"]]
median = {name: statistics.median(times[name]) for name in names}
print("| Command | Mean [ms] | Min [ms] | Max [ms] | Runs |")
print("|:---|---:|---:|---:|---:|")
for name in names:
    t = times[name]
    print(f"| `{name}` | {statistics.mean(t):.1f} ± {statistics.stdev(t):.1f} | {min(t):.1f} | {max(t):.1f} | {len(t)} |")
print()
print("| Command | Median [ms] | / mmv | / read-once |")
print("|:---|---:|---:|---:|")
for name in names:
    print(f"| {name} | {median[name]:.1f} | {median[name] / median['mmv']:.2f} | {median[name] / median['read-once']:.2f} |")
PY
