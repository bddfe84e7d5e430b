#!/usr/bin/env bash
# The Oracle stand-in: a private PostgreSQL 15 cluster with orafce on 127.0.0.1, set up to accept the Oracle
# SQL that the translator writes and to answer as Oracle where this system meets it ('' stored as NULL, CHAR
# compared with VARCHAR2 values without blank-padding; see standin/*.sql), and private ODBC ini files that
# reach it through psqlODBC as the data source "zrstandin".
#
#   pg-standin.sh start    initialise (when missing), start, wait until ready, (re)apply the setup SQL and
#                          write the ODBC ini files; idempotent
#   pg-standin.sh stop     stop the server (nothing happens when it is not running)
#   pg-standin.sh status   exit status 0 when the server is running and answers
#   pg-standin.sh psql     a psql session on the stand-in database (extra arguments go to psql)
#   pg-standin.sh env      prints "export ODBCSYSINI=... ODBCINI=..." for the private ODBC files
#   pg-standin.sh database NAME
#                          creates (when missing) a further database with the same Oracle set-up, reached
#                          with the connection string "DSN=zrstandin;Database=NAME"; the server must run
#
# Settings (environment): ZR_PG_DIR (default /tmp/zr-pg), ZR_PG_PORT (55432), ZR_PG_DB (zembra),
# ZR_ODBC_DIR (/tmp/zr-odbc). Run as root (the server runs as the user postgres) or as postgres.
set -euo pipefail

PGBIN=${ZR_PGBIN:-/usr/lib/postgresql/15/bin}
PGDIR=${ZR_PG_DIR:-/tmp/zr-pg}
PGPORT=${ZR_PG_PORT:-55432}
PGDB=${ZR_PG_DB:-zembra}
ODBCDIR=${ZR_ODBC_DIR:-/tmp/zr-odbc}
DSN=zrstandin
SQLDIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/standin
DATA=$PGDIR/data
LOG=$PGDIR/server.log

as_postgres() {
  if [[ $(id -un) == postgres ]]; then "$@"; else runuser -u postgres -- "$@"; fi
}

psql_admin() {  # psql_admin DB [psql args...]
  local db=$1
  shift
  PGOPTIONS="-c client_min_messages=warning" "$PGBIN/psql" -X -q -v ON_ERROR_STOP=1 -h 127.0.0.1 -p "$PGPORT" -U postgres -d "$db" "$@"
}

running() {
  [[ -f $DATA/PG_VERSION ]] && as_postgres "$PGBIN/pg_ctl" -D "$DATA" status >/dev/null 2>&1
}

fail_with_log() {
  echo "pg-standin: $1" >&2
  if [[ -f $LOG ]]; then
    echo "---- $LOG (last 40 lines) ----" >&2
    tail -n 40 "$LOG" >&2
  fi
  exit 1
}

init_cluster() {
  install -d -m 755 -o postgres -g postgres "$PGDIR"
  if [[ ! -f $DATA/PG_VERSION ]]; then
    as_postgres "$PGBIN/initdb" -D "$DATA" -U postgres --auth=trust --encoding=UTF8 --locale=C.UTF-8 \
      >"$PGDIR/initdb.log" 2>&1 || { cat "$PGDIR/initdb.log" >&2; fail_with_log "initdb failed"; }
  fi
}

start_server() {
  running && return 0
  as_postgres "$PGBIN/pg_ctl" -D "$DATA" -l "$LOG" -w -t 60 \
    -o "-p $PGPORT -k $PGDIR -c listen_addresses=127.0.0.1" start >/dev/null ||
    fail_with_log "the server did not start"
  local i
  for i in $(seq 1 60); do
    "$PGBIN/pg_isready" -q -h 127.0.0.1 -p "$PGPORT" && return 0
    sleep 0.5
  done
  fail_with_log "the server does not answer on 127.0.0.1:$PGPORT"
}

setup_database() {  # setup_database NAME
  local db=$1
  [[ $db =~ ^[a-z_][a-z0-9_]*$ ]] || { echo "pg-standin: a database name is lower-case letters, digits and _" >&2; exit 2; }
  if [[ -z $(psql_admin postgres -tAc "SELECT 1 FROM pg_database WHERE datname = '$db'") ]]; then
    psql_admin postgres -c "CREATE DATABASE $db"
  fi
  local f
  for f in "$SQLDIR"/*.sql; do
    psql_admin "$db" -f "$f" >/dev/null || fail_with_log "setup script $f failed"
  done
}

write_odbc_ini() {
  mkdir -p "$ODBCDIR"
  cat >"$ODBCDIR/odbcinst.ini" <<INI
[PostgreSQL Unicode]
Description=psqlODBC Unicode driver
Driver=/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so
INI
  # Text is reported as VARCHAR (as Oracle reports VARCHAR2 expressions); only the stand-in's CLOB type,
  # unknown to psqlODBC, is reported as a long character column, and bytea (BLOB) as long binary.
  # Without server-side prepare psqlODBC sends a whole parameter array as one request (one round trip),
  # as Oracle's driver does; with it, one round trip per element.
  cat >"$ODBCDIR/odbc.ini" <<INI
[$DSN]
Description=Oracle stand-in (PostgreSQL 15 + orafce)
Driver=PostgreSQL Unicode
Servername=127.0.0.1
Port=$PGPORT
Database=$PGDB
Username=postgres
Password=
SSLmode=disable
TextAsLongVarchar=0
UnknownsAsLongVarchar=1
ByteaAsLongVarBinary=1
MaxVarcharSize=4000
UseServerSidePrepare=0
ConnSettings=SET datestyle='ISO, DMY'
INI
}

print_env() {
  echo "export ODBCSYSINI=$ODBCDIR ODBCINI=$ODBCDIR/odbc.ini"
}

case ${1:-} in
  start)
    init_cluster
    start_server
    setup_database "$PGDB"
    write_odbc_ini
    echo "pg-standin: running on 127.0.0.1:$PGPORT, database $PGDB, ODBC data source $DSN"
    ;;
  stop)
    if running; then
      as_postgres "$PGBIN/pg_ctl" -D "$DATA" -m fast -w stop >/dev/null || fail_with_log "stop failed"
    fi
    echo "pg-standin: stopped"
    ;;
  status)
    if running && "$PGBIN/pg_isready" -q -h 127.0.0.1 -p "$PGPORT"; then
      echo "pg-standin: running on 127.0.0.1:$PGPORT"
    else
      echo "pg-standin: not running"
      exit 1
    fi
    ;;
  psql)
    shift
    exec "$PGBIN/psql" -X -h 127.0.0.1 -p "$PGPORT" -U postgres -d "$PGDB" "$@"
    ;;
  env)
    print_env
    ;;
  database)
    [[ -n ${2:-} ]] || { echo "usage: $0 database NAME" >&2; exit 2; }
    running || fail_with_log "the server is not running (pg-standin.sh start)"
    setup_database "$2"
    echo "pg-standin: database $2 ready (connection string DSN=$DSN;Database=$2)"
    ;;
  *)
    echo "usage: $0 start|stop|status|psql [args]|env|database NAME" >&2
    exit 2
    ;;
esac
