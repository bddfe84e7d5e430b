#!/usr/bin/env bash
# Installs the packages and builds everything into build/ (or $ZR_BUILD_DIR).
# Extra arguments go to CMake's configure step.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZR_BUILD_DIR:-$root/build}

bash "$root/scripts/install-deps.sh"

cmake_args=(-S "$root" -B "$build" -DCMAKE_BUILD_TYPE=${ZR_BUILD_TYPE:-RelWithDebInfo})
if [[ "${CI:-}" == "true" ]]; then
  cmake_args+=(-DZR_WERROR=ON)
fi
cmake "${cmake_args[@]}" "$@"
cmake --build "$build" -j"$(nproc)"
