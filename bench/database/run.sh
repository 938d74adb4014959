#!/usr/bin/env bash
# A 100,000-row, four-column query filled into a record set by dbexecute, against the databases' own
# command-line programs printing the same query to /dev/null (sqlite3 -csv, psql -A), all in one run; then
# the dbnext/dbget walk over every field, and each program's peak memory. SQLite through its ODBC driver, and
# a PostgreSQL server started here on 127.0.0.1 in a throw-away folder (as the postgres user when run as root).
# Usage: bench/database/run.sh BUILD_DIR [ROWS]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
rows=${2:-100000}
brindle="$build/bin/brindle"
[ -x "$brindle" ] || { echo "no $brindle: build first" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "needs GNU time (/usr/bin/time) for the peak memory" >&2; exit 2; }
source "$(dirname "$0")/../common.sh"
pgbin=/usr/lib/postgresql/15/bin
work=$bench_work
chmod 755 "$work"

query="SELECT id, name, amount, day FROM big ORDER BY id"
fill="INSERT INTO big SELECT n, 'customer ' || n, n * 1.25, '2024-01-01' FROM"

# SQLite
sqlite3 "$work/big.db" "CREATE TABLE big (id integer PRIMARY KEY, name text, amount real, day text);
  $fill (WITH RECURSIVE s(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM s WHERE n < $rows) SELECT n FROM s)"

# PostgreSQL on a free port
as=""
if [ "$(id -u)" -eq 0 ]; then as="runuser -u postgres --"; fi
mkdir "$work/pg" && [ -z "$as" ] || chown postgres "$work/pg"
$as "$pgbin/initdb" -D "$work/pg/data" -U bench -A trust -E UTF8 --locale=C.UTF-8 >/dev/null
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
$as "$pgbin/postgres" -D "$work/pg/data" -p "$port" -h 127.0.0.1 -k "$work/pg" >"$work/pg/log" 2>&1 &
bench_pids+=($!)
psql_args=(-h 127.0.0.1 -p "$port" -U bench -d postgres -X -q)
for _ in $(seq 300); do psql "${psql_args[@]}" -c "SELECT 1" >/dev/null 2>&1 && break; sleep 0.1; done
psql "${psql_args[@]}" -c "CREATE TABLE big (id integer PRIMARY KEY, name text, amount double precision, day text);
  $fill generate_series(1, $rows) n"

cat > "$work/odbcinst.ini" <<INI
[SQLite3]
Driver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so
[PostgreSQL Unicode]
Driver=/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so
INI
export ODBCSYSINI=$work
sqlite_cs="Driver=SQLite3;Database=$work/big.db"
pg_cs="Driver=PostgreSQL Unicode;Server=127.0.0.1;Port=$port;Database=postgres;UID=bench"

script() {  # NAME CONNECTION QUERY WALK
  {
    echo "h = dbopen(\"$2\")"
    echo "n = dbexecute(h, \"$3\")"
    if [ "$4" = walk ]; then
      echo "while dbeof(h) = 0"
      echo "  a = dbget(h, \"id\")"
      echo "  b = dbget(h, \"name\")"
      echo "  c = dbget(h, \"amount\")"
      echo "  d = dbget(h, \"day\")"
      echo "  dbnext(h)"
      echo "endwhile"
    fi
  } > "$work/$1.tws"
  echo "$work/$1.tws"
}

peak_kib() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -n1; }
ms() { echo "$1 / 1000" | bc -l; }
rate() { python3 -c "print(f'{$rows / ($1 / 1e6):,.0f}')"; }
line() { printf '%-46s %10.1f %14s %10s\n' "$1" "$(ms "$2")" "$3" "$4"; }

# brindle's own runs include its start-up and the connection; a run of "SELECT 1" over the same connection
# string measures those, and the rest is the time dbexecute took to fill the record set.
compare() {  # DATABASE CONNECTION PEER-LABEL PEER-COMMAND...
  local database=$1 connection=$2 label=$3; shift 3
  local peer fill base walk
  peer=$(best_of_three "$@")
  line "$label" "$peer" "$(rate "$peer")" "$(peak_kib "$@")"
  local base_script fill_script walk_script
  base_script=$(script "${database}_base" "$connection" "SELECT 1" fill)
  fill_script=$(script "${database}_fill" "$connection" "$query" fill)
  walk_script=$(script "${database}_walk" "$connection" "$query" walk)
  base=$(best_of_three "$brindle" --console "$base_script")
  fill=$(( $(best_of_three "$brindle" --console "$fill_script") - base ))
  walk=$(( $(best_of_three "$brindle" --console "$walk_script") - base - fill ))
  line "  brindle start-up and connection" "$base" "" "$(peak_kib "$brindle" --console "$base_script")"
  line "  dbexecute filling the record set" "$fill" "$(rate "$fill")" "$(peak_kib "$brindle" --console "$fill_script")"
  line "  dbnext/dbget walk over every field" "$walk" "$(rate "$walk")" "$(peak_kib "$brindle" --console "$walk_script")"
  python3 -c "print(f'  record set fill rate / {\"$label\"}: {$peer / $fill:.2f}')"
}

printf '%-46s %10s %14s %10s\n' "$rows rows, 4 columns" "best ms" "rows/s" "peak KiB"
compare sqlite "$sqlite_cs" "sqlite3 -csv" sh -c "sqlite3 -csv '$work/big.db' '$query' > /dev/null"
compare postgresql "$pg_cs" "psql -A" sh -c "psql ${psql_args[*]} -A -c '$query' > /dev/null"
