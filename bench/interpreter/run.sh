#!/usr/bin/env bash
# Times the same programs in this language, Lua 5.4 and Python 3 in one run and prints the best of
# three wall-clock times and the ratios (below 1.0: faster than the peer); then the same programs
# read the uncached way, the memory of the read form of a 50,000-line script, and how soon a stop
# request ends a tight loop. Usage: bench/interpreter/run.sh BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
brindle="$build/bin/brindle"
[ -x "$brindle" ] || { echo "no $brindle: build first" >&2; exit 2; }
# shellcheck source=../common.sh
source "$here/../common.sh"

# The CSV program reads 200,000 lines of "name,quantity,price" from the folder it runs in.
cd "$bench_work"
awk 'BEGIN { srand(7); for (i = 0; i < 200000; i++) printf "item%d,%d,%d.%02d\n", i, 1 + int(rand() * 99), int(rand() * 1000), int(rand() * 100) }' > data.csv

ratio() { awk "BEGIN{printf \"%.2f\", $1/$2}"; }

printf '%-8s %12s %12s %12s %10s %10s %12s\n' program tarnwick_us lua_us python_us vs_lua vs_python uncached_us
for program in count calls append csv grid; do
  ours=$(best_of_three "$brindle" --console "$here/$program.tws")
  lua=$(best_of_three lua5.4 "$here/$program.lua")
  py=$(best_of_three /usr/bin/python3 "$here/$program.py")
  uncached=$(best_of_three "$brindle" --console --uncached-reading "$here/$program.tws")
  printf '%-8s %12d %12d %12d %10s %10s %12d\n' "$program" "$ours" "$lua" "$py" \
    "$(ratio "$ours" "$lua")" "$(ratio "$ours" "$py")" "$uncached"
done

# Memory: a 50,000-line script whose every line runs once, so that every line has its read form.
awk 'BEGIN { print "total = 0"; for (i = 0; i < 12500; i++) { printf "a%d = %d + total * 2\n", i, i;
  printf "if a%d > 10 then\n", i; printf "  total = total + length(\"line %d\") - a%d / 3\n", i, i; print "endif" }
  print "print total" }' > big.tws
peak_kib() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -n 1; }
cached_kib=$(peak_kib "$brindle" --console big.tws)
uncached_kib=$(peak_kib "$brindle" --console --uncached-reading big.tws)
echo
printf 'memory of a 50,000-line script: peak %d KiB read from its tokens, %d KiB uncached: the read form takes %d KiB\n' \
  "$cached_kib" "$uncached_kib" $((cached_kib - uncached_kib))

# Stop: from Ctrl+C (SIGINT) to the end of brindle running "while 1 = 1" / "endwhile".
printf 'while 1 = 1\nendwhile\n' > spin.tws
best=""
for _ in 1 2 3; do
  "$brindle" --console spin.tws & pid=$!
  sleep 0.3
  start=$(date +%s%N)
  kill -INT "$pid"
  wait "$pid" || true
  end=$(date +%s%N)
  elapsed=$(( (end - start) / 1000 ))
  if [ -z "$best" ] || [ "$elapsed" -gt "$best" ]; then best=$elapsed; fi
done
printf 'a stop request ends a tight loop (worst of three, process exit included): %d us\n' "$best"
