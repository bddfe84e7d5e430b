#!/usr/bin/env bash
# Builds the Windows programs with Debian's mingw-w64 cross compiler into build-windows/ (or
# $ZR_WINDOWS_BUILD_DIR): zembra-cli.exe, zrsql.exe and the test programs that need no database server.
# The window is not built for Windows here (see the README). Extra arguments go to CMake's configure step.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZR_WINDOWS_BUILD_DIR:-$root/build-windows}

bash "$root/scripts/install-deps.sh" --windows

# The Firebird client's headers come from Debian's firebird-dev. They are copied into a folder of their
# own: the cross compiler must not see the rest of /usr/include, which belongs to Linux.
fb_include=$build/firebird-include
mkdir -p "$fb_include"
cp -f /usr/include/ibase.h /usr/include/iberror.h "$fb_include/"
cp -rf /usr/include/firebird "$fb_include/"

cmake_args=(-S "$root" -B "$build"
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake"
  -DCMAKE_BUILD_TYPE=${ZR_BUILD_TYPE:-Release}
  -DFIREBIRD_INCLUDE_DIR="$fb_include"
  -DZR_BUILD_GUI=OFF -DZR_BUILD_BENCH=OFF)
if [[ "${CI:-}" == "true" ]]; then
  cmake_args+=(-DZR_WERROR=ON)
fi
if command -v ccache >/dev/null 2>&1; then
  cmake_args+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake "${cmake_args[@]}" "$@" >/dev/null

# The programs, and the test programs that run under Wine (scripts/test-windows.sh).
targets=(zembra-cli zrsql $(cat "$root/scripts/windows-tests.txt"))
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"
echo "build-windows: programs in $build/src/app and $build/tools/zrsql"
