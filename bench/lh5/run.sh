#!/usr/bin/env bash
# Compares the -lh5- codec with jlha (Debian package jlha-utils) on the same text files in one run:
# compressed sizes, ratios, compression speed, and our decoder's speed on both encoders' streams.
#
#   bench/lh5/run.sh BUILD_DIR/bench/lh5/tw_lh5_bench [FILE...]
#
# Without files it measures three inputs: the project's own sources concatenated, the license texts
# under /usr/share/common-licenses, and both together repeated to at least 4 MiB. It builds nothing.
set -euo pipefail

if [ $# -lt 1 ] || [ ! -x "$1" ]; then
  echo "usage: $0 PATH/TO/tw_lh5_bench [FILE...]" >&2
  exit 2
fi
bench=$(realpath "$1")
shift
command -v jlha > /dev/null || { echo "$0: jlha not found on PATH (Debian package jlha-utils)" >&2; exit 2; }

root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/tw-lh5-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

if [ $# -gt 0 ]; then
  for f in "$@"; do cp "$f" "$work/$(basename "$f")"; done
  inputs=("$@")
  names=()
  for f in "$@"; do names+=("$(basename "$f")"); done
else
  (cd "$root" && find src tests bench -type f \( -name '*.cpp' -o -name '*.h' -o -name 'CMakeLists.txt' -o -name '*.sh' \) \
    | LC_ALL=C sort | xargs cat) > "$work/sources.txt"
  find -L /usr/share/common-licenses -type f | LC_ALL=C sort | xargs cat > "$work/licenses.txt"
  : > "$work/mixed.txt"
  while [ "$(stat -c %s "$work/mixed.txt")" -lt $((4 << 20)) ]; do
    cat "$work/sources.txt" "$work/licenses.txt" >> "$work/mixed.txt"
  done
  names=(sources.txt licenses.txt mixed.txt)
fi

now() { date +%s.%N; }

# The shortest of three runs of a command in the work folder, in seconds.
fastest() {
  local best="" start end t
  for _ in 1 2 3; do
    start=$(now)
    (cd "$work" && "$@" > /dev/null)
    end=$(now)
    t=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')
    if [ -z "$best" ] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then best=$t; fi
  done
  echo "$best"
}

# jlha runs in a Java VM; its start-up is measured on a one-byte file (which it stores uncompressed)
# so that its compression speed can be given with and without it.
printf 'x' > "$work/one.txt"
startup=$(fastest jlha c1o5q one.lzh one.txt)

printf '%-13s %9s | %9s %6s | %9s %6s | %7s | %8s %8s %8s | %8s %8s\n' \
  file bytes ours ratio jlha ratio ours/jl "ours" "jlha" "jlha-vm" "dec-ours" "dec-jlha"
printf '%-13s %9s | %9s %6s | %9s %6s | %7s | %26s | %17s\n' "" "" "" "" "" "" "" "compression MB/s" "decoding MB/s"
for name in "${names[@]}"; do
  read -r _ _ size ours ours_c ours_d < <("$bench" "$work/$name")
  elapsed=$(fastest jlha c1o5q "$name.lzh" "$name")
  read -r _ _ _ theirs theirs_d < <("$bench" --peer "$work/$name.lzh" "$work/$name")
  awk -v n="$name" -v s="$size" -v o="$ours" -v t="$theirs" -v oc="$ours_c" -v od="$ours_d" -v td="$theirs_d" \
      -v e="$elapsed" -v vm="$startup" 'BEGIN {
    net = e - vm; if (net <= 0) net = e;
    printf "%-13s %9d | %9d %5.1f%% | %9d %5.1f%% | %6.3f | %8.2f %8.2f %8.2f | %8.1f %8.1f\n",
      n, s, o, 100 * o / s, t, 100 * t / s, o / t, oc, s / net / 1e6, s / e / 1e6, od, td }'
done
echo "jlha Java VM start-up: ${startup} s (jlha-vm includes it, jlha leaves it out)"
