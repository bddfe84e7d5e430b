#!/usr/bin/env bash
# A private Firebird 3 server for tests that must freeze or kill a server: its own configuration, lock
# files, security database and databases under DIR, listening on ADDRESS:3050 (a loopback address other than
# the shared server's 127.0.0.1). It runs as the calling user, without a guardian, until stopped.
#
#   scripts/firebird-private.sh start DIR ADDRESS   start it (DIR is created); prints its process id
#   scripts/firebird-private.sh stop DIR            stop it (also when it is frozen) and remove DIR
#
# The security database is a copy of the shared server's, so SYSDBA has the same password. Databases it
# opens must lie under DIR/data.
set -euo pipefail

readonly FB_ROOT=/usr/lib/x86_64-linux-gnu/firebird/3.0
readonly SECURITY_DB=/var/lib/firebird/3.0/system/security3.fdb
readonly SERVER=/usr/sbin/firebird

die() {
  echo "firebird-private: $*" >&2
  exit 1
}

port_open() { (exec 3<>"/dev/tcp/$1/3050") 2>/dev/null; }

start() {
  local dir=$1 address=$2
  [[ $address == 127.* && $address != 127.0.0.1 ]] || die "use a loopback address other than 127.0.0.1"
  [[ -x $SERVER ]] || die "$SERVER missing: install firebird3.0-server"
  port_open "$address" && die "something already listens on $address:3050"
  mkdir -p "$dir/root" "$dir/lock" "$dir/tmp" "$dir/data"
  chmod 1777 "$dir/data"
  local entry
  for entry in plugins intl lib UDF firebird.msg plugins.conf; do
    ln -sfn "$FB_ROOT/$entry" "$dir/root/$entry"
  done
  cat >"$dir/root/firebird.conf" <<CONF
RemoteBindAddress = $address
RemoteServicePort = 3050
ServerMode = Super
SecurityDatabase = $dir/security3.fdb
CONF
  printf 'security.db = %s/security3.fdb\n{\n\tRemoteAccess = false\n}\n' "$dir" >"$dir/root/databases.conf"
  cp "$SECURITY_DB" "$dir/security3.fdb"
  FIREBIRD="$dir/root" FIREBIRD_LOCK="$dir/lock" FIREBIRD_TMP="$dir/tmp" \
    setsid "$SERVER" </dev/null >"$dir/server.log" 2>&1 &
  echo $! >"$dir/server.pid"
  for _ in $(seq 100); do
    port_open "$address" && break
    kill -0 "$(cat "$dir/server.pid")" 2>/dev/null || die "the server ended at startup: $(cat "$dir/server.log")"
    sleep 0.1
  done
  port_open "$address" || die "the server does not listen on $address:3050 after 10 s"
  cat "$dir/server.pid"
}

stop() {
  local dir=$1 pid
  if [[ -f $dir/server.pid ]]; then
    pid=$(cat "$dir/server.pid")
    if kill -0 "$pid" 2>/dev/null; then
      kill -CONT "$pid" 2>/dev/null || true
      kill -TERM "$pid" 2>/dev/null || true
      for _ in $(seq 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
      done
      kill -KILL "$pid" 2>/dev/null || true
    fi
  fi
  rm -rf "$dir"
}

case "${1:-}" in
  start) [[ $# -eq 3 ]] || die "usage: $0 start DIR ADDRESS"; start "$2" "$3" ;;
  stop) [[ $# -eq 2 ]] || die "usage: $0 stop DIR"; stop "$2" ;;
  *) echo "usage: $0 start DIR ADDRESS | stop DIR" >&2; exit 2 ;;
esac
