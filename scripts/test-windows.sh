#!/usr/bin/env bash
# Builds the Windows programs (scripts/build-windows.sh) and runs their tests under Wine: the test programs
# that need no database server (ctest in build-windows/), then zrsql.exe against the Linux zrsql (build/,
# from scripts/build.sh) on every golden record of the translator, byte for byte, zembra-cli.exe's messages
# and actions, and at the end the window's folder (scripts/package-windows.sh) under Wine on an X server of
# its own (scripts/test-windows-gui.sh).
# Wine keeps its Windows folder tree in build-windows/wineprefix (or $WINEPREFIX), made on the first run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
wbuild=${ZR_WINDOWS_BUILD_DIR:-$root/build-windows}
lbuild=${ZR_BUILD_DIR:-$root/build}

bash "$root/scripts/build-windows.sh"

export WINEPREFIX=${WINEPREFIX:-$wbuild/wineprefix}
export WINEDEBUG=-all
# Wine reads the arguments and file names it gets from here in the locale's encoding: UTF-8.
export LANG=C.UTF-8
unset LC_ALL
# No .NET (Mono) or HTML (Gecko) engine: nothing here needs them, and Wine would offer to download them.
export WINEDLLOVERRIDES="mscoree,mshtml="
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
  echo "test-windows: creating the Wine prefix $WINEPREFIX"
  # A 64-bit-only Wine reports the 32-bit half it lacks; the prefix is made all the same.
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w  # the registry files are written when the server ends
  [[ -f "$WINEPREFIX/system.reg" ]] || { echo "test-windows: Wine could not create $WINEPREFIX" >&2; exit 1; }
fi
# One Wine server for the whole run, so that each program starts quickly; stopped at the end.
wineserver -p
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
# Wine's own background services start with the first program of a session and outlive it. Started here,
# they do not hold on to the output of a test, which ctest would otherwise wait for.
wineboot >/dev/null 2>&1 || true

status=0
tests=$(paste -sd'|' "$root/scripts/windows-tests.txt")
(cd "$wbuild" && ctest --output-on-failure --timeout 300 -R "^($tests)\$") || status=$?

# zrsql.exe and the Linux zrsql on the translator's golden records.
linux_zrsql=$lbuild/tools/zrsql/zrsql
windows_zrsql=$wbuild/tools/zrsql/zrsql.exe
work=$(mktemp -d)
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
# The data dictionary the golden records are written against.
printf '%s\t%s\t%s\n' TABELA ID NUMBER TABELA NOME VARCHAR2 TABELA OBS CLOB TABELA DATA DATE \
  OUTRA COD NUMBER OUTRA FOTO BLOB OUTRA DESCR NCLOB OUTRA HIST LONG >"$work/columns.tsv"
# Each record becomes record-N.driver and record-N.sql (its SQL lines ended by LF) and record-N.crlf (the
# same lines ended by CR LF).
awk -v dir="$work" '
  /^# title: / { n++; part = "input"; next }
  n == 0 { next }
  /^# driver: / && part == "input" { print substr($0, 11) > (dir "/record-" n ".driver"); next }
  /^----$/ { part = "expected"; next }
  part == "input" { print > (dir "/record-" n ".sql"); printf "%s\r\n", $0 > (dir "/record-" n ".crlf") }
' "$root"/tests/sqltranslate/golden/*.txt
# run_windows_zrsql DRIVER INPUT: zrsql.exe's output, messages and exit code in windows.out, windows.err and
# $windows_rc.
run_windows_zrsql() {
  windows_rc=0
  (cd "$work" && wine "$windows_zrsql" --driver "$1" --columns columns.tsv <"$2" >windows.out 2>windows.err) ||
    windows_rc=$?
}
same_as_linux() {
  cmp -s "$work/linux.out" "$work/windows.out" && [[ $linux_rc == "$windows_rc" ]]
}
compared=0
differ=0
for driver_file in "$work"/record-*.driver; do
  record=${driver_file%.driver}
  driver=$(cat "$driver_file")
  for input in "$record.sql" "$record.crlf"; do
    linux_rc=0
    (cd "$work" && "$linux_zrsql" --driver "$driver" --columns columns.tsv <"$input" >linux.out) || linux_rc=$?
    compared=$((compared + 1))
    run_windows_zrsql "$driver" "$input"
    if ! same_as_linux; then
      # Under a heavily loaded machine Wine now and then loses a program's output (seen once: an empty
      # stdout). The translator is deterministic, so a second run tells such a hiccup from a real
      # difference; the first run's exit code and messages are shown either way.
      echo "test-windows: zrsql.exe on $(basename "$input") (driver $driver): exit $windows_rc, $(wc -c <"$work/windows.out") bytes; its messages:"
      sed 's/^/  /' "$work/windows.err" | head -20
      run_windows_zrsql "$driver" "$input"
      if same_as_linux; then
        echo "test-windows: the second run of zrsql.exe on $(basename "$input") gives the same bytes as zrsql"
        continue
      fi
      differ=$((differ + 1))
      echo "test-windows: zrsql.exe differs from zrsql on $(basename "$input") (driver $driver; exit $linux_rc against $windows_rc)"
      diff <(od -c "$work/linux.out") <(od -c "$work/windows.out") | head -20 || true
    fi
  done
done
if ((compared == 0 || differ > 0)); then
  echo "test-windows: zrsql.exe: $differ of $compared golden inputs differ"
  status=1
else
  echo "test-windows: zrsql.exe gives the same bytes as zrsql on all $compared golden inputs"
fi

# zembra-cli.exe from a folder whose name the ANSI code page cannot spell, on a machine without Firebird:
# it finds the zr.ini beside it (saved in ANSI), says clearly that the Firebird client library is missing
# and where it looked; with --ini naming a file in such a folder it reads that file (Oracle, through
# Windows' ODBC driver manager, which knows no such data source).
cli_dir="$work/Produção Ж"
mkdir -p "$cli_dir/Configuração"
cp "$wbuild/src/app/zembra-cli.exe" "$cli_dir/"
printf '[banco]\r\nServidor=127.0.0.1:3050\r\nbase=C:\\Dados\\Produ\347\343o.fdb\r\nbanco=FIREBIRD\r\n' >"$cli_dir/zr.ini"
printf '[banco]\r\nbase=ZR_SEM_ESTA_FONTE\r\nbanco=Oracle\r\n' >"$cli_dir/Configuração/zr.ini"
cli_check() {
  local name=$1 expected_rc=$2
  shift 2
  local -a needles=()
  while [[ $# -gt 0 && $1 != -- ]]; do needles+=("$1"); shift; done
  shift
  local rc ok attempt
  # As with zrsql.exe, a run whose output Wine lost is told from a real failure by running it once more;
  # these runs read and write nothing but their messages.
  for attempt in 1 2; do
    rc=0
    (cd "$work" && wine "$cli_dir/zembra-cli.exe" "$@" >cli.out 2>cli.err) || rc=$?
    ok=1
    [[ $rc == "$expected_rc" ]] || ok=0
    for needle in "${needles[@]}"; do grep -qF -- "$needle" "$work/cli.err" || ok=0; done
    ((ok)) && break
    if ((attempt == 1)); then
      echo "test-windows: zembra-cli.exe: $name: exit $rc, expected $expected_rc; its messages:"
      sed 's/^/  /' "$work/cli.err" | head -20
      echo "test-windows: zembra-cli.exe: $name: running it once more"
    fi
  done
  if ((ok)); then
    echo "test-windows: zembra-cli.exe: $name"
  else
    echo "test-windows: zembra-cli.exe FAILED: $name (exit $rc, expected $expected_rc)"
    cat "$work/cli.err"
    status=1
  fi
}
cli_check "no Firebird client: the message says so" 1 "Falha na conexão com o banco." \
  "Biblioteca cliente do Firebird (fbclient.dll) não encontrada" "Produção Ж" -- \
  importar --empresa 01 --desde 01/01/2024
# A file named fbclient.dll that is no library (as a 32-bit client would be for this 64-bit program).
printf 'not a library' >"$cli_dir/fbclient.dll"
cli_check "a client library that will not load: the message says which and why" 1 \
  "Falha na conexão com o banco." "fbclient.dll não pôde ser carregada (erro" -- \
  importar --empresa 01 --desde 01/01/2024
rm "$cli_dir/fbclient.dll"
cli_check "--ini in a non-ANSI folder is read" 1 "Falha na conexão com o banco." "IM002" -- \
  situacao --empresa 01 --desde 01/01/2024 --ini "$cli_dir/Configuração/zr.ini"
# zembra-cli.exe on the Oracle stand-in through Windows' ODBC driver manager (Wine's odbc32 hands the calls on
# to unixODBC and psqlODBC), beside the Linux zembra-cli on an identical database of its own: both actions give
# the same summary and leave the same PCPFTOF rows. Left out when the stand-in is not running.
standin=$root/scripts/pg-standin.sh
makedb_ora=$lbuild/tools/makedb/zr-makedb-ora
if bash "$standin" status >/dev/null 2>&1 && [[ -x "$makedb_ora" && -x "$lbuild/src/app/zembra-cli" ]]; then
  eval "$(bash "$standin" env)"
  databases=()
  drop_databases() {
    for db in "${databases[@]}"; do bash "$standin" psql -d postgres -qc "DROP DATABASE IF EXISTS $db" >/dev/null 2>&1 || true; done
  }
  trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"; drop_databases' EXIT
  for side in windows linux; do
    db=zr_wine_$$_$side
    databases+=("$db")
    mkdir -p "$work/$side"
    bash "$standin" database "$db" >/dev/null
    "$makedb_ora" --database "DSN=zrstandin;Database=$db" --ini "$work/$side/zr.ini" --orders 30 --seed 7 >/dev/null
  done
  same=1
  for action in "importar --empresa 01 --desde 01/01/2017 --pendente" "situacao --empresa 01 --desde 01/01/2017"; do
    # shellcheck disable=SC2086
    (cd "$work" && wine "$wbuild/src/app/zembra-cli.exe" $action --ini windows/zr.ini >windows.txt 2>&1) ||
      { echo "test-windows: zembra-cli.exe $action failed"; same=0; }
    # shellcheck disable=SC2086
    (cd "$work" && "$lbuild/src/app/zembra-cli" $action --ini linux/zr.ini >linux.txt 2>&1) ||
      { echo "test-windows: zembra-cli $action failed"; same=0; }
    # The summaries without their running times; Windows ends the console's lines with CR LF.
    cmp -s <(tr -d '\r' <"$work/windows.txt" | sed 's/, [0-9.]* s//') <(sed 's/, [0-9.]* s//' "$work/linux.txt") ||
      { echo "test-windows: zembra-cli.exe $action reports otherwise than zembra-cli"; same=0; }
  done
  for side in windows linux; do
    bash "$standin" psql -d "zr_wine_$$_$side" -tAc "SELECT * FROM PCPFTOF01" | LC_ALL=C sort >"$work/$side.rows"
  done
  rows=$(wc -l <"$work/windows.rows")
  cmp -s "$work/windows.rows" "$work/linux.rows" || same=0
  if ((same && rows > 0)); then
    echo "test-windows: zembra-cli.exe through odbc32 on the Oracle stand-in: both actions as on Linux ($rows PCPFTOF rows)"
  else
    echo "test-windows: zembra-cli.exe through odbc32 on the Oracle stand-in FAILED"
    cat "$work/windows.txt" "$work/linux.txt"
    diff "$work/windows.rows" "$work/linux.rows" | head -20 || true
    status=1
  fi
else
  echo "test-windows: Oracle stand-in not running or Linux programs not built: zembra-cli.exe through odbc32 left out"
fi

# The window: the folder an office copies, built from what was just built, and the window tested under Wine
# on that folder (ZR_WINDOWS_GUI=0 leaves both out, as it leaves out the window's build).
if [[ "${ZR_WINDOWS_GUI:-1}" != "0" ]]; then
  ZR_PACKAGE_NO_BUILD=1 bash "$root/scripts/package-windows.sh" || status=1
  bash "$root/scripts/test-windows-gui.sh" || status=1
fi
exit $status
