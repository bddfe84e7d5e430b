#!/usr/bin/env bash
# The demo run as root through sudo leaves its database to the user who called sudo: a user made for the test
# (unprivileged, in no group yet) opens the demo database with zembra-cli afterwards. Without sudo the same
# user is refused, and zembra-cli says why in Portuguese. Needs root; exits 77 (skipped) otherwise.
#   usage: demo_desktop_user_test.sh ZEMBRA_CLI ZR_MAKEDB
set -euo pipefail
cli=$1
makedb=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
if [[ $(id -u) != 0 ]] || ! command -v runuser >/dev/null || ! command -v useradd >/dev/null; then
  echo "skipped: needs root, runuser and useradd"
  exit 77
fi

user=zr-demo-user
work=$(mktemp -d /tmp/zr-demo-user.XXXXXX)
cleanup() {
  rm -rf "$work"
  userdel "$user" 2>/dev/null || true
}
trap cleanup EXIT
userdel "$user" 2>/dev/null || true
useradd --no-create-home --shell /usr/sbin/nologin "$user"

# The demo's build as it lays its programs out; zembra-cli reads the zr.ini next to itself, so the programs
# are copies, not links.
chmod 755 "$work"
mkdir -p "$work/src/app" "$work/tools/makedb"
cp "$cli" "$work/src/app/zembra-cli"
cp "$makedb" "$work/tools/makedb/zr-makedb"
demo() {
  ZR_DEMO_SKIP_BUILD=1 ZR_BUILD_DIR=$work ZR_DEMO_ORDERS=5 bash "$root/scripts/demo.sh" >"$work/demo.txt" 2>&1 || {
    cat "$work/demo.txt"
    echo "FAIL: the demo failed"
    exit 1
  }
}
as_user() {
  runuser -u "$user" -- "$work/src/app/zembra-cli" situacao --empresa 01 --desde 01/01/2017 >"$work/out.txt" 2>&1
}

# Run by root without sudo: the database stays root's, and the user cannot open it.
SUDO_USER='' demo
if as_user; then
  cat "$work/out.txt"
  echo "FAIL: the user opened a database that root kept"
  exit 1
fi
grep -q "^Falha na conexão com o banco\.$" "$work/out.txt" || { cat "$work/out.txt"; echo "FAIL: no connection message"; exit 1; }
grep -q "^Sem permissão " "$work/out.txt" || { cat "$work/out.txt"; echo "FAIL: no Portuguese line on the refusal"; exit 1; }

# Run through sudo by the user: the database is theirs afterwards, and they open it.
SUDO_USER=$user demo
if ! as_user; then
  cat "$work/demo.txt" "$work/out.txt"
  echo "FAIL: the user who called sudo cannot open the demo database"
  exit 1
fi
grep -q "^situacao: " "$work/out.txt" || { cat "$work/out.txt"; echo "FAIL: no summary line"; exit 1; }
[[ $(stat -c %U "$work/demo/zembra-demo.fdb") == "$user" ]] || { echo "FAIL: the database is not the user's"; exit 1; }
echo "ok: $(tail -1 "$work/out.txt")"
