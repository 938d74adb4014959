#!/usr/bin/env bash
# rtftotext on a 20 MiB RTF document against unrtf --text and the office suite's text export (soffice
# --convert-to txt, its profile made beforehand so its first start is not counted), in one run: the best of
# three wall-clock times (a single run of the suite) and the peak memory of each. Goal: faster than both,
# peak memory under four times the file size; "brindle alone" is the program around the function.
# Usage: bench/documents/run.sh BUILD_DIR [MIB]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
mib=${2:-20}
brindle="$build/bin/brindle"
[ -x "$brindle" ] || { echo "no $brindle: build first" >&2; exit 2; }

# shellcheck source=../common.sh
source "$here/../common.sh"
cd "$bench_work"

# A document as writers make them: a font table with several character sets, styles, colours, then pages of
# paragraphs with formatting, \'hh bytes in two code pages, \u characters, a table, a field and a picture.
python3 - "$mib" <<'PY'
import sys
size = int(sys.argv[1]) * 1024 * 1024
head = (r"{\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\froman\fcharset0 Times New Roman;}"
        r"{\f1\fswiss\fcharset204 Arial Cyr;}{\f2\fnil\fcharset128 MS Mincho;}}"
        r"{\colortbl;\red0\green0\blue0;\red255\green0\blue0;}"
        r"{\stylesheet{\s0 Normal;}{\s1\b\fs32 Heading 1;}}"
        r"{\info{\title Benchmark}{\author Bench}}" "\n")
block = (r"{\pard\s1\b\fs32 Chapter heading\par}" "\n"
         r"\pard\plain\f0\fs24 The {\b warehouse} in {\i Z\'fcrich} shipped 1,250 crates to the "
         r"caf\'e9 on the corner; see {\field{\*\fldinst HYPERLINK \"http://example.org\"}{\fldrslt the list}} "
         r"for details. {\f1 \'cf\'f0\'e8\'e2\'e5\'f2 \'ec\'e8\'f0}, {\f2 \'93\'fa\'96\'7b\'8c\'ea}, "
         r"\uc1\u945?\u946?\u947? and \u-10179?\u-8704? in one line.\par" "\n"
         r"\trowd\cellx2000\cellx4000\cellx6000\intbl Item\cell Count\cell Note\cell\row" "\n"
         r"\trowd\cellx2000\cellx4000\cellx6000\intbl Bolts\cell 400\cell late\cell\row" "\n"
         r"\pard {\pict\pngblip\picw16\pich16 89504e470d0a1a0a0000000d4948445200000010000000100806000000"
         r"1ff3ff610000001c49444154789c63f8ffff3f0325800530fa0f0f18fd8786c1a80323000060c0fea27c0e6a800000000049454e44ae426082}"
         r"\par" "\n")
with open("document.rtf", "w", encoding="ascii") as out:
    out.write(head)
    written = len(head)
    while written < size:
        out.write(block)
        written += len(block)
    out.write("}\n")
PY
bytes=$(stat -c %s document.rtf)

cat > rtf.tws <<'TWS'
t = rtftotext(getparam(2))
print length(t)
TWS
ours_chars=$("$brindle" --console rtf.tws document.rtf)
[ "$ours_chars" -gt 0 ] || { echo "rtftotext gave no text" >&2; exit 1; }

profile="-env:UserInstallation=file://$bench_work/profile"
# The suite can hang on a broken profile or a stuck lock: ten minutes at most, then it is killed.
soffice_txt=(timeout --kill-after=10 600 soffice --headless "$profile" --convert-to "txt:Text (encoded):UTF8" --outdir out document.rtf)
# Its profile, made on a small document.
echo '{\rtf1 profile}' > small.rtf
timeout --kill-after=10 600 soffice --headless "$profile" --convert-to txt --outdir out small.rtf >/dev/null 2>&1

# The best wall-clock time of RUNS runs in milliseconds, and the highest peak resident memory in KiB.
measure() {
  local runs=$1; shift
  local best="" peak=0
  for _ in $(seq "$runs"); do
    # A failed or timed-out run is reported, and time's own status line is skipped.
    /usr/bin/time -f '%e %M' -o run.txt "$@" >/dev/null 2>&1 || echo "note: '$*' ended with status $?" >&2
    read -r seconds kib < <(tail -n 1 run.txt)
    local ms
    ms=$(awk "BEGIN{printf \"%d\", $seconds*1000}")
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
    if [ "$kib" -gt "$peak" ]; then peak=$kib; fi
  done
  echo "$best $peak"
}

printf 'document: %d bytes\n' "$bytes"
printf '%-22s %10s %12s %10s\n' program best_ms peak_kib peak/file
report() {
  local name=$1 runs=$2; shift 2
  local ms kib
  read -r ms kib < <(measure "$runs" "$@")
  printf '%-22s %10d %12d %10s\n' "$name" "$ms" "$kib" "$(awk "BEGIN{printf \"%.2f\", $kib*1024/$bytes}")"
}
report "rtftotext (brindle)" 3 "$brindle" --console rtf.tws document.rtf
report "unrtf --text" 3 unrtf --text document.rtf
# One run of the suite: it takes minutes on this size.
report "soffice --convert-to" 1 "${soffice_txt[@]}"
# The program around the function: brindle with a script that reads nothing.
echo 'print 1' > empty.tws
report "brindle alone" 3 "$brindle" --console empty.tws
