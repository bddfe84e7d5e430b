#!/usr/bin/env bash
# Installs every Debian package that the build, the tests, the benchmarks and the demo need.
# With --windows, instead the packages of the Windows cross build and of its tests under Wine
# (scripts/build-windows.sh).
# Idempotent and non-interactive; run as root on Debian 12.
set -euo pipefail

export DEBIAN_FRONTEND=noninteractive

packages=(
  # toolchain and test libraries
  cmake g++ make pkg-config git libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  # Firebird: client library, embedded engine, server and tools
  libfbclient2 firebird-dev firebird3.0-server-core firebird3.0-utils firebird3.0-server
  # Qt 6 widgets (the window) and an X server for screenshots
  qt6-base-dev xvfb xauth fonts-wine
  # Qt's own texts (standard buttons, the calendar, context menus) in the user's language
  qt6-translations-l10n
  # the Oracle stand-in: PostgreSQL 15 with orafce, reached through unixODBC and psqlODBC
  postgresql-15 postgresql-15-orafce unixodbc unixodbc-dev odbc-postgresql
  # hostname for the log's machine name, iproute2 for the local address
  hostname iproute2 procps
)

if [[ "${1:-}" == "--windows" ]]; then
  packages=(
    # the mingw-w64 cross compiler (posix threads) and CMake
    cmake make g++-mingw-w64-x86-64-posix
    # GoogleTest's sources, built for Windows within the cross build; the Firebird client's headers
    googletest firebird-dev
    # Wine runs the Windows programs and tests
    wine64 wine
    # Qt for Windows, built once from Debian's source package (scripts/build-qt-windows.sh): apt-get source,
    # Ninja, and Debian's own Qt tools (moc, uic, rcc) of the same version, which the cross build runs
    dpkg-dev ninja-build qt6-base-dev
    # the window's folder (scripts/package-windows.sh): Qt's translations and the .zip
    qt6-translations-l10n zip
    # the window under Wine (scripts/test-windows-gui.sh): an X server, a window manager, real input, the
    # clipboard a message box is copied to, window geometry, and the pt_BR locale Wine is started in
    xvfb xauth openbox xdotool xclip x11-utils locales
  )
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  # The server package asks for the SYSDBA password: answer before it is installed.
  echo "firebird3.0-server shared/firebird/sysdba_password/first_install password masterkey" |
    debconf-set-selections
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
echo "install-deps: all packages present"
