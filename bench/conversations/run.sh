#!/usr/bin/env bash
# Requests from one program to another over a private session bus: COUNT dderequest calls from one brindle to
# another that waits in ddeservergetmacro(2), against the same requests from a python3-dbus client, in the
# same run. Each client runs as a whole process with COUNT requests and with none; the difference is the time
# of the requests (best of three each).
# Usage: bench/conversations/run.sh BUILD_DIR [COUNT]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
count=${2:-2000}
brindle="$build/bin/brindle"
[ -x "$brindle" ] || { echo "no $brindle: build first" >&2; exit 2; }
python=/usr/bin/python3  # the interpreter python3-dbus is installed for
source "$(dirname "$0")/../common.sh"
unset DISPLAY

dbus-daemon --session --nofork --nopidfile --address="unix:path=$bench_work/bus" >"$bench_work/dbus.log" 2>&1 &
bench_pids+=($!)
for _ in $(seq 100); do [ -S "$bench_work/bus" ] && break; sleep 0.1; done
export DBUS_SESSION_BUS_ADDRESS="unix:path=$bench_work/bus"

cat >"$bench_work/server.tws" <<'TWS'
ddeserverstart("bench")
ddeserveradditem("value")
ddeserversetitem("value", "ready")
m = ddeservergetmacro(2)
TWS
"$brindle" --console "$bench_work/server.tws" >"$bench_work/server.log" 2>&1 &
bench_pids+=($!)
server_pid=$!
name="org.tarnwick.Conversation.brindle.p$server_pid"
for _ in $(seq 100); do
  gdbus call --session --dest "$name" --object-path /org/tarnwick/Conversation \
    --method org.tarnwick.Conversation1.Topics 2>/dev/null | grep -q "'bench'" && break
  sleep 0.1
done

client_script() {
  cat >"$bench_work/client-$1.tws" <<TWS
c = ddeopen("brindle", "bench")
r = "ready"+chr(13)+chr(10)
for i = 1 to $1
  if dderequest(c, "value") <> r then
    print "wrong answer"
    end
  endif
endfor
TWS
  echo "$bench_work/client-$1.tws"
}

cat >"$bench_work/client.py" <<'PY'
import sys

import dbus

name, count = sys.argv[1], int(sys.argv[2])
server = dbus.Interface(dbus.SessionBus().get_object(name, "/org/tarnwick/Conversation"),
                        "org.tarnwick.Conversation1")
conversation = server.Connect("bench")
for _ in range(count):
    if server.Request(conversation, "value") != "ready\r\n":
        sys.exit("wrong answer")
PY

check() { if "$@" | grep -q "wrong answer"; then echo "a client got a wrong answer" >&2; exit 1; fi; }
check "$brindle" --console "$(client_script "$count")"
check "$python" "$bench_work/client.py" "$name" "$count"

ours_all=$(best_of_three "$brindle" --console "$(client_script "$count")")
ours_none=$(best_of_three "$brindle" --console "$(client_script 0)")
peer_all=$(best_of_three "$python" "$bench_work/client.py" "$name" "$count")
peer_none=$(best_of_three "$python" "$bench_work/client.py" "$name" 0)
ours=$(( ours_all - ours_none ))
peer=$(( peer_all - peer_none ))

awk -v ours="$ours" -v peer="$peer" -v count="$count" 'BEGIN {
  printf "%-28s %12s %14s\n", "client (" count " requests)", "requests_ms", "per_request_us"
  printf "%-28s %12.1f %14.1f\n", "brindle dderequest", ours / 1000, ours / count
  printf "%-28s %12.1f %14.1f\n", "python3-dbus Request", peer / 1000, peer / count
  printf "brindle / python3-dbus: %.2f (below 1: brindle is faster)\n", ours / peer
}'
