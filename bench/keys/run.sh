#!/usr/bin/env bash
# Typing throughput into one xterm on a private Xvfb (with openbox): brindle's send against
# `xdotool type` with its default delay and with --delay 0, in one run; each typed text is checked
# to have arrived whole. A second text has one character in five beyond the layout (accents, euro
# sign, CJK), typed by send and by xdotool type --delay 0.
# Usage: bench/keys/run.sh BUILD_DIR [CHARACTERS]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
count=${2:-1500}
brindle="$build/bin/brindle"
[ -x "$brindle" ] || { echo "no $brindle: build first" >&2; exit 2; }

# shellcheck source=../common.sh
source "$(dirname "$0")/../common.sh"
start_private_display openbox
work=$bench_work

export LC_ALL=C.UTF-8
# Lines of 60 characters, so the terminal's line buffer never fills.
alphabet='abcdefghijklmnopqrstuvwxyzABCDEFGHIJ0123456789 .,;:-=/'
foreign='éüßñøœ€日本語中文çåæ'
make_text() {  # $1: 1 for one character in five from $foreign
  local out="" i
  for ((i = 0; i < count; i++)); do
    if [ "$1" = 1 ] && ((i % 5 == 4)); then out+="${foreign:i % ${#foreign}:1}"; else out+="${alphabet:i % ${#alphabet}:1}"; fi
    if ((i % 60 == 59)); then out+=$'\n'; fi
  done
  printf '%s\n' "$out"
}
text=$(make_text 0)$'\n'
keys=${text//$'\n'/\{ENTER\}}

now_ms() { date +%s%3N; }

# Starts a fresh xterm running cat into a file; waits for its window.
start_target() {
  : > "$work/typed.txt"
  LC_ALL=C.UTF-8 xterm -T "tw typing bench" -e sh -c "cat > '$work/typed.txt'" &
  target_pid=$!
  bench_pids+=($target_pid)
  for _ in $(seq 200); do
    window=$(xdotool search --name '^tw typing bench$' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.05
  done
  xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
}

finish_target() {
  local started=$1 name=$2
  local sent=$(( $(now_ms) - started ))
  local bytes
  bytes=$(printf '%s' "$text" | wc -c)
  for _ in $(seq 1000); do
    [ "$(stat -c %s "$work/typed.txt")" -ge "$bytes" ] && break
    sleep 0.01
  done
  local elapsed=$(( $(now_ms) - started ))
  local result=ok
  if ! cmp -s <(printf '%s' "$text") "$work/typed.txt"; then
    result="LOST OR CHANGED KEYS: $(diff <(printf '%s' "$text" | grep -o .) <(grep -o . "$work/typed.txt") | grep -c '^<' || true) of ${#text} characters missing or wrong"
  fi
  kill "$target_pid" 2>/dev/null || true
  printf '%-24s sent in %6d ms, all arrived in %6d ms: %6.0f chars/s  %s\n' "$name" "$sent" "$elapsed" \
    "$(awk "BEGIN{print ${#text} * 1000 / ($sent > 0 ? $sent : 1)}")" "$result"
}

printf 'display %s, %d characters in lines of 60\n' "$DISPLAY" "${#text}"
printf '%s\n' 'x = focus("tw typing bench")' "send \"$keys\"" > "$work/type.tws"

start_target
started=$(now_ms)
"$brindle" --console "$work/type.tws"
finish_target "$started" "brindle send"

start_target
started=$(now_ms)
xdotool type --delay 0 "$text"
finish_target "$started" "xdotool type --delay 0"

start_target
started=$(now_ms)
xdotool type "$text"
finish_target "$started" "xdotool type (default)"

text=$(make_text 1)$'\n'
keys=${text//$'\n'/\{ENTER\}}
printf 'one character in five beyond the layout, %d characters\n' "${#text}"
printf '%s\n' 'x = focus("tw typing bench")' "send \"$keys\"" > "$work/type.tws"

start_target
started=$(now_ms)
"$brindle" --console "$work/type.tws"
finish_target "$started" "brindle send (mixed)"

start_target
started=$(now_ms)
xdotool type --delay 0 "$text"
finish_target "$started" "xdotool --delay 0 (mixed)"
