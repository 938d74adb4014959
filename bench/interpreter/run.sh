#!/usr/bin/env bash
# Times the same three programs in this language, Lua 5.4 and Python 3 in one run and prints
# the best of three wall-clock times and the ratios. Usage: bench/interpreter/run.sh BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
brindle="$build/bin/brindle"
[ -x "$brindle" ] || { echo "no $brindle: build first" >&2; exit 2; }
# shellcheck source=../common.sh
source "$here/../common.sh"

printf '%-8s %12s %12s %12s %10s %10s\n' program tarnwick_us lua_us python_us vs_lua vs_python
for program in count calls append; do
  ours=$(best_of_three "$brindle" --console "$here/$program.tws")
  lua=$(best_of_three lua5.4 "$here/$program.lua")
  py=$(best_of_three /usr/bin/python3 "$here/$program.py")
  printf '%-8s %12d %12d %12d %10s %10s\n' "$program" "$ours" "$lua" "$py" \
    "$(awk "BEGIN{printf \"%.1fx\", $ours/$lua}")" "$(awk "BEGIN{printf \"%.1fx\", $ours/$py}")"
done
