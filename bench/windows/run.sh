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
[ -x "$bench" ] || { echo "no $bench: configure with -DTW_BUILD_BENCH=ON (or --preset dev) and build" >&2; exit 2; }

# shellcheck source=../common.sh
source "$(dirname "$0")/../common.sh"
start_private_display "$([ "$wm" = 1 ] && echo openbox || echo none)"
display=$DISPLAY
echo "display $display, window manager: $([ "$wm" = 1 ] && echo openbox || echo none)"
"$bench" "$display" "${args[@]}"
