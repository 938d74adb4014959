#!/usr/bin/env bash
# From a hotkey press to the first statement of its script: tarnwick with COUNT scripts in its catalogue
# (default 1,000, one of them on Ctrl+Alt+T) against xbindkeys starting `touch` on Ctrl+Alt+Y, in one run on
# a private Xvfb with openbox. Each press is sent by xdotool; the time runs until the file that the first
# statement (or touch) writes exists. Best and median of RUNS presses each, and tarnwick's ratio to xbindkeys.
# Goal: no slower than xbindkeys.
# Usage: bench/hotkeys/run.sh BUILD_DIR [COUNT] [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
count=${2:-1000}
runs=${3:-15}
tarnwick="$build/bin/tarnwick"
[ -x "$tarnwick" ] || { echo "no $tarnwick: build first" >&2; exit 2; }
for tool in xdotool xbindkeys openbox Xvfb; do
  command -v "$tool" >/dev/null || { echo "needs $tool" >&2; exit 2; }
done

# shellcheck source=../common.sh
source "$here/../common.sh"
scripts="$bench_work/scripts"
mkdir -p "$scripts/Work" "$scripts/Home"
python3 - "$scripts" "$count" "$bench_work" <<'PY'
import sys
folder, count, work = sys.argv[1], int(sys.argv[2]), sys.argv[3]
header = ("#command: \r\n#path: \r\n#title: \r\n#autoclose: n\r\n#enableschd: n\r\n#runmode: 2\r\n#apptype: Windows\r\n"
          "#schddatetime: 01/06/25 06:30:00 PM\r\n#schdcount: 1\r\n#schddwm: Day\r\n#description: %s\r\n"
          "#timeout: 0\r\n#hotkey: %s\r\n")
body = "".join(f'x = {i} + 1\r\n' for i in range(30))
# A catalogue of three folders; one script in twenty has a hotkey of its own, on other combinations.
for i in range(count - 1):
    sub = ("", "Work/", "Home/")[i % 3]
    key = f"Ctrl+Shift+F{i % 12 + 1}" if i % 20 == 0 else ""
    with open(f"{folder}/{sub}s{i:04d}.tws", "w", newline="") as f:
        f.write(header % (f"Script number {i:04d}", key) + body)
with open(f"{folder}/Work/pressed.tws", "w", newline="") as f:
    f.write(header % ("Pressed", "Ctrl+Alt+T") + f'x = savetofile("1", "{work}/tarnwick-hit")\r\n' + body
            + f'x = savetofile("1", "{work}/tarnwick-done")\r\n')
PY

start_private_display openbox
home="$bench_work/home"
mkdir -p "$home/.config/tarnwick" "$home/run"
chmod 700 "$home/run"
printf '[Settings]\nScriptPath=%s/\nActiveFolder=Work\n[Preferences]\nLoadEditor=0\n[Tips]\nShowTips=0\n' "$scripts" \
  > "$home/.config/tarnwick/tarnwick.ini"
HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share XDG_RUNTIME_DIR=$home/run \
  "$tarnwick" >"$bench_work/tarnwick.log" 2>&1 &
bench_pids+=($!)
printf '"touch %s/xbindkeys-hit"\n  Control+Alt + y\n' "$bench_work" > "$bench_work/xbindkeysrc"
xbindkeys -n -f "$bench_work/xbindkeysrc" >"$bench_work/xbindkeys.log" 2>&1 &
bench_pids+=($!)

python3 - "$bench_work" "$runs" <<'PY'
import os, statistics, subprocess, sys, time
work, runs = sys.argv[1], int(sys.argv[2])

def wait_for(path, limit):
    end = time.perf_counter() + limit
    while time.perf_counter() < end:
        if os.path.exists(path):
            return True
        time.sleep(0.0005)
    return False

# One press: the time from sending it to the file; None when the file did not come (the program was not
# listening yet, or still busy with the last run).
def press(keys, hit, done):
    for path in (hit, done):
        if path and os.path.exists(path):
            os.remove(path)
    start = time.perf_counter()
    subprocess.run(["xdotool", "key", keys], check=True)
    if not wait_for(hit, 5):
        return None
    elapsed = (time.perf_counter() - start) * 1000
    # The next press must find the hotkeys on again: the run is over a moment after its last statement.
    if done:
        wait_for(done, 30)
        time.sleep(0.2)
    return elapsed

def measure(name, keys, hit, done=None):
    # Until the program listens (it starts, reads its catalogue and grabs its keys).
    for _ in range(60):
        if press(keys, hit, done) is not None:
            break
    else:
        sys.exit(f"{name} never answered {keys}")
    times = []
    while len(times) < runs:
        t = press(keys, hit, done)
        if t is not None:
            times.append(t)
        else:
            time.sleep(0.5)
    return min(times), statistics.median(times)

results = [("tarnwick (ctrl+alt+t)",) + measure("tarnwick", "ctrl+alt+t", f"{work}/tarnwick-hit", f"{work}/tarnwick-done"),
           ("xbindkeys touch (ctrl+alt+y)",) + measure("xbindkeys", "ctrl+alt+y", f"{work}/xbindkeys-hit")]
peer_best, peer_median = results[1][1], results[1][2]
print(f"{'press to first statement':30} {'best_ms':>8} {'ratio':>7} {'median_ms':>10} {'ratio':>7}")
for name, best, median in results:
    print(f"{name:30} {best:8.1f} {best / peer_best:6.2f}x {median:10.1f} {median / peer_median:6.2f}x")
print("goal: tarnwick no slower than xbindkeys")
PY
