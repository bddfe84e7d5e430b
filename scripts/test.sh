#!/usr/bin/env bash
# Installs everything, builds, starts the Firebird server and the Oracle stand-in on loopback, and runs the
# whole test suite: the unit and integration tests (ctest), a bounded sanitizer run of the translator's
# random-statement tests, and the Windows programs under Wine (scripts/test-windows.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZR_BUILD_DIR:-$root/build}
export ZR_BUILD_DIR=$build

bash "$root/scripts/build.sh"

# Servers this run starts are stopped at its end; a server that was already running is left running.
started=()
cleanup() {
  for script in "${started[@]}"; do
    bash "$root/scripts/$script" stop >/dev/null 2>&1 || true
  done
}
trap cleanup EXIT

start_server() {
  local script=$1
  if ! bash "$root/scripts/$script" status >/dev/null 2>&1; then
    bash "$root/scripts/$script" start
    started+=("$script")
  fi
}
start_server firebird-server.sh
start_server pg-standin.sh
eval "$(bash "$root/scripts/pg-standin.sh" env)"

export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-/tmp/runtime-root}
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

status=0
(cd "$build" && ctest --output-on-failure -j2 --timeout 600) || status=$?

if [[ -f "$root/scripts/sanitize.sh" ]]; then
  bash "$root/scripts/sanitize.sh" || status=$?
fi

# The Windows programs, cross-built and tested under Wine (ZR_WINDOWS=0 leaves them out).
if [[ "${ZR_WINDOWS:-1}" != "0" ]]; then
  bash "$root/scripts/test-windows.sh" || status=$?
fi
exit $status
