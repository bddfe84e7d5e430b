#!/usr/bin/env bash
# Builds the folder a Windows office copies, and the same folder as a .zip:
#   build-windows/Zembra/       zembra.exe, zembra-cli.exe, zrsql.exe, the DLLs they load, Qt's plugins and
#                               pt_BR translations, an example zr.ini and LEIA-ME.txt
#   build-windows/Zembra.zip
# The DLLs are found by reading the programs' imports, and the imports of each DLL taken, until nothing new
# turns up: a DLL that Windows provides itself is left out, and so is fbclient.dll, which the program loads
# when a Firebird connection needs it. A DLL found nowhere stops the script.
# ZR_WINDOWS_BUILD_DIR names the build folder; the programs are built first (scripts/build-windows.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
wbuild=${ZR_WINDOWS_BUILD_DIR:-$root/build-windows}
triplet=x86_64-w64-mingw32
log() { echo "package-windows: $*" >&2; }

if [[ "${ZR_PACKAGE_NO_BUILD:-0}" != "1" ]]; then
  bash "$root/scripts/build-windows.sh"
fi
qt=$(sed -n 's/^ZR_QT_PREFIX:[A-Z]*=//p' "$wbuild/CMakeCache.txt")
[[ -n "$qt" && -d "$qt/bin" ]] || { log "no Qt for Windows in $wbuild (built with ZR_WINDOWS_GUI=0?)"; exit 1; }

dist=$wbuild/Zembra
rm -rf "$dist" "$wbuild/Zembra.zip"
mkdir -p "$dist/platforms" "$dist/styles" "$dist/translations"

# Where the DLLs the programs load are found on this machine: Qt's own, then the compiler's runtime.
dll_dirs=("$qt/bin" "$(dirname "$(${triplet}-g++-posix -print-libgcc-file-name)")" "/usr/$triplet/lib")
# What Windows provides itself: the DLLs Wine implements, which are Windows' own DLLs by name.
windows_dlls=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
# Loaded by the program itself when a Firebird connection needs it, from the user's Firebird installation.
not_shipped=(fbclient.dll)

install -m 0755 "$wbuild/src/app/zembra.exe" "$wbuild/src/app/zembra-cli.exe" "$wbuild/tools/zrsql/zrsql.exe" "$dist/"
install -m 0644 "$qt/plugins/platforms/qwindows.dll" "$dist/platforms/"
install -m 0644 "$qt/plugins/styles/qwindowsvistastyle.dll" "$dist/styles/"

imports() { ${triplet}-objdump -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr -d '\r'; }
find_dll() {
  local name=$1 dir candidate
  for dir in "${dll_dirs[@]}"; do
    candidate=$(find "$dir" -maxdepth 1 -iname "$name" -print -quit 2>/dev/null)
    [[ -n "$candidate" ]] && { echo "$candidate"; return 0; }
  done
  return 1
}
declare -A seen=()
queue=("$dist"/*.exe "$dist"/platforms/*.dll "$dist"/styles/*.dll)
while ((${#queue[@]})); do
  file=${queue[0]}
  queue=("${queue[@]:1}")
  while read -r name; do
    [[ -n "$name" ]] || continue
    key=${name,,}
    [[ -z "${seen[$key]:-}" ]] || continue
    seen[$key]=1
    if [[ " ${not_shipped[*]} " == *" $key "* ]]; then continue; fi
    if found=$(find_dll "$name"); then
      install -m 0644 "$found" "$dist/$(basename "$found")"
      queue+=("$dist/$(basename "$found")")
    elif [[ -n "$(find "$windows_dlls" -maxdepth 1 -iname "$name" -print -quit)" || $key == api-ms-win-* ]]; then
      :
    else
      log "$(basename "$file") loads $name, which is neither Windows' own nor found in: ${dll_dirs[*]}"
      exit 1
    fi
  done < <(imports "$file")
done
# Debug symbols are left on the build machine: they make libstdc++ alone about 23 MB.
${triplet}-strip --strip-unneeded "$dist"/*.exe "$dist"/*.dll "$dist"/platforms/*.dll "$dist"/styles/*.dll

# Qt's own texts (the buttons of message boxes, the calendar) in Brazilian Portuguese: the window uses Qt
# Base's catalogue alone.
install -m 0644 /usr/share/qt6/translations/qtbase_pt_BR.qm "$dist/translations/"
# Qt looks for its plugins and translations relative to the program's folder, wherever it is copied to.
printf '[Paths]\r\nPrefix=.\r\nPlugins=.\r\nTranslations=translations\r\n' >"$dist/qt.conf"

# The example settings file and the notes, in the ANSI code page (Windows-1252) with CR LF line ends, as
# Notepad writes them.
for text in zr.ini LEIA-ME.txt; do
  sed 's/$/\r/' "$root/scripts/windows/$text" | iconv -f UTF-8 -t WINDOWS-1252 >"$dist/$text"
done

(cd "$wbuild" && zip -qr -X Zembra.zip Zembra)
log "folder $dist ($(du -sh "$dist" | cut -f1)), $wbuild/Zembra.zip ($(du -h "$wbuild/Zembra.zip" | cut -f1))"
log "DLLs: $(cd "$dist" && ls ./*.dll | xargs -n1 basename | tr '\n' ' ')"
