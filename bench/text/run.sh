#!/usr/bin/env bash
# Text functions on a 1 MB UTF-8 text (Latin with accents, Greek, CJK, emoji) against the same functions
# on a 1 MB ASCII text, in one run: the best of three wall-clock times of many calls each, less the time
# of the same run with an empty loop, per call, and the ratio (goal: at most 2).
# ROUNDS (default 40) is where each function's rounds start.
# Usage: bench/text/run.sh BUILD_DIR [ROUNDS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
rounds=${2:-40}
brindle="$build/bin/brindle"
[ -x "$brindle" ] || { echo "no $brindle: build first" >&2; exit 2; }

# shellcheck source=../common.sh
source "$here/../common.sh"
cd "$bench_work"
python3 - <<'PY'
lines = {
    "ascii.txt": "The quick brown fox jumps over the lazy dog while Zoe Muller reads the paper.\n",
    "utf8.txt": "Zoë Müller liest Ζεύς καὶ Ἥρα — 東京都の天気は晴れ 😀 façade naïve Ærøskøbing ünd ß.\n",
}
for name, line in lines.items():
    data = line.encode("utf-8")
    with open(name, "wb") as out:
        size = 0
        while size < 1_000_000:
            out.write(data)
            size += len(data)
        out.write(b"needle\n")
PY

# The functions must give the same answers on both texts before their times mean anything: the needle is
# found where the text's length says, and cutting and case mapping agree in either order.
cat > check.tws <<'TWS'
s = loadfromfile(getparam(2))
if find(s, "needle") + 7 = length(s) then
  print "found"
endif
if upper(mid(s, 5, 40)) = mid(upper(s), 5, 40) then
  print "agree"
endif
TWS
for text in ascii.txt utf8.txt; do
  [ "$("$brindle" --console check.tws "$text" | tr '\n' ' ')" = "found agree " ] ||
    { echo "text functions disagree on $text" >&2; exit 1; }
done

# One script per function whose loop holds only that call, and one whose loop is empty: the difference is
# the calls' own time, not the cost of choosing among functions. `parse` cuts its text, so its loop first
# copies the text (the copy shares the text, so it costs next to nothing).
calls=(
  "length|n = length(s)"
  "left|x = left(s, half)"
  "right|x = right(s, half)"
  "mid|x = mid(s, half, 1000)"
  "find|n = find(s, \"needle\")"
  "upper|x = upper(s)"
  "lower|x = lower(s)"
  "rightpad|x = rightpad(s, half * 3, \"·\")"
  "parse|t = s : x = parse(t, \"needle\")"
)
write_loop() {  # FILE BODY...
  local file=$1
  shift
  {
    echo 's = loadfromfile(getparam(2))'
    echo 'rounds = val(getparam(3))'
    echo 'half = trunc(length(s) / 2)'
    echo 'for r = 1 to rounds'
    for line in "$@"; do echo "  $line"; done
    echo 'endfor'
  } > "$file"
}
write_loop none.tws

# Cheap calls need many more rounds than whole-text ones before their time stands out of the start-up
# noise: each function's rounds grow fourfold from ROUNDS until its run on the ASCII text takes half a second.
timed() {  # SCRIPT TEXT ROUNDS
  best_of_three "$brindle" --console "$1" "$2" "$3"
}
printf '%-10s %9s %12s %12s %8s\n' function rounds ascii_us utf8_us ratio
for call in "${calls[@]}"; do
  function=${call%%|*}
  body=${call#*|}
  # A `:` in the table separates statements of the loop body.
  IFS=':' read -r -a lines <<< "$body"
  write_loop "$function.tws" "${lines[@]}"
  n=$rounds
  while [ "$(timed "$function.tws" ascii.txt "$n")" -lt 500000 ] && [ "$n" -lt 10000000 ]; do n=$(( n * 4 )); done
  ascii=$(( $(timed "$function.tws" ascii.txt "$n") - $(timed none.tws ascii.txt "$n") ))
  utf8=$(( $(timed "$function.tws" utf8.txt "$n") - $(timed none.tws utf8.txt "$n") ))
  [ "$ascii" -gt 0 ] || ascii=1
  awk -v f="$function" -v n="$n" -v a="$ascii" -v u="$utf8" \
    'BEGIN { printf "%-10s %9d %12.3f %12.3f %7.2fx\n", f, n, a / n, u / n, u / a }'
done
