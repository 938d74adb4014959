#!/usr/bin/env bash
# Start-up to exit of brindle on an empty script, in the terminal (no display; without and with a private
# session bus, which brindle joins at start) and with its windows on a private Xvfb (tray check, Qt start-up),
# against `python3 -c pass` and `lua5.4 -e ""` in the same run.
# Prints the median and best wall-clock time of RUNS runs and the peak resident memory of each program.
# Usage: bench/brindle/run.sh BUILD_DIR [RUNS]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${2:-20}
brindle="$build/bin/brindle"
[ -x "$brindle" ] || { echo "no $brindle: build first" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "needs GNU time (/usr/bin/time) for the peak memory" >&2; exit 2; }

work=$(mktemp -d)
xvfb=""
cleanup() {
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  [ -n "${bus:-}" ] && kill "$bus" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
: > "$work/empty.tws"

# A private session bus: brindle joins the bus at start, which shows in its start-up time.
dbus-daemon --session --nofork --nopidfile --address="unix:path=$work/bus" >"$work/dbus.log" 2>&1 &
bus=$!
for _ in $(seq 100); do [ -S "$work/bus" ] && break; sleep 0.1; done

# A private X server on a display number it picks itself.
Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp > "$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
display=":$(head -n1 "$work/display")"

python3 - "$runs" "$display" "$brindle" "$work/empty.tws" "unix:path=$work/bus" <<'PY'
import os, statistics, subprocess, sys, time

runs, display, brindle, script, bus = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5]
bare = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS")}
shown = dict(bare, DISPLAY=display)
cases = [
    ("brindle, no display", [brindle, script], bare),
    ("brindle, session bus", [brindle, script], dict(bare, DBUS_SESSION_BUS_ADDRESS=bus)),
    ("brindle, Xvfb display", [brindle, script], shown),
    ("brindle --console", [brindle, "--console", script], shown),
    ("python3 -c pass", ["python3", "-c", "pass"], bare),
    ('lua5.4 -e ""', ["lua5.4", "-e", ""], bare),
]

def measure(argv, env):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        status = subprocess.call(argv, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        times.append(time.perf_counter() - start)
        if status != 0:
            sys.exit(f"{argv} ended with status {status}")
    # Peak memory through GNU time: a child of this harness would also count the harness's own memory,
    # which the kernel carries over an exec.
    report = subprocess.run(["/usr/bin/time", "-f", "%M", *argv], env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, text=True).stderr.split()
    return statistics.median(times) * 1000, min(times) * 1000, int(report[-1]) / 1024

results = [(name, *measure(argv, env)) for name, argv, env in cases]
python_ms = results[4][1]
print(f"{'program':24} {'median_ms':>10} {'best_ms':>9} {'peak_MiB':>9} {'vs_python':>10} {'vs_lua':>7}")
lua_ms = results[5][1]
for name, median, best, peak in results:
    print(f"{name:24} {median:10.1f} {best:9.1f} {peak:9.1f} {median / python_ms:9.1f}x {median / lua_ms:6.1f}x")
PY
