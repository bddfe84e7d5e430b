#!/usr/bin/env bash
# Builds the minimal Qt 6 for 64-bit Windows (mingw-w64, posix threads) that the window needs, from
# Debian's own source package of qt6-base, and installs it into a cache outside the clone. The cache is
# keyed by Qt's version and by everything that shapes the build (the options below, this script's patch,
# the compiler's version), so later builds on the same machine reuse it and a change makes a new one.
#
# Prints the installed prefix on its last line of stdout. Everything else goes to stderr.
#   ZR_QT_CACHE   the cache's folder (default /var/cache/zembra/qt-mingw)
#   ZR_QT_JOBS    parallel build jobs (default: the number of cores)
#
# Shared, not static: the window's folder then holds Qt's DLLs beside zembra.exe, which an office copies
# as one folder all the same, and anyone can relink the program against another Qt of the same series by
# replacing those DLLs, as Qt's LGPL licence asks of a program that ships it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cache=${ZR_QT_CACHE:-/var/cache/zembra/qt-mingw}
jobs=${ZR_QT_JOBS:-$(nproc)}
log() { echo "build-qt-windows: $*" >&2; }

bash "$root/scripts/install-deps.sh" --windows >&2

# Only what the window uses: Core, Gui, Widgets, the windows platform plugin and the Vista style.
# tabletevent is off because Debian's source drops the wintab header the platform plugin includes.
features=(pkg_config sql network dbus xml concurrent testlib printsupport opengl icu tabletevent)
options=(-DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake)
for f in "${features[@]}"; do options+=("-DFEATURE_$f=OFF"); done

# With opengl off, the platform plugin still reaches for the dynamic OpenGL context wherever dynamicgl is
# configured: that use is guarded by both features.
patch_guard() {
  local file=$1/src/plugins/platforms/windows/qwindowswindow.cpp
  grep -q '^#if QT_CONFIG(dynamicgl)$' "$file" || { log "no dynamicgl guard to patch in $file"; return 1; }
  sed -i 's/^#if QT_CONFIG(dynamicgl)$/#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)/' "$file"
}

version=$(apt-cache show --no-all-versions qt6-base-dev 2>/dev/null | sed -n 's/^Version: //p' | head -1)
[[ -n "$version" ]] || { log "qt6-base's version is unknown (apt-get update?)"; exit 1; }
compiler=$(x86_64-w64-mingw32-g++-posix -dumpfullversion)
key=$( { echo "$version" "$compiler"; printf '%s\n' "${options[@]}"; declare -f patch_guard; } |
  sha256sum | cut -c1-12)
prefix=$cache/qt-$version-mingw-$key
prefix=${prefix//+/_}
if [[ -f "$prefix/.complete" ]]; then
  log "using the cached Qt in $prefix"
  echo "$prefix"
  exit 0
fi

# Debian's source package: a deb-src entry of its own, then apt-get source.
src_list=/etc/apt/sources.list.d/zembra-deb-src.sources
if ! apt-get source --print-uris qt6-base >/dev/null 2>&1; then
  log "adding a deb-src entry for bookworm main ($src_list)"
  cat >"$src_list" <<'EOF'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  apt-get update -q >&2
fi

work=$cache/work-$key
rm -rf "$work"
mkdir -p "$work"
log "fetching Debian's qt6-base $version source"
(cd "$work" && apt-get source -q qt6-base >&2)
srcdir=$(find "$work" -maxdepth 1 -mindepth 1 -type d -name 'qt6-base-*' | head -1)
[[ -n "$srcdir" ]] || { log "apt-get source gave no qt6-base folder"; exit 1; }
patch_guard "$srcdir"

toolchain=$work/toolchain.cmake
cat >"$toolchain" <<'EOF'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF

# Installed straight into its place; the mark written last tells a finished install from an interrupted one.
rm -rf "$prefix"
log "configuring (about a minute)"
cmake -S "$srcdir" -B "$work/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_INSTALL_PREFIX="$prefix" "${options[@]}" >"$work/configure.log" 2>&1 ||
  { tail -40 "$work/configure.log" >&2; log "configure failed; its log: $work/configure.log"; exit 1; }
log "building Core, Gui, Widgets and the plugins with $jobs jobs (about half an hour on two cores)"
started=$(date +%s)
cmake --build "$work/build" -j"$jobs" >"$work/build.log" 2>&1 ||
  { tail -40 "$work/build.log" >&2; log "build failed; its log: $work/build.log"; exit 1; }
cmake --install "$work/build" >"$work/install.log" 2>&1 ||
  { tail -20 "$work/install.log" >&2; log "install failed"; exit 1; }
date -u +%FT%TZ >"$prefix/.complete"
log "Qt built in $(( $(date +%s) - started )) s, installed in $prefix ($(du -sh "$prefix" | cut -f1))"
rm -rf "$work"
echo "$prefix"
