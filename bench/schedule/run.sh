#!/usr/bin/env bash
# Building the schedule over COUNT scripts (default 10,000) in 100 folders through the model
# (bench/build_schedule, what "Start Schedule" does) against `grep -rl '^#enableschd: y'` over the same tree,
# in one run: best of RUNS wall-clock and processor times and the ratios. Goal: at most twice grep's time.
# Usage: bench/schedule/run.sh BUILD_DIR [COUNT] [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
count=${2:-10000}
runs=${3:-7}
builder="$build/bench/build_schedule"
[ -x "$builder" ] || { echo "no $builder: configure with -DTW_BUILD_BENCH=ON (or --preset dev) and build" >&2; exit 2; }

# shellcheck source=../common.sh
source "$here/../common.sh"
mkdir -p "$bench_work/tree"
python3 - "$bench_work/tree" "$count" <<'PY'
import os, sys
root, count = sys.argv[1], int(sys.argv[2])
body = "".join(f'send "line {i} of the script body{{ENTER}}"\r\n' for i in range(40))
for i in range(count):
    folder = f"{root}/folder{i % 100:02d}"
    os.makedirs(folder, exist_ok=True)
    header = ("#command: \r\n#path: \r\n#title: Untitled - Editor\r\n#autoclose: y\r\n#enableschd: %s\r\n"
              "#runmode: 2\r\n#apptype: Windows\r\n#schddatetime: 01/06/25 06:30:00 PM\r\n#schdcount: 1\r\n"
              "#schddwm: Day\r\n#description: Script number %05d of the catalogue\r\n#timeout: 0\r\n#hotkey: \r\n"
              % ("y" if i % 7 == 0 else "n", i))
    with open(f"{folder}/s{i:05d}.tws", "w", newline="") as f:
        f.write(header + body)
PY

# Both sides must find the same scripts before their times mean anything.
expected=$(( (count + 6) / 7 ))
[ "$("$builder" "$bench_work/tree")" = "$expected" ] || { echo "build_schedule miscounted" >&2; exit 1; }
[ "$(grep -rl '^#enableschd: y' "$bench_work/tree" | wc -l)" = "$expected" ] || { echo "grep miscounted" >&2; exit 1; }

python3 - "$runs" "$bench_work/tree" "$builder" <<'PY'
import resource, subprocess, sys, time
runs, tree, builder = int(sys.argv[1]), sys.argv[2], sys.argv[3]
cases = [("schedule build", [builder, tree]), ("grep -rl", ["grep", "-rl", "^#enableschd: y", tree])]
def best(argv):
    walls, cpus = [], []
    for _ in range(runs):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        subprocess.run(argv, stdout=subprocess.DEVNULL, check=True)
        walls.append(time.perf_counter() - start)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        cpus.append(after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime)
    return min(walls) * 1000, min(cpus) * 1000
results = [(name, *best(argv)) for name, argv in cases]
grep_wall, grep_cpu = results[1][1], results[1][2]
print(f"{'':16} {'best_ms':>9} {'vs_grep':>8} {'cpu_ms':>8} {'vs_grep':>8}")
for name, wall, cpu in results:
    print(f"{name:16} {wall:9.1f} {wall / grep_wall:7.2f}x {cpu:8.1f} {cpu / grep_cpu:7.2f}x")
PY
