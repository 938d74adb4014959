# Shared by the benchmark scripts (sourced): timing, and a private X server that ends with the script.

# The best of three wall-clock times of a command, in microseconds; its output is dropped.
best_of_three() {
  local best=""
  for _ in 1 2 3; do
    local start end elapsed
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    elapsed=$(( (end - start) / 1000 ))
    if [ -z "$best" ] || [ "$elapsed" -lt "$best" ]; then best=$elapsed; fi
  done
  echo "$best"
}

# A scratch folder and the processes started for the benchmark, all gone when the script ends.
bench_work=$(mktemp -d)
bench_pids=()
bench_cleanup() {
  for pid in "${bench_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$bench_work"
}
trap bench_cleanup EXIT

# Starts Xvfb on a free display (it picks the number itself) and exports DISPLAY; with "openbox" also
# the window manager, waited for until it manages the screen.
start_private_display() {
  local wm=${1:-none}
  mkfifo "$bench_work/displayfd"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$bench_work/displayfd" >"$bench_work/xvfb.log" 2>&1 &
  bench_pids+=($!)
  local number
  read -r number < "$bench_work/displayfd"
  export DISPLAY=":$number"
  if [ "$wm" = openbox ]; then
    HOME=$bench_work openbox --sm-disable >"$bench_work/openbox.log" 2>&1 &
    bench_pids+=($!)
    for _ in $(seq 100); do
      xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
      sleep 0.1
    done
  fi
}
