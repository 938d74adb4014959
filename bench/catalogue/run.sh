#!/usr/bin/env bash
# Listing a catalogue folder of COUNT scripts (default 10,000) through the model (bench/list_scripts, what
# the main window does) against `grep -m13 '^#'` over the same files and `ls -l`, in one run: best of RUNS
# wall-clock times and the ratios. Then tarnwick showing that folder on a private Xvfb against tarnwick on an
# empty folder: resident memory once the window is up. Goals: the listing at least as fast as grep; the full
# folder under 20 MiB above the empty one.
# Usage: bench/catalogue/run.sh BUILD_DIR [COUNT] [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
count=${2:-10000}
runs=${3:-7}
lister="$build/bench/list_scripts"
tarnwick="$build/bin/tarnwick"
for program in "$lister" "$tarnwick"; do
  [ -x "$program" ] || { echo "no $program: configure with -DTW_BUILD_BENCH=ON (or --preset dev) and build" >&2; exit 2; }
done
command -v xdotool >/dev/null || { echo "needs xdotool to find tarnwick's window" >&2; exit 2; }

# shellcheck source=../common.sh
source "$here/../common.sh"
mkdir -p "$bench_work/full" "$bench_work/empty"
python3 - "$bench_work/full" "$count" <<'PY'
import sys
folder, count = sys.argv[1], int(sys.argv[2])
body = "".join(f'send "line {i} of the script body{{ENTER}}"\r\n' for i in range(40))
for i in range(count):
    header = ("#command: \r\n#path: \r\n#title: Untitled - Editor\r\n#autoclose: y\r\n#enableschd: %s\r\n"
              "#runmode: 2\r\n#apptype: Windows\r\n#schddatetime: 01/06/25 06:30:00 PM\r\n#schdcount: 1\r\n"
              "#schddwm: Day\r\n#description: Script number %05d of the catalogue\r\n#timeout: 0\r\n#hotkey: \r\n"
              % ("y" if i % 7 == 0 else "n", i))
    with open(f"{folder}/s{i:05d}.tws", "w", newline="") as f:
        f.write(header + body)
PY

# Both sides must see the same scripts before their times mean anything.
[ "$("$lister" "$bench_work/full")" = "$count" ] || { echo "list_scripts miscounted" >&2; exit 1; }
[ "$(cd "$bench_work/full" && grep -m13 '^#' -- *.tws | grep -c '#description:')" = "$count" ] ||
  { echo "grep miscounted" >&2; exit 1; }

python3 - "$runs" "$bench_work/full" "$lister" <<'PY'
import resource, subprocess, sys, time
runs, folder, lister = int(sys.argv[1]), sys.argv[2], sys.argv[3]
cases = [
    ("model listing", [lister, folder], False),
    ("grep -m13 '^#' *.tws", "grep -m13 '^#' -- *.tws", True),
    ("ls -l", "ls -l", True),
]
# Wall-clock time and processor time (user and system, of the program and its children) of the best run;
# on a loaded machine the processor time is the steadier of the two.
def best(argv, shell):
    walls, cpus = [], []
    for _ in range(runs):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        subprocess.run(argv, shell=shell, cwd=folder, stdout=subprocess.DEVNULL, check=True)
        walls.append(time.perf_counter() - start)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        cpus.append(after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime)
    return min(walls) * 1000, min(cpus) * 1000
results = [(name, *best(argv, shell)) for name, argv, shell in cases]
grep_wall, grep_cpu = results[1][1], results[1][2]
print(f"{'listing':24} {'best_ms':>9} {'vs_grep':>8} {'cpu_ms':>8} {'vs_grep':>8}")
for name, wall, cpu in results:
    print(f"{name:24} {wall:9.1f} {wall / grep_wall:7.2f}x {cpu:8.1f} {cpu / grep_cpu:7.2f}x")
PY

# Resident memory of tarnwick with its window up on a folder, in KiB.
start_private_display
tarnwick_memory() {
  local folder=$1 home="$bench_work/home-$(basename "$1")"
  mkdir -p "$home/.config/tarnwick" "$home/run"
  chmod 700 "$home/run"
  printf '[Settings]\nScriptPath=%s/\n[Preferences]\nLoadEditor=1\n' "$folder" > "$home/.config/tarnwick/tarnwick.ini"
  HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share XDG_RUNTIME_DIR=$home/run \
    "$tarnwick" >/dev/null 2>&1 &
  local pid=$!
  bench_pids+=("$pid")
  xdotool search --sync --pid "$pid" --name 'Tarnwick for Windows' >/dev/null
  # Settled: the same resident size three times in a row.
  local last="" same=0 rss
  while [ "$same" -lt 3 ]; do
    rss=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
    if [ "$rss" = "$last" ]; then same=$((same + 1)); else same=0; last=$rss; fi
    sleep 0.2
  done
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  echo "$rss"
}
empty=$(tarnwick_memory "$bench_work/empty")
full=$(tarnwick_memory "$bench_work/full")
awk -v e="$empty" -v f="$full" -v n="$count" 'BEGIN {
  printf "\n%-24s %9s\n", "tarnwick window", "RSS_MiB"
  printf "%-24s %9.1f\n", "empty folder", e / 1024
  printf "%-24s %9.1f\n", n " scripts", f / 1024
  printf "%-24s %9.1f  (goal: under 20)\n", "difference", (f - e) / 1024
}'
