#!/usr/bin/env bash
# The editor's page against QPlainTextEdit and a bare QsciScintilla on the same generated 1 MB script, in one
# run, offscreen: open (read, decode, load, first paint), scroll to the end by pages, peak memory. Each
# component runs in a process of its own, five rounds in turn (page, bare, plain, page, ...), so that a busy
# spell of the machine falls on all three; the best times and the lowest peak count. The scroll's processor
# time is shown beside its wall time, and the load average before and after.
#
#   bench/editor/run.sh BUILD_DIR [ROUNDS]    (or the path of tw_editor_bench; 5 rounds unless given)
#
# Goals: open no slower than QPlainTextEdit, scrolling within 2x of it and within 1.2x of the bare component,
# peak memory no more than QPlainTextEdit's. The page is highlighted, the bare component is not; the bare one
# with QScintilla's C++ lexer shows what highlighting costs a component that paints styled text.
# Styling the whole script with the page's highlighter and with QScintilla's C++ lexer, in turn in the same
# rounds: goal within 1.5x of the C++ lexer.
set -euo pipefail

bench=${1:-}
rounds=${2:-5}
[ -d "$bench" ] && bench="$bench/bench/editor/tw_editor_bench"
if [ $# -lt 1 ] || [ $# -gt 2 ] || [ ! -x "$bench" ] || ! [ "$rounds" -ge 1 ] 2>/dev/null; then
  echo "usage: $0 BUILD_DIR [ROUNDS] (configured with -DTW_BUILD_BENCH=ON)" >&2
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

lower() { [ -z "$2" ] || awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }
declare -A open scroll cpu peak style styleCpu
loadBefore=$(cut -d' ' -f1-3 /proc/loadavg)
for _ in $(seq "$rounds"); do
  for mode in page bare bare-cpp plain; do
    read -r _ o s _ kb c < <("$bench" "$mode" "$script")
    if lower "$o" "${open[$mode]:-}"; then open[$mode]=$o; fi
    if lower "$s" "${scroll[$mode]:-}"; then scroll[$mode]=$s; fi
    if lower "$c" "${cpu[$mode]:-}"; then cpu[$mode]=$c; fi
    if lower "$kb" "${peak[$mode]:-}"; then peak[$mode]=$kb; fi
  done
  for mode in style-page style-cpp; do
    read -r _ t c _ < <("$bench" "$mode" "$script")
    if lower "$t" "${style[$mode]:-}"; then style[$mode]=$t; fi
    if lower "$c" "${styleCpu[$mode]:-}"; then styleCpu[$mode]=$c; fi
  done
done

printf 'script: %s bytes, best of %s rounds, load average %s before, %s after\n' "$(stat -c %s "$script")" \
  "$rounds" "$loadBefore" "$(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-28s %10s %10s %14s %10s\n' component open_ms scroll_ms scroll_cpu_ms peak_kb
printf '%-28s %10s %10s %14s %10s\n' "QPlainTextEdit" "${open[plain]}" "${scroll[plain]}" "${cpu[plain]}" "${peak[plain]}"
printf '%-28s %10s %10s %14s %10s\n' "QsciScintilla (bare)" "${open[bare]}" "${scroll[bare]}" "${cpu[bare]}" "${peak[bare]}"
printf '%-28s %10s %10s %14s %10s\n' "QsciScintilla + C++ lexer" "${open[bare-cpp]}" "${scroll[bare-cpp]}" \
  "${cpu[bare-cpp]}" "${peak[bare-cpp]}"
printf '%-28s %10s %10s %14s %10s\n' "editor page" "${open[page]}" "${scroll[page]}" "${cpu[page]}" "${peak[page]}"
printf '%-28s %10s %10s\n' "styling whole" style_ms style_cpu_ms
printf '%-28s %10s %10s\n' "QsciLexerCPP" "${style[style-cpp]}" "${styleCpu[style-cpp]}"
printf '%-28s %10s %10s\n' "page highlighter" "${style[style-page]}" "${styleCpu[style-page]}"
awk -v po="${open[page]}" -v qo="${open[plain]}" -v ps="${scroll[page]}" -v qs="${scroll[plain]}" \
    -v bs="${scroll[bare]}" -v pc="${cpu[page]}" -v bc="${cpu[bare]}" -v pk="${peak[page]}" -v qk="${peak[plain]}" \
    -v sp="${style[style-page]}" -v sc="${style[style-cpp]}" -v spc="${styleCpu[style-page]}" \
    -v scc="${styleCpu[style-cpp]}" -v hs="${scroll[bare-cpp]}" -v hc="${cpu[bare-cpp]}" 'BEGIN {
  printf "open: page / QPlainTextEdit = %.2f (goal <= 1)\n", po / qo
  printf "scroll: page / QPlainTextEdit = %.2f (goal <= 2), page / bare = %.2f (goal <= 1.2)\n", ps / qs, ps / bs
  printf "scroll processor time: page / bare = %.2f\n", pc / bc
  printf "scroll, both highlighted: page / bare with the C++ lexer = %.2f, processor time %.2f\n", ps / hs, pc / hc
  printf "peak memory: page / QPlainTextEdit = %.2f (goal <= 1)\n", pk / qk
  printf "styling: highlighter / QsciLexerCPP = %.2f (goal <= 1.5), processor time %.2f\n", sp / sc, spc / scc
}'
