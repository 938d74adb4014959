#!/usr/bin/env bash
# brindle --check on a script of LINES lines against `bash -n` on a shell script of as many lines doing the
# same work, in one run; prints the best of three wall-clock times and the ratio (goal: at most 2).
# Usage: bench/check/run.sh BUILD_DIR [LINES]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
lines=${2:-50000}
brindle="$build/bin/brindle"
[ -x "$brindle" ] || { echo "no $brindle: build first" >&2; exit 2; }

# shellcheck source=../common.sh
source "$here/../common.sh"
cd "$bench_work"

# Ten lines of everyday script, repeated: loops, conditions, text functions, a sub call, output.
awk -v n="$lines" 'BEGIN {
  for (i = 0; i < n / 10; i++) {
    printf "total = 0\n"
    printf "for i = 1 to 10\n"
    printf "  if i > 5 then\n"
    printf "    total = total + i * 2\n"
    printf "  else\n"
    printf "    line = \"item \" + str(i) + \" of %d\"\n", i
    printf "  endif\n"
    printf "endfor\n"
    printf "print leftpad(str(total), 8, \" \") + line\n"
    printf "count = length(line) + find(line, \"m\")\n"
  }
}' > script.tws
awk -v n="$lines" 'BEGIN {
  for (i = 0; i < n / 10; i++) {
    printf "total=0\n"
    printf "for i in 1 2 3 4 5 6 7 8 9 10; do\n"
    printf "  if [ \"$i\" -gt 5 ]; then\n"
    printf "    total=$((total + i * 2))\n"
    printf "  else\n"
    printf "    line=\"item $i of %d\"\n", i
    printf "  fi\n"
    printf "done\n"
    printf "printf \"%%8s%%s\\n\" \"$total\" \"$line\"\n"
    printf "count=$(( ${#line} + 1 ))\n"
  }
}' > script.sh

# Both must accept their script, and the check must find nothing to say.
"$brindle" --check --strict script.tws || { echo "the check did not pass script.tws" >&2; exit 1; }
bash -n script.sh || { echo "bash -n did not pass script.sh" >&2; exit 1; }

ours=$(best_of_three "$brindle" --check script.tws)
theirs=$(best_of_three bash -n script.sh)
echo "lines: $(wc -l < script.tws) (script), $(wc -l < script.sh) (shell)"
printf '%-22s %10s\n' program best_us
printf '%-22s %10d\n' "brindle --check" "$ours" "bash -n" "$theirs"
echo "ratio: $(awk "BEGIN{printf \"%.2f\", $ours/$theirs}") (goal: at most 2)"
