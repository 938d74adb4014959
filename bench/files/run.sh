#!/usr/bin/env bash
# Reads and copies a file of several megabytes line by line, once with a script (fopen, fgets,
# fputs, feof, fclose) and once with a plain C++ loop, in one run; prints the best of three
# wall-clock times and the ratio. Usage: bench/files/run.sh BUILD_DIR [LINES]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
lines=${2:-200000}
brindle="$build/bin/brindle"
peer="$build/bench/files_peer"
[ -x "$brindle" ] || { echo "no $brindle: build first" >&2; exit 2; }
[ -x "$peer" ] || { echo "no $peer: configure with -DTW_BUILD_BENCH=ON (or --preset dev) and build" >&2; exit 2; }

# shellcheck source=../common.sh
source "$here/../common.sh"
cd "$bench_work"
awk -v n="$lines" 'BEGIN {
  for (i = 0; i < n; i++)
    printf "record %d of the file benchmark, with some text after it %s\r\n", i, substr("abcdefghijklmnopqrstuvwxyz", 1, i % 27)
}' > input.txt

# Both sides must do the same work before their times mean anything.
[ "$("$brindle" --console "$here/read.tws")" = "$lines" ] || { echo "read.tws miscounted" >&2; exit 1; }
[ "$("$peer" read input.txt)" = "$lines" ] || { echo "files_peer miscounted" >&2; exit 1; }
"$brindle" --console "$here/copy.tws"
cmp -s copy.txt input.txt || { echo "copy.tws did not copy the file" >&2; exit 1; }
"$peer" copy input.txt copy.txt
cmp -s copy.txt input.txt || { echo "files_peer did not copy the file" >&2; exit 1; }

size=$(stat -c %s input.txt)
echo "file: $lines lines, $(awk "BEGIN{printf \"%.1f\", $size/1048576}") MiB"
printf '%-6s %12s %12s %8s\n' work script_us cpp_us ratio
for program in read copy; do
  ours=$(best_of_three "$brindle" --console "$here/$program.tws")
  if [ "$program" = read ]; then
    theirs=$(best_of_three "$peer" read input.txt)
  else
    theirs=$(best_of_three "$peer" copy input.txt copy.txt)
  fi
  printf '%-6s %12d %12d %8s\n' "$program" "$ours" "$theirs" "$(awk "BEGIN{printf \"%.1fx\", $ours/$theirs}")"
done
