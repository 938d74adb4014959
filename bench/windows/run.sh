#!/usr/bin/env bash
# Finds one window by its title among COUNT open windows, with FindWindowByTitle and with
# `xdotool search --name`, on a private Xvfb (with openbox unless --no-wm), in one run.
# Usage: bench/windows/run.sh BUILD_DIR [COUNT [ROUNDS]] [--no-wm]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
shift || true
wm=1
args=()
for a in "$@"; do
  if [ "$a" = --no-wm ]; then wm=0; else args+=("$a"); fi
done
bench="$build/bench/window_search_bench"
[ -x "$bench" ] || { echo "no $bench: build the window_search_bench target first" >&2; exit 2; }

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The server picks a free display itself and writes its number once it takes connections.
mkfifo "$work/displayfd"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/displayfd" >"$work/xvfb.log" 2>&1 &
pids+=($!)
read -r number < "$work/displayfd"
display=":$number"
if [ "$wm" = 1 ]; then
  DISPLAY=$display HOME=$work openbox --sm-disable >"$work/openbox.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do
    DISPLAY=$display xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
  done
fi
echo "display $display, window manager: $([ "$wm" = 1 ] && echo openbox || echo none)"
"$bench" "$display" "${args[@]}"
