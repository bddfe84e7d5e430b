#!/usr/bin/env bash
# Runs the Firebird 3 server on 127.0.0.1:3050 without systemd, with a known SYSDBA password.
#
#   scripts/firebird-server.sh start    start it (nothing to do when it already answers), fail loudly otherwise
#   scripts/firebird-server.sh stop     stop it (nothing to do when it is not running)
#   scripts/firebird-server.sh status   exit 0 when it answers on its port, 3 when it does not
#
# Environment: ZR_FB_PASSWORD (SYSDBA's password, default masterkey).
#
# Databases the server opens must belong to the user "firebird": a file created by root through the
# embedded engine cannot be opened by the server. Tests put the server's databases in $ZR_FB_SERVER_DIR
# (/tmp/zr-fbserver), which this script creates writable by the server and by everyone (sticky, like /tmp).
# Run as root.
set -euo pipefail

readonly HOST=127.0.0.1
readonly PORT=3050
readonly PASSWORD="${ZR_FB_PASSWORD:-masterkey}"
readonly LOCK_DIR=/tmp/firebird
readonly RUN_DIR=/run/firebird3.0
readonly SERVER_DIR="${ZR_FB_SERVER_DIR:-/tmp/zr-fbserver}"
readonly LOG=/var/log/firebird/firebird3.0.log
readonly SECURITY_DB=/var/lib/firebird/3.0/system/security3.fdb
readonly PASSWORD_FILE=/etc/firebird/3.0/SYSDBA.password
readonly FBGUARD=/usr/sbin/fbguard

die() {
  echo "firebird-server: $*" >&2
  exit 1
}

port_open() { (exec 3<>"/dev/tcp/$HOST/$PORT") 2>/dev/null; }

guard_running() { pidof "$FBGUARD" >/dev/null 2>&1; }

# The server logs in with SYSDBA's password (checked through its service manager).
password_works() {
  fbsvcmgr "$HOST/$PORT:service_mgr" -user SYSDBA -password "$PASSWORD" -info_server_version >/dev/null 2>&1
}

prepare_dirs() {
  # A lock directory that is not the server's makes it die at startup; root's embedded use leaves
  # root-owned files there, hence the recursive chown on every start.
  install -d -o firebird -g firebird -m 0770 "$LOCK_DIR"
  chown -R firebird:firebird "$LOCK_DIR"
  install -d -o firebird -g firebird -m 0770 "$RUN_DIR"
  install -d -o firebird -g firebird -m 1777 "$SERVER_DIR"
  chmod 1777 "$SERVER_DIR"
}

# With the server stopped, the security database is open to the embedded engine: set the password there.
set_password_offline() {
  [[ -f "$SECURITY_DB" ]] || die "no security database at $SECURITY_DB (is firebird3.0-server installed?)"
  local output
  if ! output=$(printf "CREATE OR ALTER USER SYSDBA PASSWORD '%s';\nCOMMIT;\n" "$PASSWORD" |
                isql-fb -q -user SYSDBA "$SECURITY_DB" 2>&1) || [[ "$output" == *SQLSTATE* ]]; then
    die "could not set the SYSDBA password in $SECURITY_DB: $output"
  fi
  chown firebird:firebird "$SECURITY_DB"
  umask 077
  printf 'ISC_USER=sysdba\nISC_PASSWORD="%s"\n' "$PASSWORD" >"$PASSWORD_FILE"
}

launch() {
  if command -v service >/dev/null 2>&1 && [[ -x /etc/init.d/firebird3.0 ]]; then
    service firebird3.0 start >/dev/null
  else
    rm -f "$RUN_DIR/firebird.pid"
    start-stop-daemon --start --quiet --chuid firebird --exec "$FBGUARD" -- \
      -daemon -forever -pidfile "$RUN_DIR/firebird.pid"
  fi
}

log_lines_since() { tail -c "+$(($1 + 1))" "$LOG" 2>/dev/null || true; }

start() {
  if port_open && password_works; then
    echo "firebird-server: already running on $HOST:$PORT"
    return 0
  fi
  if port_open || guard_running; then
    # Running, but SYSDBA's password is not ours: restart with it set.
    stop
  fi
  command -v isql-fb >/dev/null || die "isql-fb missing: install firebird3.0-utils"
  [[ -x "$FBGUARD" ]] || die "$FBGUARD missing: install firebird3.0-server"
  set_password_offline
  prepare_dirs
  local log_size
  log_size=$(stat -c %s "$LOG" 2>/dev/null || echo 0)
  launch
  # "service ... start" reports success even when the server dies at startup: trust only the port.
  for _ in $(seq 100); do
    port_open && break
    sleep 0.1
  done
  local news
  news=$(log_lines_since "$log_size")
  if ! port_open; then
    die "the server does not listen on $HOST:$PORT after 10 s. Its log says:
$news"
  fi
  if grep -qiE "startup error|terminated abnormally" <<<"$news"; then
    die "the server reported a startup error:
$news"
  fi
  for _ in $(seq 50); do
    password_works && break
    sleep 0.1
  done
  password_works || die "the server listens on $HOST:$PORT but refuses SYSDBA with the configured password"
  echo "firebird-server: running on $HOST:$PORT (SYSDBA/$PASSWORD), server databases in $SERVER_DIR"
}

stop() {
  if guard_running; then
    if command -v service >/dev/null 2>&1 && [[ -x /etc/init.d/firebird3.0 ]]; then
      service firebird3.0 stop >/dev/null || true
    fi
    if guard_running; then
      start-stop-daemon --stop --quiet --oknodo --retry 10 --exec "$FBGUARD" || true
    fi
  fi
  # A server started by hand, without its guardian.
  if pidof /usr/sbin/firebird >/dev/null 2>&1; then
    start-stop-daemon --stop --quiet --oknodo --retry 15 --exec /usr/sbin/firebird || true
  fi
  for _ in $(seq 100); do
    port_open || break
    sleep 0.1
  done
  port_open && die "the server still listens on $HOST:$PORT"
  echo "firebird-server: stopped"
}

status() {
  if port_open; then
    echo "firebird-server: listening on $HOST:$PORT"
    password_works && echo "firebird-server: SYSDBA password accepted" ||
      echo "firebird-server: SYSDBA password refused"
    return 0
  fi
  echo "firebird-server: not running"
  return 3
}

case "${1:-}" in
  start) start ;;
  stop) stop ;;
  status) status ;;
  *) echo "usage: $0 start|stop|status" >&2; exit 2 ;;
esac
