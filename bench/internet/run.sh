#!/usr/bin/env bash
# Transfer throughput of the internet functions against curl on the same servers in the same run: an FTP get
# and an FTP put of SIZE_MIB MiB (pyftpdlib on 127.0.0.1) and an httpexec GET of HTTP_MIB MiB (python3's
# http.server). Each is a whole brindle run or a whole curl run, less the same program's run of the same
# request on an empty file (start-up, connection, login); the two take turns for ROUNDS rounds and the medians
# count, so that a busy machine weighs on both alike. The ratio is curl's time over brindle's, the share of
# curl's throughput reached (the goal is at least 0.90). Peak memory of each program comes from GNU time.
# Usage: bench/internet/run.sh BUILD_DIR [SIZE_MIB] [HTTP_MIB] [ROUNDS]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
size_mib=${2:-256}
http_mib=${3:-64}
rounds=${4:-7}
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
# A page of text: lines of 76 characters ended by LF, each of which becomes CR LF.
head -c "$((http_mib * 1024 * 1024 * 3 / 4))" /dev/urandom | base64 -w 76 >"$root/page.bin"
: >"$root/empty.bin"
: >"$bench_work/empty.bin"

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

for file in big empty; do
  cat >"$bench_work/get-$file.tws" <<TWS
ftpconnect("127.0.0.1", "bench", "bench", "", $ftp_port)
ftpexec("local", "$bench_work/down-tw")
if ftpexec("get", "$file.bin") <> 1 then
  print "get failed"
endif
TWS
done
for file in upload empty; do
  cat >"$bench_work/put-$file.tws" <<TWS
ftpconnect("127.0.0.1", "bench", "bench", "", $ftp_port)
ftpexec("local", "$bench_work")
if ftpexec("put", "$file.bin") <> 1 then
  print "put failed"
endif
TWS
done
for file in page empty; do
  echo "page = httpexec(\"get\", \"http://127.0.0.1:$http_port/$file.bin\")" >"$bench_work/http-$file.tws"
done

ftp="ftp://127.0.0.1:$ftp_port"
http="http://127.0.0.1:$http_port"
"$python" - "$rounds" "$size_mib" "$(stat -c %s "$root/page.bin")" "$brindle" "$bench_work" "$ftp" "$http" <<'PY'
import statistics, subprocess, sys, time

rounds, size_mib, http_mib = int(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3]) / 2**20
brindle, work, ftp, http = sys.argv[4:8]
tw = lambda script: [brindle, "--console", f"{work}/{script}"]
curl = ["curl", "-sS"]
cases = [  # label, MiB, ours on the file and on the empty file, curl's likewise
    (f"FTP get {size_mib} MiB", size_mib, tw("get-big.tws"), tw("get-empty.tws"),
     curl + ["-u", "bench:bench", "-o", f"{work}/down-curl/big.bin", f"{ftp}/big.bin"],
     curl + ["-u", "bench:bench", "-o", f"{work}/down-curl/empty.bin", f"{ftp}/empty.bin"]),
    (f"FTP put {size_mib} MiB", size_mib, tw("put-upload.tws"), tw("put-empty.tws"),
     curl + ["-u", "bench:bench", "-T", f"{work}/upload.bin", f"{ftp}/curl-upload.bin"],
     curl + ["-u", "bench:bench", "-T", f"{work}/empty.bin", f"{ftp}/curl-empty.bin"]),
    (f"HTTP GET {http_mib:.0f} MiB", http_mib, tw("http-page.tws"), tw("http-empty.tws"),
     curl + ["-o", f"{work}/page.bin", f"{http}/page.bin"], curl + ["-o", f"{work}/empty.out", f"{http}/empty.bin"]),
]

def run(argv):
    start = time.perf_counter()
    result = subprocess.run(argv, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    elapsed = time.perf_counter() - start
    if result.returncode != 0 or result.stdout:
        sys.exit(f"{argv} failed: {result.stdout.decode(errors='replace')}")
    return elapsed

def peak_kib(argv):
    report = subprocess.run(["/usr/bin/time", "-f", "%M", *argv], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    return int(report.stderr.decode().split()[-1])

print(f"median of {rounds} rounds, brindle and curl taking turns; each less its run on an empty file")
for label, mib, ours, ours0, peer, peer0 in cases:
    times = {name: [] for name in ("ours", "ours0", "peer", "peer0")}
    for _ in range(rounds):
        for name, argv in (("ours", ours), ("ours0", ours0), ("peer", peer), ("peer0", peer0)):
            times[name].append(run(argv))
    median = {name: statistics.median(values) for name, values in times.items()}
    t = max(median["ours"] - median["ours0"], 1e-6)
    p = max(median["peer"] - median["peer0"], 1e-6)
    print(f"{label:16} brindle {mib / t:7.1f} MiB/s ({peak_kib(ours):6d} KiB peak)   "
          f"curl {mib / p:7.1f} MiB/s ({peak_kib(peer):6d} KiB peak)   ratio {p / t:.2f}")
PY
cmp "$bench_work/down-tw/big.bin" "$root/big.bin" || { echo "the FTP get brought other bytes" >&2; exit 1; }
cmp "$bench_work/upload.bin" "$root/upload.bin" || { echo "the FTP put stored other bytes" >&2; exit 1; }
