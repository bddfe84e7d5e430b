#!/usr/bin/env bash
# Builds the Windows programs with Debian's mingw-w64 cross compiler into build-windows/ (or
# $ZR_WINDOWS_BUILD_DIR): the window zembra.exe (against the Qt for Windows that
# scripts/build-qt-windows.sh builds once into its cache), zembra-cli.exe, zrsql.exe and the test programs
# that need no database server. ZR_WINDOWS_GUI=0 leaves the window (and so the Qt build) out.
# Extra arguments go to CMake's configure step.
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
  -DZR_BUILD_BENCH=OFF)
targets=(zembra-cli zrsql $(cat "$root/scripts/windows-tests.txt"))
if [[ "${ZR_WINDOWS_GUI:-1}" != "0" ]]; then
  qt=$(bash "$root/scripts/build-qt-windows.sh" | tail -1)
  # Qt's build tools (moc, uic, rcc) are Debian's own, of the same version, run on this machine.
  cmake_args+=(-DZR_BUILD_GUI=ON -DZR_QT_PREFIX="$qt" -DQt6_DIR="$qt/lib/cmake/Qt6"
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake)
  targets+=(zembra)
else
  cmake_args+=(-DZR_BUILD_GUI=OFF)
fi
if [[ "${CI:-}" == "true" ]]; then
  cmake_args+=(-DZR_WERROR=ON)
fi
if command -v ccache >/dev/null 2>&1; then
  cmake_args+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake "${cmake_args[@]}" "$@" >/dev/null

# The programs, and the test programs that run under Wine (scripts/test-windows.sh).
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"
echo "build-windows: programs in $build/src/app and $build/tools/zrsql"
