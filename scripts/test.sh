#!/usr/bin/env bash
# Installs everything, builds, starts the Firebird server and the Oracle stand-in on loopback, and runs the
# whole test suite: the unit and integration tests (ctest) and a bounded sanitizer run of the translator's
# random-statement tests.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZR_BUILD_DIR:-$root/build}
export ZR_BUILD_DIR=$build

bash "$root/scripts/build.sh"

cleanup() {
  [[ -x "$root/scripts/pg-standin.sh" ]] && bash "$root/scripts/pg-standin.sh" stop >/dev/null 2>&1 || true
  [[ -x "$root/scripts/firebird-server.sh" ]] && bash "$root/scripts/firebird-server.sh" stop >/dev/null 2>&1 || true
}
trap cleanup EXIT

if [[ -f "$root/scripts/firebird-server.sh" ]]; then
  bash "$root/scripts/firebird-server.sh" start
fi
if [[ -f "$root/scripts/pg-standin.sh" ]]; then
  bash "$root/scripts/pg-standin.sh" start
  eval "$(bash "$root/scripts/pg-standin.sh" env)"
fi

export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-/tmp/runtime-root}
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

status=0
(cd "$build" && ctest --output-on-failure -j2 --timeout 600) || status=$?

if [[ -f "$root/scripts/sanitize.sh" ]]; then
  bash "$root/scripts/sanitize.sh" || status=$?
fi
exit $status
