#!/usr/bin/env bash
# A generated enhanced dialog of 300 controls (labels with edit boxes, combo and list boxes, check boxes, radio
# buttons, memos, buttons, shapes and pictures in five columns of a 1180 x 900 window), opened in the designer
# as the editor's Dialog Editor opens it, against shown at run time as a script shows it, in the same run on a
# private Xvfb with openbox. Each run is a fresh process of tw_dialog_bench timed from reading the definition
# to its window painted on the screen, the two taking turns, so that a busy moment of the machine hits both.
# Prints the median and best wall-clock and processor times of RUNS runs of each, the ratio of the medians
# and the load average. Goal: the designer within 2x of the run time.
#
#   bench/dialogs/designer.sh BUILD_DIR [RUNS]    (configured with -DTW_BUILD_BENCH=ON; 10 runs unless given)
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${2:-10}
bench="$build/bench/dialogs/tw_dialog_bench"
[ -x "$bench" ] || { echo "no $bench: configure with -DTW_BUILD_BENCH=ON and build" >&2; exit 2; }

# shellcheck source=../common.sh
source "$(dirname "$0")/../common.sh"
start_private_display openbox
export QT_QPA_PLATFORM=xcb

python3 - "$bench_work/large.dlg" <<'PY'
import sys

# Each row of a column holds two controls; the pairs take turns so that every kind shows up many times.
pairs = [("L", "E"), ("L", "E"), ("L", "O"), ("C", "C"), ("L", "E"), ("R", "R"), ("L", "S"), ("M", "B"),
         ("L", "E"), ("I", "H")]
numbers = {}
def name(kind):
    numbers[kind] = numbers.get(kind, 0) + 1
    return f"{kind}{numbers[kind]}"

def line(kind, x, y, w, h):
    n = name(kind)
    common = f'{n},{x},{y},{w},{h},0,"",0'
    if kind == "L": return f'{common},N,0,0,0,"{n} caption:"'
    if kind == "E": return f'{common},N,0,0,0,"text of {n}"'
    if kind == "M": return f'{common},N,0,1,0,"first line of {n}&nl&second line"'
    if kind in "OS": return f'{common},N,0,0,0,"one;two;three;four;"'
    if kind in "CR": return f'{common},N,{numbers[kind] % 2},0,0,"{n} choice"'
    if kind == "B": return f'{common},N,0,0,0,"&{n}"'
    if kind == "H": return f'{n},{x},{y},{w},{h},0,"",1,{numbers[kind] % 4},clBlack,clSilver,0,""'
    return f'{n},{x},{y},32,32,0,"",0,0,{numbers[kind] % 6 + 1},0,0,0,""'  # I: a built-in picture

rows, columns = 30, 5
lines = ['WINDOW,20,20,1180,900,0,"Tahoma",9,N,"Bench designer"', "WINDOW1,0,clBtnFace"]
for row in range(rows):
    for column in range(columns):
        first, second = pairs[(row * columns + column) % len(pairs)]
        x, y = 8 + column * 234, 8 + row * 28
        lines.append(line(first, x, y, 90, 22 if first != "I" else 32))
        lines.append(line(second, x + 96, y, 124, 22 if second not in "SMH" else 26))
assert len(lines) - 2 == 300
with open(sys.argv[1], "w") as f:
    f.write("\r\n".join(lines) + "\r\n")
PY

python3 - "$runs" "$bench" "$bench_work/large.dlg" <<'PY'
import statistics, subprocess, sys

runs, bench, definition = int(sys.argv[1]), sys.argv[2], sys.argv[3]
with open("/proc/loadavg") as f:
    load_before = " ".join(f.read().split()[:3])
modes = ["designer", "runtime"]
wall = {mode: [] for mode in modes}
cpu = {mode: [] for mode in modes}
for _ in range(runs):
    for mode in modes:
        fields = subprocess.run([bench, mode, definition], check=True, capture_output=True, text=True).stdout.split()
        if fields[3] != "300" or int(fields[4]) < 300:
            sys.exit(f"{mode}: {fields[3]} controls read, {fields[4]} widgets shown, not 300")
        wall[mode].append(float(fields[1]))
        cpu[mode].append(float(fields[2]))
with open("/proc/loadavg") as f:
    load_after = " ".join(f.read().split()[:3])
print(f"300 controls, {runs} runs each, load average {load_before} before, {load_after} after")
print(f"{'shown by':10} {'median_ms':>10} {'best_ms':>9} {'cpu_median_ms':>14} {'cpu_best_ms':>12}")
for mode in modes:
    print(f"{mode:10} {statistics.median(wall[mode]):10.1f} {min(wall[mode]):9.1f} "
          f"{statistics.median(cpu[mode]):14.1f} {min(cpu[mode]):12.1f}")
ratio = statistics.median(wall["designer"]) / statistics.median(wall["runtime"])
cpu_ratio = statistics.median(cpu["designer"]) / statistics.median(cpu["runtime"])
print(f"designer / run time (median): {ratio:.2f} (goal <= 2), processor time {cpu_ratio:.2f}")
PY
