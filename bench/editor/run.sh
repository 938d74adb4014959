#!/usr/bin/env bash
# The editor's page against QPlainTextEdit and a bare QsciScintilla on the same generated 1 MB script, in one
# run, offscreen: open (read, decode, load, first paint), scroll to the end by pages, peak memory. Each
# component runs in a process of its own, three times; the best times and the lowest peak count.
#
#   bench/editor/run.sh BUILD_DIR    (or the path of tw_editor_bench)
#
# Goals: open no slower than QPlainTextEdit, scrolling within 2x of it and within 1.2x of the bare component,
# peak memory no more than QPlainTextEdit's.
set -euo pipefail

bench=${1:-}
[ -d "$bench" ] && bench="$bench/bench/editor/tw_editor_bench"
if [ $# -ne 1 ] || [ ! -x "$bench" ]; then
  echo "usage: $0 BUILD_DIR (configured with -DTW_BUILD_BENCH=ON)" >&2
  exit 2
fi
bench=$(realpath "$bench")
work=$(mktemp -d "${TMPDIR:-/tmp}/tw-editor-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

# A script of about 1 MB: header, then subs with loops, conditions, strings and comments.
script="$work/large.tws"
{
  printf '#description: large\r\n'
  i=0
  while [ "$(stat -c %s "$script" 2>/dev/null || echo 0)" -lt 1048576 ]; do
    for _ in $(seq 200); do
      i=$((i + 1))
      printf 'sub step%d(n)\r\n  ; counts up to n and reports it\r\n  total = 0\r\n  for k = 1 to n\r\n' "$i"
      printf '    if k mod 3 = 0 then\r\n      total = total + k\r\n    endif\r\n  endfor\r\n'
      printf '  print "step %d: " + str(total)\r\nendsub\r\n' "$i"
    done >> "$script"
  done
} >> "$script"

declare -A open scroll peak
for mode in plain bare page; do
  for _ in 1 2 3; do
    read -r _ o s _ kb < <("$bench" "$mode" "$script")
    if [ -z "${open[$mode]:-}" ] || awk -v a="$o" -v b="${open[$mode]}" 'BEGIN { exit !(a < b) }'; then open[$mode]=$o; fi
    if [ -z "${scroll[$mode]:-}" ] || awk -v a="$s" -v b="${scroll[$mode]}" 'BEGIN { exit !(a < b) }'; then scroll[$mode]=$s; fi
    if [ -z "${peak[$mode]:-}" ] || [ "$kb" -lt "${peak[$mode]}" ]; then peak[$mode]=$kb; fi
  done
done

printf 'script: %s bytes\n' "$(stat -c %s "$script")"
printf '%-28s %10s %10s %10s\n' component open_ms scroll_ms peak_kb
printf '%-28s %10s %10s %10s\n' "QPlainTextEdit" "${open[plain]}" "${scroll[plain]}" "${peak[plain]}"
printf '%-28s %10s %10s %10s\n' "QsciScintilla (bare)" "${open[bare]}" "${scroll[bare]}" "${peak[bare]}"
printf '%-28s %10s %10s %10s\n' "editor page" "${open[page]}" "${scroll[page]}" "${peak[page]}"
awk -v po="${open[page]}" -v qo="${open[plain]}" -v ps="${scroll[page]}" -v qs="${scroll[plain]}" \
    -v bs="${scroll[bare]}" -v pk="${peak[page]}" -v qk="${peak[plain]}" 'BEGIN {
  printf "open: page / QPlainTextEdit = %.2f (goal <= 1)\n", po / qo
  printf "scroll: page / QPlainTextEdit = %.2f (goal <= 2), page / bare = %.2f (goal <= 1.2)\n", ps / qs, ps / bs
  printf "peak memory: page / QPlainTextEdit = %.2f (goal <= 1)\n", pk / qk
}'
