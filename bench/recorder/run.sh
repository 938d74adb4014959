#!/usr/bin/env bash
# Recording keys while xdotool types fast: `xdotool type --delay 0` of CHARACTERS characters into an xterm on
# a private Xvfb, alone, while the keystroke recorder (bench/record_keys) records, and while cnee --record
# records. `xinput test-xi2` counts the key presses the server saw, as witness. Reported per recorder: key
# presses it took against the witness's, its processor time per event, and xdotool's time against typing
# with no recorder. Usage: bench/recorder/run.sh BUILD_DIR [CHARACTERS]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
count=${2:-10000}
recorder="$build/bench/record_keys"
[ -x "$recorder" ] || { echo "no $recorder: configure with -DTW_BUILD_BENCH=ON (or --preset dev) and build" >&2; exit 2; }
for program in cnee xinput xdotool xterm; do
  command -v "$program" >/dev/null || { echo "no $program (scripts/bootstrap.sh installs it)" >&2; exit 2; }
done

# shellcheck source=../common.sh
source "$(dirname "$0")/../common.sh"
start_private_display
work=$bench_work

# Lines of 60 characters with Shift letters among them, so that modifiers are recorded too.
alphabet='abcdefghijklmnopqrstuvwxyzABCDEFGHIJ0123456789 .,;:-=/'
text=""
for ((i = 0; i < count; i++)); do
  text+="${alphabet:i % ${#alphabet}:1}"
  if ((i % 60 == 59)); then text+=$'\n'; fi
done

now_ms() { date +%s%3N; }
cpu_ms() {  # processor time of a running process, from /proc
  awk -v hz="$(getconf CLK_TCK)" '{ print ($14 + $15) * 1000 / hz }' "/proc/$1/stat"
}
# Waits until `file` holds a line matching `pattern`, tapping F12 meanwhile (up to 20 s): the recorder's
# output is then known to follow the keyboard.
await_keys_in() {
  local file=$1 pattern=$2
  for _ in $(seq 100); do
    grep -q -- "$pattern" "$file" 2>/dev/null && return 0
    xdotool key F12
    sleep 0.2
  done
  echo "no key reached $file" >&2
  exit 1
}

LC_ALL=C.UTF-8 xterm -T "tw recorder bench" -e sh -c "cat > /dev/null" &
bench_pids+=($!)
for _ in $(seq 200); do
  window=$(xdotool search --onlyvisible --name '^tw recorder bench$' 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.05
done
xdotool windowfocus --sync "$window"

# The witness: every key press the server delivers.
stdbuf -oL xinput test-xi2 --root > "$work/witness.txt" 2>&1 &
witness=$!
bench_pids+=($witness)
await_keys_in "$work/witness.txt" "(KeyPress)"

# Types the text once; prints xdotool's wall time in ms and the witness's key presses for it.
type_text() {
  local before after started
  before=$(grep -c "(KeyPress)" "$work/witness.txt" || true)
  started=$(now_ms)
  xdotool type --delay 0 "$text"
  local took=$(( $(now_ms) - started ))
  sleep 1  # lets the witness write its last lines; only counts depend on it
  after=$(grep -c "(KeyPress)" "$work/witness.txt" || true)
  echo "$took $(( after - before ))"
}

printf 'display %s, %d characters; xdotool type --delay 0\n' "$DISPLAY" "$count"
read -r alone_ms alone_presses < <(type_text)
printf '%-22s xdotool %6d ms %28s witness %6d presses\n' "no recorder" "$alone_ms" "" "$alone_presses"

# Our recorder.
"$recorder" "$work/ours.txt" > "$work/ours.log" 2>&1 &
ours=$!
# It says "recording" once the server reports to it.
for _ in $(seq 400); do grep -q recording "$work/ours.log" && break; sleep 0.05; done
read -r ours_ms ours_presses < <(type_text)
# Up to 30 s for it to serve what the server has sent it: a loaded machine may keep it behind.
for _ in $(seq 150); do
  kill -USR1 "$ours"
  sleep 0.2
  taken=$(grep '^taken' "$work/ours.log" | tail -n 1 | cut -d' ' -f2)
  [ "${taken:-0}" -ge $(( 2 * ours_presses )) ] && break
done
kill -TERM "$ours"
wait "$ours" || true
read -r _ events _ characters _ cpu < <(grep '^events' "$work/ours.log")
printf '%-22s xdotool %6d ms (%4.2fx)  %6s events %6.2f us/event  witness %6d presses\n' "keystroke recorder" \
  "$ours_ms" "$(awk "BEGIN{print $ours_ms / $alone_ms}")" "$events" \
  "$(awk "BEGIN{print $cpu * 1000 / ($events > 0 ? $events : 1)}")" "$ours_presses"

# cnee.
cnee --record --keyboard --events-to-record -1 --time 0 -o "$work/cnee.xns" > "$work/cnee.log" 2>&1 &
peer=$!
bench_pids+=($peer)
await_keys_in "$work/cnee.xns" "^[0-9]*,2,"
peer_before=$(cpu_ms "$peer")
# Its key lines, once for the master keyboard (it writes each also for the device that made it).
cnee_events() { grep -c -E '^[0-9]+,[23],.*,Virtual core keyboard$' "$work/cnee.xns" || true; }
events_before=$(cnee_events)
read -r peer_ms peer_presses < <(type_text)
peer_cpu=$(awk -v a="$(cpu_ms "$peer")" -v b="$peer_before" 'BEGIN{print a - b}')
kill -TERM "$peer"
wait "$peer" 2>/dev/null || true
peer_events=$(( $(cnee_events) - events_before ))
printf '%-22s xdotool %6d ms (%4.2fx)  %6s events %6.2f us/event  witness %6d presses\n' "cnee --record" \
  "$peer_ms" "$(awk "BEGIN{print $peer_ms / $alone_ms}")" "$peer_events" \
  "$(awk "BEGIN{print $peer_cpu * 1000 / ($peer_events > 0 ? $peer_events : 1)}")" "$peer_presses"
echo "events: key presses and releases taken; the witness counts presses only (xdotool adds Shift presses)"
