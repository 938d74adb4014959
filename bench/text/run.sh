#!/usr/bin/env bash
# Text functions on a 1 MB UTF-8 text (Latin with accents, Greek, CJK, emoji) against the same functions
# on a 1 MB ASCII text, in one run: the best of three wall-clock times of ROUNDS calls each, less the time
# of the same run without the call, and the ratio (goal: at most 2).
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

printf '%-10s %12s %12s %8s\n' function ascii_us utf8_us ratio
base_ascii=$(best_of_three "$brindle" --console "$here/functions.tws" ascii.txt none "$rounds")
base_utf8=$(best_of_three "$brindle" --console "$here/functions.tws" utf8.txt none "$rounds")
for function in length left right mid find upper lower rightpad parse; do
  ascii=$(( $(best_of_three "$brindle" --console "$here/functions.tws" ascii.txt "$function" "$rounds") - base_ascii ))
  utf8=$(( $(best_of_three "$brindle" --console "$here/functions.tws" utf8.txt "$function" "$rounds") - base_utf8 ))
  [ "$ascii" -gt 0 ] || ascii=1
  printf '%-10s %12d %12d %8s\n' "$function" "$ascii" "$utf8" "$(awk "BEGIN{printf \"%.2fx\", $utf8/$ascii}")"
done
