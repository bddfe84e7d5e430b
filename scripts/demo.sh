#!/usr/bin/env bash
# The demo: installs the packages, builds the programs it runs, creates an embedded Firebird database with two
# generated companies, writes zr.ini next to the executables, and runs "importar" and "situacao" for both
# companies with zembra-cli, which print their messages and one-line summaries.
#   ZR_BUILD_DIR   build directory (default: build-demo/, apart from the tests' build/)
#   ZR_DEMO_ORDERS orders per company (default: 300)
#   ZR_DEMO_SKIP_BUILD=1 uses the existing build as it is
# Only the programs are built (the window, zembra-cli and the database builders), not the tests or the
# benchmarks. Run as root through sudo, the demo leaves its database to the user who called sudo (SUDO_USER):
# the file becomes theirs, and they join the firebird group, which owns Firebird's lock folder.
# With --oracle (or ZR_DEMO_ORACLE=1) the demo goes on with its Oracle variant when the Oracle stand-in is
# installed: the same two companies on the stand-in (scripts/pg-standin.sh), a zr.ini with banco=ORACLE, and
# the same zembra-cli runs through the "Ora" driver.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZR_BUILD_DIR:-$root/build-demo}
orders=${ZR_DEMO_ORDERS:-300}
oracle=${ZR_DEMO_ORACLE:-0}
for arg in "$@"; do
  case $arg in
    --oracle) oracle=1 ;;
    *) echo "usage: $0 [--oracle]" >&2; exit 2 ;;
  esac
done

if [[ "${ZR_DEMO_SKIP_BUILD:-}" != 1 ]]; then
  bash "$root/scripts/install-deps.sh"
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE="${ZR_BUILD_TYPE:-RelWithDebInfo}" -DZR_BUILD_TESTS=OFF \
    -DZR_BUILD_BENCH=OFF
  targets=(zembra zembra-cli zr-makedb)
  [[ $oracle == 1 ]] && targets+=(zr-makedb-ora)
  cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"
fi

bin=$build/src/app
makedb=$build/tools/makedb/zr-makedb
for program in "$bin/zembra-cli" "$makedb"; do
  [[ -x "$program" ]] || { echo "demo: $program is missing; build first" >&2; exit 1; }
done

demo=$build/demo
mkdir -p "$demo"
database=$demo/zembra-demo.fdb

echo "== Creating the demo database $database"
# Companies shaped like a clothing plant, as a site that never created the index the status update needs.
"$makedb" --database "$database" --orders "$orders" --shape plant --document-index no --seed 7 \
  --company "01=Confecções Zembra Ltda" --company "02=Malharia D'Ouro" --ini "$bin/zr.ini"
echo "== Settings written to $bin/zr.ini:"
sed 's/^/   /' "$bin/zr.ini" | tr -d '\r'

run() {
  echo "== zembra-cli $*"
  "$bin/zembra-cli" "$@"
}
run importar --empresa 01 --desde 01/01/2017 --pendente
# Exit 4: an index is missing (listed with the statement that creates it).
run indices --empresa 01 || [[ $? == 4 ]]
run indices --empresa 01 --criar
run situacao --empresa 01 --desde 01/01/2017
run importar --empresa 02 --desde 01/03/2017
run situacao --empresa 02 --desde 01/03/2017

echo "== PCPFTOF after the demo, by company and status:"
for code in 01 02; do
  printf '   PCPFTOF%s: ' "$code"
  echo "SELECT SITUACAO, COUNT(*) FROM PCPFTOF$code GROUP BY SITUACAO;" |
    isql-fb -q "$database" 2>/dev/null | awk 'NF==2 && $1 ~ /^[AB]$/ {printf "%s=%s ", $1, $2} END {print ""}'
done
bash "$root/scripts/demo-owner.sh" "$database"
echo
echo "To open the window with the same settings on a desktop: $bin/zembra"
echo "(it reads $bin/zr.ini; an embedded database opens in one program at a time)."

[[ $oracle == 1 ]] || exit 0

# The Oracle variant, on the stand-in.
standin=$root/scripts/pg-standin.sh
makedb_ora=$build/tools/makedb/zr-makedb-ora
if [[ ! -x /usr/lib/postgresql/15/bin/postgres || ! -f "$standin" || ! -x "$makedb_ora" ]]; then
  echo "== Oracle variant skipped: the Oracle stand-in (PostgreSQL 15 + orafce, psqlODBC) or $makedb_ora is missing"
  exit 0
fi
echo
echo "== Oracle variant: starting the Oracle stand-in"
bash "$standin" start
eval "$(bash "$standin" env)"
ora_db=zembra_demo
bash "$standin" database "$ora_db"
ora_dir=$demo/oracle
mkdir -p "$ora_dir"
ora_ini=$ora_dir/zr.ini
"$makedb_ora" --database "DSN=zrstandin;Database=$ora_db" --ini "$ora_ini" --orders "$orders" --shape plant \
  --document-index no --seed 7
echo "== Settings written to $ora_ini:"
sed 's/^/   /' "$ora_ini" | tr -d '\r'

run importar --empresa 01 --desde 01/01/2017 --pendente --ini "$ora_ini"
run situacao --empresa 01 --desde 01/01/2017 --ini "$ora_ini"
run importar --empresa 02 --desde 01/03/2017 --ini "$ora_ini"
run situacao --empresa 02 --desde 01/03/2017 --ini "$ora_ini"

echo "== PCPFTOF on the stand-in after the demo, by company and status:"
for code in 01 02; do
  printf '   PCPFTOF%s: ' "$code"
  bash "$standin" psql -d "$ora_db" -tA -F ' ' \
    -c "SELECT SITUACAO, COUNT(*) FROM PCPFTOF$code GROUP BY SITUACAO ORDER BY SITUACAO" |
    awk 'NF==2 {printf "%s=%s ", $1, $2} END {print ""}'
done
echo
echo "The stand-in keeps running (scripts/pg-standin.sh stop ends it); the window opens the Oracle variant"
echo "when $ora_ini is copied next to $bin/zembra and the ODBC settings of 'scripts/pg-standin.sh env' are set."
