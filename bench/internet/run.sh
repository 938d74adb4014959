#!/usr/bin/env bash
# Transfer throughput of the internet functions against curl on the same servers in the same run: an FTP get
# and an FTP put of SIZE_MIB MiB (pyftpdlib on 127.0.0.1) and an httpexec GET of HTTP_MIB MiB (python3's
# http.server). Each is a whole brindle run or a whole curl run, best of three; the ratio is curl's time over
# brindle's (the share of curl's throughput reached; the goal is at least 0.90). Peak memory of each program
# comes from GNU time.
# Usage: bench/internet/run.sh BUILD_DIR [SIZE_MIB] [HTTP_MIB]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
size_mib=${2:-256}
http_mib=${3:-64}
brindle="$build/bin/brindle"
[ -x "$brindle" ] || { echo "no $brindle: build first" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "needs GNU time (/usr/bin/time) for the peak memory" >&2; exit 2; }
python=/usr/bin/python3  # the interpreter pyftpdlib is installed for
netbed="$(cd "$(dirname "$0")/../../tests/netbed" && pwd)"
source "$(dirname "$0")/../common.sh"
unset DISPLAY

root="$bench_work/root"
mkdir -p "$root" "$bench_work/down-tw" "$bench_work/down-curl"
head -c "$((size_mib * 1024 * 1024))" /dev/urandom >"$bench_work/upload.bin"
cp "$bench_work/upload.bin" "$root/big.bin"
head -c "$((http_mib * 1024 * 1024))" /dev/urandom >"$root/page.bin"

"$python" "$netbed/ftp_server.py" --root "$root" --user bench:bench >"$bench_work/ftp.log" 2>&1 &
bench_pids+=($!)
(cd "$root" && exec "$python" -c "
import http.server
server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), http.server.SimpleHTTPRequestHandler)
print(server.server_address[1], flush=True)
server.serve_forever()" >"$bench_work/http.log" 2>&1) &
bench_pids+=($!)
for _ in $(seq 100); do
  ftp_port=$(grep -m1 -x '[0-9]*' "$bench_work/ftp.log" || true)
  http_port=$(grep -m1 -x '[0-9]*' "$bench_work/http.log" || true)
  [ -n "$ftp_port" ] && [ -n "$http_port" ] && break
  sleep 0.1
done

cat >"$bench_work/get.tws" <<TWS
ftpconnect("127.0.0.1", "bench", "bench", "", $ftp_port)
ftpexec("local", "$bench_work/down-tw")
if ftpexec("get", "big.bin") <> 1 then
  print "get failed"
endif
TWS
cat >"$bench_work/put.tws" <<TWS
ftpconnect("127.0.0.1", "bench", "bench", "", $ftp_port)
ftpexec("local", "$bench_work")
ftpexec("chdir", "/")
if ftpexec("put", "upload.bin") <> 1 then
  print "put failed"
endif
TWS
cat >"$bench_work/http.tws" <<TWS
page = httpexec("get", "http://127.0.0.1:$http_port/page.bin")
TWS

ftp="ftp://127.0.0.1:$ftp_port"
declare -A command=(
  [tw_get]="$brindle --console $bench_work/get.tws"
  [curl_get]="curl -sS -u bench:bench -o $bench_work/down-curl/big.bin $ftp/big.bin"
  [tw_put]="$brindle --console $bench_work/put.tws"
  [curl_put]="curl -sS -u bench:bench -T $bench_work/upload.bin $ftp/curl-upload.bin"
  [tw_http]="$brindle --console $bench_work/http.tws"
  [curl_http]="curl -sS -o $bench_work/page.bin http://127.0.0.1:$http_port/page.bin"
)
declare -A micros memory
for name in tw_get curl_get tw_put curl_put tw_http curl_http; do
  # shellcheck disable=SC2086  # the commands are word lists
  micros[$name]=$(best_of_three ${command[$name]})
  # shellcheck disable=SC2086
  memory[$name]=$( { /usr/bin/time -f %M ${command[$name]} >/dev/null; } 2>&1 | tail -n1)
done
cmp "$bench_work/down-tw/big.bin" "$root/big.bin" || { echo "the FTP get brought other bytes" >&2; exit 1; }
cmp "$bench_work/upload.bin" "$root/upload.bin" || { echo "the FTP put stored other bytes" >&2; exit 1; }

report() {  # label, MiB, ours, curl's
  awk -v label="$1" -v mib="$2" -v ours="${micros[$3]}" -v peer="${micros[$4]}" -v om="${memory[$3]}" -v pm="${memory[$4]}" 'BEGIN {
    printf "%-16s brindle %7.1f MiB/s (%6d KiB peak)   curl %7.1f MiB/s (%6d KiB peak)   ratio %.2f\n",
      label, mib / (ours / 1e6), om, mib / (peer / 1e6), pm, peer / ours }'
}
echo "best of three, $(nproc) processors"
report "FTP get ${size_mib} MiB" "$size_mib" tw_get curl_get
report "FTP put ${size_mib} MiB" "$size_mib" tw_put curl_put
report "HTTP GET ${http_mib} MiB" "$http_mib" tw_http curl_http
