#!/usr/bin/env bash
# The window on Windows, tested under Wine on the folder exactly as shipped (scripts/package-windows.sh),
# copied to a folder whose name has accents and a blank, in a pt-BR Windows (Wine started in the pt_BR
# locale), on an X server of its own with a window manager:
#   - Firebird without its client library: the connection message names the library and where it was
#     looked for, with one OK button, and the window opens after it;
#   - the window opens with its client area and its controls where the window's design puts them, and how
#     long it takes to appear under a running wineserver;
#   - both actions run from the window by real input (xdotool: the company picked from the list, the date
#     typed as 15062017 and as 1.6.2017, the buttons clicked) on the Oracle stand-in through Wine's ODBC
#     bridge, beside zembra-cli on Linux on an identical database: PCPFTOF must come out the same;
#   - the message boxes: "Importação concluída." with the caption "Zembra" and one OK button, and the
#     question on closing during a run, answered No (the run goes on) and Sim by its Portuguese access key
#     from Qt's translations loaded from the folder (the program ends, nothing written).
# A message box is read as a Windows user reads one into a mail: Ctrl+C copies its caption, its text and
# its buttons to the clipboard, which Wine hands on to X, as
#   ---------------------------
#   Zembra
#   ---------------------------
#   Importação concluída.
#   ---------------------------
#   OK
#   ---------------------------
# (each button's text followed by three blanks, "&" marking its access key).
#
# Needs the Windows build with the window (build-windows/) and the Linux programs (build/); the Oracle stand-in
# part is left out when the stand-in is not running. Exit status 0 when every check passed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
wbuild=${ZR_WINDOWS_BUILD_DIR:-$root/build-windows}
lbuild=${ZR_BUILD_DIR:-$root/build}
standin=$root/scripts/pg-standin.sh
say() { echo "test-windows-gui: $*"; }

[[ -f "$wbuild/Zembra/zembra.exe" ]] || { say "no folder $wbuild/Zembra (scripts/package-windows.sh)"; exit 1; }

work=$(mktemp -d)
xpid=
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [[ -n "$xpid" ]] && kill "$xpid" >/dev/null 2>&1 || true
  if [[ -n "${databases:-}" ]]; then
    for db in $databases; do bash "$standin" psql -d postgres -qc "DROP DATABASE IF EXISTS $db" >/dev/null 2>&1 || true; done
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# The folder as a user copies it, to a place whose name has accents and a blank.
folder="$work/Produção Zembra/Zembra"
mkdir -p "$(dirname "$folder")"
cp -r "$wbuild/Zembra" "$folder"

# Brazilian regional settings: Wine takes them from the locale it is started in, generated here into a
# folder of the run's own (the machine may have no pt_BR locale).
locales=$wbuild/locale
if [[ ! -f "$locales/pt_BR.UTF-8/LC_CTYPE" ]]; then
  mkdir -p "$locales"
  localedef -i pt_BR -f UTF-8 "$locales/pt_BR.UTF-8" 2>/dev/null || true
fi
[[ -f "$locales/pt_BR.UTF-8/LC_CTYPE" ]] || { say "the pt_BR locale could not be generated (package locales?)"; exit 1; }
export LOCPATH=$locales LANG=pt_BR.UTF-8
unset LC_ALL

# An X server and a window manager of the run's own: the display's number is the first free one from 91.
display=91
while [[ -e /tmp/.X11-unix/X$display || -e /tmp/.X$display-lock ]]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xpid=$!
export DISPLAY=":$display"
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || { say "Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
openbox >"$work/openbox.log" 2>&1 &

# A Wine prefix of its own, so that the regional settings of these runs never meet the other Windows tests.
export WINEPREFIX=$wbuild/wineprefix-gui WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
fi
wineserver -p
wineboot >/dev/null 2>&1 || true

status=0
pass() { say "ok: $*"; }
shots=0
# On a failure the screen is kept as a picture in ZR_GUI_SHOTS (a folder), when ImageMagick's import exists.
fail() {
  say "FAILED: $*"
  status=1
  if [[ -n "${ZR_GUI_SHOTS:-}" ]] && command -v import >/dev/null; then
    shots=$((shots + 1))
    mkdir -p "$ZR_GUI_SHOTS" && import -window root "$ZR_GUI_SHOTS/failure-$shots.png" 2>/dev/null || true
    say "the screen is in $ZR_GUI_SHOTS/failure-$shots.png"
  fi
}

# zembra.exe is started in the background; its process id is in $app.
start_window() { (cd "$work" && exec wine "$folder/zembra.exe" >"$work/zembra.out" 2>&1) & app=$!; }
# The ids of the visible windows captioned "Zembra" (any letter case: the connection message is captioned
# with the program's title, "zembra"). Qt may keep a window of its own mapped beside them, so the window and
# its message boxes are told apart by size: the window's client area is 624 x 157.
zembra_windows() { xdotool search --onlyvisible --name '^zembra$' 2>/dev/null || true; }
window_size() { xwininfo -id "$1" 2>/dev/null | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'; }
# wait_for main|box: the id of the visible window (main) or of a visible message box (box), within 60 s.
wait_for() {
  local kind=$1 id size
  for _ in $(seq 600); do
    for id in $(zembra_windows); do
      size=$(window_size "$id")
      if [[ $kind == main && $size == 624x157 ]] || [[ $kind == box && -n $size && $size != 624x157 && $size != 1x1 ]]; then
        echo "$id"
        return 0
      fi
    done
    sleep 0.1
  done
  return 1
}
# copy_box ID: what Ctrl+C copies from the message box ID, lines as they are.
copy_box() {
  local text= attempt
  # xclip owns the emptied clipboard from its own background process once it returns.
  printf '' | timeout 5 xclip -selection clipboard >/dev/null 2>&1 || true
  # A box that has just opened may not have the keyboard yet: Ctrl+C is pressed again until it copies.
  for attempt in 1 2 3 4 5; do
    sleep 0.3
    keys "$1" ctrl+c
    for _ in $(seq 10); do
      text=$(timeout 2 xclip -o -selection clipboard 2>/dev/null | tr -d '\r') || true
      [[ -n "$text" ]] && break 2
      sleep 0.1
    done
  done
  printf '%s\n' "$text"
}
# wait_exit [SECONDS]: waits for zembra.exe to end (60 s unless told).
wait_exit() {
  for _ in $(seq $((${1:-60} * 10))); do kill -0 "$app" 2>/dev/null || return 0; sleep 0.1; done
  return 1
}
# keys ID KEY...: activates the window and presses the keys, as a user does. The keys go through the X
# server's input (XTEST), never as events sent to the window: a key sent to a window that closes on it would
# leave the rest of its presses and releases undone, and a key held down in the X server closes every window
# that opens after it.
keys() {
  local id=$1
  shift
  xdotool windowactivate --sync "$id" >/dev/null 2>&1 || true
  xdotool key --clearmodifiers "$@" 2>/dev/null || true
}
# close_window ID: Alt+F4, as a user closes a window.
close_window() {
  sleep 0.2
  keys "$1" alt+F4
}
# close_and_wait ID: closes the window and waits until the program ended; a key that came too early for the
# window is given once more.
close_and_wait() {
  local attempt
  for attempt in 1 2 3; do
    close_window "$1"
    wait_exit 10 && return 0
  done
  return 1
}
# click WINDOW LEFT TOP: a click at a point of the window's client area.
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; }

# --- Firebird without its client library ---------------------------------------------------------------
printf '[banco]\r\nServidor=127.0.0.1:3050\r\nbase=C:\\Dados\\ERP.FDB\r\nbanco=FIREBIRD\r\n' >"$folder/zr.ini"
start_window
if box=$(wait_for box); then
  text=$(copy_box "$box")
  # Captioned with the application's title, which comes from the program's file name (zembra.exe); the
  # message's first line, the line naming the library and where it was looked for, one OK.
  if [[ "$(sed -n 2p <<<"$text")" == zembra ]] && grep -qxF 'Falha na conexão com o banco.' <<<"$text" &&
     grep -qF 'fbclient.dll' <<<"$text" && grep -qF 'Produção Zembra' <<<"$text" &&
     [[ "$(grep -cE '^OK +$' <<<"$text")" == 1 && "$(tail -2 <<<"$text" | head -1)" =~ ^OK\ +$ ]]; then
    pass "Firebird without fbclient.dll: the connection message and one OK button"
  else
    fail "Firebird without fbclient.dll: the message box copied as:"
    printf '%s\n' "$text" | sed 's/^/  | /'
  fi
  keys "$box" Return
  if main=$(wait_for main); then
    pass "the window opens after the connection message"
    close_and_wait "$main" || { fail "zembra.exe did not end when its window was closed"; kill "$app" 2>/dev/null || true; }
  else
    fail "no window after the connection message"
    kill "$app" 2>/dev/null || true
  fi
else
  fail "Firebird without fbclient.dll: no message box"
  kill "$app" 2>/dev/null || true
fi

# --- Both actions from the window on the Oracle stand-in --------------------------------------------------
makedb_ora=$lbuild/tools/makedb/zr-makedb-ora
cli=$lbuild/src/app/zembra-cli
if ! bash "$standin" status >/dev/null 2>&1 || [[ ! -x "$makedb_ora" || ! -x "$cli" ]]; then
  say "Oracle stand-in not running or Linux programs not built: the actions from the window are left out"
  exit $status
fi
eval "$(bash "$standin" env)"
databases="zr_gui_$$_windows zr_gui_$$_linux"
for side in windows linux; do
  db=zr_gui_$$_$side
  mkdir -p "$work/$side"
  bash "$standin" database "$db" >/dev/null
  "$makedb_ora" --database "DSN=zrstandin;Database=$db" --ini "$work/$side/zr.ini" --orders 30 --seed 11 >/dev/null
  # The generated orders start in January 2017; moved to start from the end of May, the dates typed below
  # (15/06/2017 and 01/06/2017) take about half of them.
  bash "$standin" psql -d "$db" -qc "UPDATE OF102 SET DT_INICIO = DT_INICIO + INTERVAL '150 days'" >/dev/null
done
# The window's settings file beside it, saved as Notepad saves it; each statement goes to the server on its
# own (GravacaoAgrupada=0) so that the window handles its messages after every order, while every PCPFTOF
# statement waits 0.2 s on the server: the import runs for a few seconds, long enough to be interrupted.
{ tr -d '\r' <"$work/windows/zr.ini"; echo "GravacaoAgrupada=0"; } | sed 's/$/\r/' >"$folder/zr.ini"
bash "$standin" psql -d "zr_gui_$$_windows" -q >/dev/null <<'EOF'
CREATE FUNCTION zr_slow() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN PERFORM pg_sleep(0.2); RETURN NULL; END $$;
CREATE TRIGGER zr_slow AFTER INSERT OR DELETE ON pcpftof02 FOR EACH STATEMENT EXECUTE FUNCTION zr_slow();
EOF

# The control's places in the window's client area, from its design: left, top, width, height.
declare -A place=([CbEmp]="7 10 408 21" [EdtOFEmi]="62 34 87 21" [BitBtn1]="8 58 94 30" [BitBtn2]="105 58 94 30")
# point CONTROL DX DY: a point DX, DY inside the control's top-left corner (negative: from its bottom-right).
point() {
  local l t w h
  read -r l t w h <<<"${place[$1]}"
  local x=$(( $2 >= 0 ? l + $2 : l + w + $2 )) y=$(( $3 >= 0 ? t + $3 : t + h + $3 ))
  echo "$x $y"
}

# run_action BUTTON DATE: starts the window, picks company 02 from the list, types DATE into the date field
# and clicks BUTTON, with the mouse at points 3 pixels inside each control's designed edges: a control more
# than 3 pixels away from its place is missed. The main window's id is left in $main.
run_action() {
  local button=$1 date=$2 started
  started=$(date +%s%N)
  start_window
  main=$(wait_for main) || {
    fail "the window did not appear; zembra.exe wrote:"
    sed 's/^/  | /' "$work/zembra.out" | head -20
    return 1
  }
  startup_ms+=($(( ($(date +%s%N) - started) / 1000000 )))
  xdotool windowactivate --sync "$main" >/dev/null 2>&1 || true
  sleep 0.5
  # The list opens at a click near its right end (its arrow); Down and Return pick the second company.
  click "$main" $(point CbEmp -4 3); sleep 0.5
  xdotool key Down Return; sleep 0.3
  click "$main" $(point EdtOFEmi 3 -3); sleep 0.2
  xdotool key ctrl+a
  xdotool type --delay 50 "$date"
  click "$main" $(point "$button" -3 -3) || true
}

startup_ms=()
# The import, with the date typed as 15062017, closed twice during its run. Each time the window asks; the
# first answer is No, the question's default button (Return), and the import goes on; the second is Sim,
# chosen by its access key Alt+S, which only Qt's Portuguese texts give the button ("&Sim"; "&Yes" has
# none there): the program ends at once and nothing of the import is written.
if ! run_action BitBtn1 15062017; then
  kill "$app" 2>/dev/null || true
  exit 1
fi
size=$(window_size "$main")
if [[ "$size" == "624x157" ]]; then pass "client area 624 x 157"; else fail "client area $size, not 624x157"; fi
# ask_on_close: closes the window during the action and leaves the question's id in $question.
ask_on_close() {
  close_window "$main"
  question=$(wait_for box) && kill -0 "$app" 2>/dev/null
}
sleep 1.5
if ask_on_close; then
  keys "$question" Return
  for _ in $(seq 50); do window_size "$question" | grep -q x || break; sleep 0.1; done
  sleep 1
  if kill -0 "$app" 2>/dev/null && [[ "$(window_size "$main")" == 624x157 ]] && ask_on_close; then
    pass "closing during the import asks; No lets the import go on"
    keys "$question" alt+s
    if wait_exit 10; then
      written=$(bash "$standin" psql -d "zr_gui_$$_windows" -tAc "SELECT COUNT(*) FROM PCPFTOF02")
      if [[ "$written" == 0 ]]; then
        pass "Sim (its Portuguese access key) ends the program at once, nothing written"
      else
        fail "Sim ended the program, but $written PCPFTOF rows were written"
      fi
    else
      fail "Alt+S did not end the program: the question's buttons are not Qt's Portuguese Sim and Não"
      kill "$app" 2>/dev/null || true
    fi
  else
    fail "after No the import did not go on, or closing again asked nothing"
  fi
else
  fail "closing during the import asked nothing (did the import end too soon?)"
fi
kill "$app" 2>/dev/null || true
wait_exit 10 || true

# check_end ACTION: the action's last message is "Importação concluída." with the caption "Zembra" and one
# OK button, which ends the program.
check_end() {
  local text
  if done_box=$(wait_for box); then
    text=$(copy_box "$done_box")
    if [[ "$(sed -n 2p <<<"$text")" == Zembra && "$(sed -n 4p <<<"$text")" == "Importação concluída." &&
          "$(sed -n 6p <<<"$text")" =~ ^OK\ +$ && "$(wc -l <<<"$text")" == 7 ]]; then
      pass "$1 ends with \"Importação concluída.\", caption Zembra, one OK button"
    else
      fail "$1's last message copied as:"
      printf '%s\n' "$text" | sed 's/^/  | /'
    fi
    keys "$done_box" Return
  else
    fail "$1 showed no last message"
  fi
  wait_exit || { fail "zembra.exe did not end after $1"; kill "$app" 2>/dev/null || true; }
}

# The import again, to its end.
if ! run_action BitBtn1 15062017; then
  kill "$app" 2>/dev/null || true
  exit 1
fi
check_end "the import"

# The status update, with the date typed as 1.6.2017.
if ! run_action BitBtn2 1.6.2017; then
  kill "$app" 2>/dev/null || true
  exit 1
fi
check_end "the status update"

# The same two actions by zembra-cli on Linux, on the twin database.
"$cli" importar --empresa 02 --desde 15/06/2017 --pendente --ini "$work/linux/zr.ini" >/dev/null 2>&1 ||
  fail "zembra-cli importar failed on Linux"
"$cli" situacao --empresa 02 --desde 01/06/2017 --ini "$work/linux/zr.ini" >/dev/null 2>&1 ||
  fail "zembra-cli situacao failed on Linux"
for side in windows linux; do
  bash "$standin" psql -d "zr_gui_$$_$side" -tAc "SELECT * FROM PCPFTOF02" | LC_ALL=C sort >"$work/$side.rows"
done
rows=$(wc -l <"$work/windows.rows")
marked=$(grep -c '|B|' "$work/windows.rows" || true)
if cmp -s "$work/windows.rows" "$work/linux.rows" && ((rows > 0)); then
  pass "PCPFTOF after both actions from the window is that of zembra-cli on Linux ($rows rows, $marked marked B)"
else
  fail "PCPFTOF after the window's actions differs from zembra-cli's on Linux"
  diff "$work/windows.rows" "$work/linux.rows" | head -20 || true
fi

# Start-up: from the start of zembra.exe until its window shows, with the wineserver running, connecting
# to the stand-in on the way.
for _ in 1 2 3; do
  started=$(date +%s%N)
  start_window
  main=$(wait_for main) && startup_ms+=($(( ($(date +%s%N) - started) / 1000000 )))
  close_and_wait "$main" || kill "$app" 2>/dev/null || true
done
median=$(printf '%s\n' "${startup_ms[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
say "the window appeared in ${median} ms (median of ${#startup_ms[@]} starts: ${startup_ms[*]})"
exit $status
