#!/usr/bin/env bash
# A form of 20 edit fields from start to closed: brindle showing a dialog against `zenity --forms` in the same
# run, on a private Xvfb with openbox. Each run starts the program, waits for its window, lets xdotool type
# into the first field and press OK (Enter on brindle's default button; Tab to OK and Enter in zenity, whose
# fields do not press it), and waits for the program to end with the typed value handed back. Prints the
# median and best wall-clock time of RUNS runs of each, the two taking turns.
# Usage: bench/dialogs/run.sh BUILD_DIR [RUNS]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${2:-10}
brindle="$build/bin/brindle"
[ -x "$brindle" ] || { echo "no $brindle: build first" >&2; exit 2; }
command -v zenity >/dev/null || { echo "needs zenity (scripts/bootstrap.sh)" >&2; exit 2; }

# shellcheck source=../common.sh
source "$(dirname "$0")/../common.sh"
start_private_display openbox
work=$bench_work

# The same form for both: 20 labelled edit fields and OK.
{
  echo 'dialog "Bench form"'
  for i in $(seq 1 20); do printf '  [L:Field %-2d] [Ef%d:                    ]\n' "$i" "$i"; done
  echo '  [Bok:^OK]'
  echo 'enddialog'
  echo 'x = savetofile(dialogvar("ef1"), "'"$work"'/brindle.txt")'
} > "$work/form.tws"
zenity_fields=()
for i in $(seq 1 20); do zenity_fields+=(--add-entry "Field $i"); done

python3 - "$runs" "$work" "$brindle" "${zenity_fields[@]}" <<'PY'
import os, statistics, subprocess, sys, time

runs, work, brindle, fields = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4:]

def window_of(pid):
    while True:
        found = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--pid", str(pid), "--name", "^Bench form$"],
                               capture_output=True, text=True).stdout.split()
        if found:
            return found[0]

def one(argv, result, close_keys):
    start = time.perf_counter()
    program = subprocess.Popen(argv, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    window = window_of(program.pid)
    subprocess.run(["xdotool", "windowactivate", "--sync", window, "type", "--delay", "0", "typed"], check=True)
    subprocess.run(["xdotool", "key", *close_keys], check=True)
    out, _ = program.communicate(timeout=60)
    elapsed = time.perf_counter() - start
    value = result(out)
    if value != "typed":
        sys.exit(f"{argv[0]}: the form gave {value!r}")
    return elapsed

def brindle_value(_):
    with open(os.path.join(work, "brindle.txt")) as f:
        return f.read().strip()

cases = [
    ("brindle dialog", [brindle, os.path.join(work, "form.tws")], brindle_value, ["Return"]),
    ("zenity --forms", ["zenity", "--forms", "--title", "Bench form", *fields], lambda out: out.split("|")[0].strip(),
     ["Tab"] * (len(fields) // 2 + 1) + ["Return"]),
]
results = {name: [] for name, *_ in cases}
for _ in range(runs):  # taking turns, so a busy moment of the machine hits both
    for name, argv, result, close_keys in cases:
        results[name].append(one(argv, result, close_keys) * 1000)
print(f"{'program':16} {'median_ms':>10} {'best_ms':>9}")
for name, times in results.items():
    print(f"{name:16} {statistics.median(times):10.1f} {min(times):9.1f}")
zenity = statistics.median(results["zenity --forms"])
print(f"brindle / zenity (median): {statistics.median(results['brindle dialog']) / zenity:.2f}")
PY
