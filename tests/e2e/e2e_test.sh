#!/usr/bin/env bash
# End-to-end test of the zorvin program as a user drives it: its own Xvfb,
# xdotool for clicks and keys, and zorvin-emusim standing in for the EPROM
# emulator on a pseudo-terminal.
#
#   e2e_test.sh ZORVIN ZORVIN_EMUSIM CLOSE_REQUEST ARTEFACT_DIR
#
# Stages: first start in an empty directory (settings file byte for byte,
# window title); "Quelle neu", "Quelle speichern", F5 (hallowelt.asm and
# hallowelt.bin); the window moved and resized, closed, and started again at
# that geometry; F6 to a port named in zorvin.ini; F6 to a port chosen in the
# "EPROM Emulator" dialog by keyboard. A screenshot of every stage and the
# directories the program ran in stay in ARTEFACT_DIR.
#
# ZORVIN_EXE_LAUNCHER, if set, goes in front of the three programs: the
# emulator of a cross build (qemu-user), separated by spaces.
set -euo pipefail

[ $# -eq 4 ] || { echo "usage: $0 ZORVIN ZORVIN_EMUSIM CLOSE_REQUEST ARTEFACT_DIR" >&2; exit 2; }
zorvin_bin=$(realpath "$1")
emusim_bin=$(realpath "$2")
close_request_bin=$(realpath "$3")
artefacts=$4
rm -rf "$artefacts"
mkdir -p "$artefacts"
artefacts=$(realpath "$artefacts")
read -ra launcher <<<"${ZORVIN_EXE_LAUNCHER:-}"

for tool in Xvfb xdpyinfo xdotool xwininfo import iconv cmp truncate; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/deps.sh installs it)" >&2; exit 1; }
done

# --- processes ----------------------------------------------------------

pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

forget_pid() {
  local kept=() pid
  for pid in "${pids[@]}"; do [ "$pid" = "$1" ] || kept+=("$pid"); done
  pids=("${kept[@]}")
}

fail() {
  echo "FAIL: $*" >&2
  import -window root "$artefacts/failure.png" 2>/dev/null || true
  exit 1
}
stage() { echo "== $*"; }

# wait_until SECONDS COMMAND...: true once COMMAND succeeds, polled every 100 ms.
wait_until() {
  local tries=$(($1 * 10))
  shift
  until "$@"; do
    tries=$((tries - 1))
    [ "$tries" -gt 0 ] || return 1
    sleep 0.1
  done
}

# True once the child has ended (a zombie counts: it is reaped by wait).
has_ended() {
  local state
  state=$(ps -o stat= -p "$1" 2>/dev/null) || return 0
  [[ $state == Z* ]]
}

# wait_for_exit PID WHAT: reaps the child and fails unless it ended with 0.
wait_for_exit() {
  wait_until 30 has_ended "$1" || fail "$2 did not end"
  local status=0
  wait "$1" || status=$?
  forget_pid "$1"
  [ "$status" -eq 0 ] || fail "$2 ended with status $status"
}

screenshot() {
  sleep 0.3  # let the program draw what it just did
  import -window root "$artefacts/$1.png" || fail "screenshot $1"
}

# --- the X server -------------------------------------------------------

source "$(dirname "$0")/../support/private_xvfb.sh"
start_private_xvfb "$artefacts" || fail "Xvfb did not start (see xvfb.log)"
pids+=("$xvfb_pid")

# A fixed theme and no desktop services, so the toolbar sits where the
# clicks below expect it and nothing waits for a session bus.
export GTK_THEME=Adwaita NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory LC_ALL=C.UTF-8
export XDG_CONFIG_HOME="$artefacts/xdg/config" XDG_DATA_HOME="$artefacts/xdg/data"
export XDG_CACHE_HOME="$artefacts/xdg/cache"
unset GTK_MODULES

# --- driving the program ------------------------------------------------

readonly kTitle="Assembler für 8048"
# Toolbar buttons in window coordinates (small icons, Adwaita): "Quelle neu"
# is the first button, "Quelle speichern" the third.
readonly kToolbarY=41 kNewSourceX=19 kSaveSourceX=81

main_window=""
zorvin_pid=""

find_window() {  # TITLE -> the id of the visible window with exactly that name
  local id
  for id in $(xdotool search --onlyvisible --name "$1" 2>/dev/null); do
    [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$1" ] && { echo "$id"; return 0; }
  done
  return 1
}
main_window_mapped() { main_window=$(find_window "$kTitle"); }
no_window() { ! find_window "$1" >/dev/null; }

# start_program DIR: starts zorvin in DIR and waits for its main window.
start_program() {
  (cd "$1" && exec "${launcher[@]}" "$zorvin_bin") >>"$1/zorvin.out" 2>&1 &
  zorvin_pid=$!
  pids+=("$zorvin_pid")
  wait_until 30 main_window_mapped || fail "no window titled '$kTitle' in $1"
}

# Without a window manager the keyboard focus follows the pointer.
point_into_main_window() { xdotool mousemove --window "$main_window" 300 200; }
press() {
  local key
  for key in "$@"; do
    xdotool key "$key"
    sleep 0.15
  done
}
click_toolbar() {
  xdotool mousemove --window "$main_window" "$1" "$kToolbarY" click 1
  sleep 0.3
}

# The program's windows on screen: a menu that opens adds one.
visible_windows() { xdotool search --onlyvisible --class zorvin 2>/dev/null | wc -l; }
more_visible_windows_than() { [ "$(visible_windows)" -gt "$1" ]; }

geometry_of() {  # WINDOW -> "x y width height"
  xwininfo -id "$1" | awk '/Absolute upper-left X:/ {x = $NF} /Absolute upper-left Y:/ {y = $NF}
                           /Width:/ {w = $NF} /Height:/ {h = $NF} END {print x, y, w, h}'
}
has_geometry() { [ "$(geometry_of "$1")" = "$2" ]; }
file_exists() { [ -s "$1" ]; }
file_has_line() { grep -qxF -- "$2" "$1"; }

# "Quelle neu", "Quelle speichern", F5: the example program and its image.
make_example_image() {
  local dir=$1
  local today author
  today=$(date +%d.%m.%Y)
  author=$(id -run 2>/dev/null || true)
  click_toolbar "$kNewSourceX"
  click_toolbar "$kSaveSourceX"
  wait_until 10 file_exists "$dir/hallowelt.asm" || fail "'Quelle speichern' after 'Quelle neu' wrote no hallowelt.asm"
  if ! example_source "$today" "$author" | cmp -s - "$dir/hallowelt.asm"; then
    example_source "$(date +%d.%m.%Y)" "$author" | cmp - "$dir/hallowelt.asm" ||
      fail "hallowelt.asm differs from the example program (8-bit text)"
  fi
  point_into_main_window
  press F5
  wait_until 10 file_exists "$dir/hallowelt.bin" || fail "F5 wrote no hallowelt.bin"
  cmp "$artefacts/expected/hallowelt.bin" "$dir/hallowelt.bin" || fail "hallowelt.bin is not the 18-byte image"
  # The image is written before F5 ends: it then lays out its messages and
  # drops what is typed meanwhile, as a key pressed too early (an F6 on a
  # loaded machine under emulation) would be.
  sleep 2
}

# --- what the program must produce --------------------------------------

mkdir -p "$artefacts/expected"

{
  printf '\xef\xbb\xbf\n'
  printf '%s\n' '[Fenster]' \
    'F0X = 0' 'F0Y = 0' 'F0W = 800' 'F0H = 600' \
    'F1X = 0' 'F1Y = 0' 'F1W = 500' 'F1H = 300' \
    'F2X = 0' 'F2Y = 400' 'F2W = 500' 'F2H = 100' \
    'F3X = 550' 'F3Y = 0' 'F3W = 200' 'F3H = 500' \
    '[Splitter]' 'Horizontal = 900' 'Vertikal = 400' \
    '[Emulator]' 'COM = ' 'EPROM = ' 'SPI = 0' 'AUTO = 0' \
    '[Speicher]' 'Wert = 0'
} >"$artefacts/expected/first-start.ini"

# The image of the example program, and the same padded to one 128-byte block.
printf '\x04\x0d\x00\x04\x09\x00\x00\x04\x0b\x00\x93\x00\x93\xc5\xe5\x00\x04\x0f' \
  >"$artefacts/expected/hallowelt.bin"
cp "$artefacts/expected/hallowelt.bin" "$artefacts/expected/block.bin"
truncate -s 128 "$artefacts/expected/block.bin"

# example_source DATE AUTHOR: the 42 lines as the program saves them,
# ISO 8859-1, a line feed between lines and none after the last.
example_source() {
  local rule=";------------------------------------------------------------"
  printf '%s\n' "$rule" \
    ";  Datei:           hallowelt.asm" \
    ";  Beschreibung:    automatisch erzeugtes Programmgerüst" \
    ";" \
    ";  Prozessor:       z.B. 80C49, 2KiB ROM" \
    ";  Taktfrequenz:    z.B. 2 MHz" \
    ";" \
    ";  erzeugt von:     8048 Assembler (zorvin.exe)" \
    ";  erstellt am:     $1" \
    ";  geändert am:     $1" \
    ";  Autor:           $2" \
    "$rule" \
    "" "ORG 0" "   JMP START" "" "ORG 3" "   JMP ISR" "" "ORG 7" "   JMP TIMER" "" \
    "ISR:" "   NOP" "   ;... Dein Code ..." "   RETR" "" \
    "TIMER:" "   NOP" "   ;... Dein Code ..." "   RETR" "" \
    "START:" "   SEL RB0" "   SEL MB0" "" \
    "HAUPT:" "   NOP" "   ;... Dein Code ..." "   JMP HAUPT" "" \
    "END" | head -c -1 | iconv -f UTF-8 -t ISO-8859-1
}

# The bytes a transfer of the example image puts on the wire, in order.
expected_wire() {  # SPI AUTO EPROM
  printf ':EMUOFF\n:iniSPI%s\n:iniAuto%s\n:SBN\n:0\n:128\n' "$1" "$2"
  cat "$artefacts/expected/block.bin"
  printf ':ini%s\n:EMUON\n' "$3"
}

# Every byte the simulator logged as received, unescaped and in order.
received_bytes() {
  local chunk
  sed -n 's/^ *[0-9.]* RX "\(.*\)"$/\1/p' "$1" | while IFS= read -r chunk; do printf '%b' "$chunk"; done
}

sim_pid=""
# start_simulator LINK NAME [options]: its dump and log go to DIR/NAME.*
start_simulator() {
  local link=$1 name=$2
  shift 2
  local dir
  dir=$(dirname "$link")
  "${launcher[@]}" "$emusim_bin" --link "$link" --banner-delay 0 --log "$dir/$name.log" --dump "$dir/$name.dump" "$@" \
    >"$dir/$name.out" 2>&1 &
  sim_pid=$!
  pids+=("$sim_pid")
  wait_until 10 test -L "$link" || fail "zorvin-emusim made no link $link"
}

# check_transfer DIR NAME SPI AUTO EPROM: the simulator NAME got the image.
check_transfer() {
  local dir=$1 name=$2
  cmp "$artefacts/expected/block.bin" "$dir/$name.dump" || fail "the simulator's memory differs from hallowelt.bin"
  expected_wire "$3" "$4" "$5" >"$dir/$name.expected-wire"
  received_bytes "$dir/$name.log" >"$dir/$name.wire"
  cmp "$dir/$name.expected-wire" "$dir/$name.wire" || fail "the bytes on the wire are not the transfer's sequence"
  if grep -q 'Protokollfehler' "$dir/$name.log"; then fail "the simulator logged a protocol error"; fi
}

# --- 1. first start in an empty directory --------------------------------

stage "first start"
first="$artefacts/work/first-start"
mkdir -p "$first"
start_program "$first"
cmp "$artefacts/expected/first-start.ini" "$first/zorvin.ini" || fail "zorvin.ini of a first start differs"
has_geometry "$main_window" "0 0 800 600" || fail "first window at $(geometry_of "$main_window"), not 0 0 800 600"
screenshot 01-first-start

# --- 2. the example program, saved and assembled -------------------------

stage "Quelle neu, Quelle speichern, F5"
make_example_image "$first"
screenshot 02-assembled

# --- 3. geometry kept across a restart ------------------------------------

stage "move, resize, close, start again"
xdotool windowmove "$main_window" 40 30 windowsize "$main_window" 900 700
wait_until 10 has_geometry "$main_window" "40 30 900 700" || fail "window did not take 40 30 900 700"
screenshot 03-resized
"${launcher[@]}" "$close_request_bin" "$main_window" || fail "close request not sent"
wait_for_exit "$zorvin_pid" "zorvin after the close button"
for line in 'F0X = 40' 'F0Y = 30' 'F0W = 900' 'F0H = 700'; do
  file_has_line "$first/zorvin.ini" "$line" || fail "zorvin.ini lacks '$line' after closing"
done

start_program "$first"
wait_until 10 has_geometry "$main_window" "40 30 900 700" ||
  fail "second start at $(geometry_of "$main_window"), not 40 30 900 700"
screenshot 04-second-start
# Quit through the menu this time: F10 opens "Programm", Up wraps to "Beenden".
# The menu must be on screen before Up: under qemu on a busy machine the
# keys would otherwise reach the editor before the menu takes the keyboard.
point_into_main_window
windows_before=$(visible_windows)
press F10
wait_until 30 more_visible_windows_than "$windows_before" || fail "F10 opened no menu"
press Up Return
wait_for_exit "$zorvin_pid" "zorvin after Programm > Beenden"
file_has_line "$first/zorvin.ini" 'F0W = 900' || fail "zorvin.ini lost the width after Beenden"

# --- 4. F6 to the port named in zorvin.ini ---------------------------------

stage "F6 with COM from zorvin.ini"
named="$artefacts/work/transfer-named-port"
mkdir -p "$named"
start_simulator "$named/ttyEMU0" sim --once
{
  printf '\xef\xbb\xbf\n'
  printf '%s\n' '[Fenster]' 'F0X = 0' 'F0Y = 0' 'F0W = 800' 'F0H = 600' \
    '[Emulator]' "COM = $named/ttyEMU0" 'EPROM = 64' 'SPI = 0' 'AUTO = 0'
} >"$named/zorvin.ini"
start_program "$named"
make_example_image "$named"
press F6
wait_for_exit "$sim_pid" "zorvin-emusim --once after the transfer"
check_transfer "$named" sim 0 0 64
screenshot 05-transfer-named-port
"${launcher[@]}" "$close_request_bin" "$main_window" || fail "close request not sent"
wait_for_exit "$zorvin_pid" "zorvin after the transfer"

# --- 5. F6 to a port chosen in the "EPROM Emulator" dialog -----------------

stage "EPROM Emulator dialog, then F6"
chosen="$artefacts/work/transfer-chosen-port"
mkdir -p "$chosen"
start_simulator "$chosen/ttyEMU0" other
other_pid=$sim_pid
start_simulator "$chosen/ttyEMU1" sim --once
{
  printf '\xef\xbb\xbf\n'
  printf '%s\n' '[Fenster]' 'F0X = 0' 'F0Y = 0' 'F0W = 800' 'F0H = 600' \
    '[Emulator]' "COM_PRFX = $chosen/ttyEMU" 'COM = COM4'
} >"$chosen/zorvin.ini"
start_program "$chosen"
point_into_main_window
# Programm > Einstellungen > EPROM Emulator: "Einstellungen" is the second
# item from the end, its submenu opens with the dialog's item first.
press F10 Up Up Right Return
wait_until 10 find_window "EPROM Emulator" >/dev/null || fail "the EPROM Emulator dialog did not open"
dialog=$(find_window "EPROM Emulator")
xdotool mousemove --window "$dialog" 10 162
screenshot 06-dialog-opened
# The focus starts on "Abbrechen"; four steps back reach the port list.
# Down picks the second port (ttyEMU1); in the EPROM list two steps down from
# 2764 reach 27128; space ticks "Sicherung auf SPI"; three Tabs reach
# "Speichern".
press shift+Tab shift+Tab shift+Tab shift+Tab Down Tab Down Down Tab space
screenshot 07-dialog-chosen
press Tab Tab Tab Return
wait_until 10 no_window "EPROM Emulator" || fail "the dialog did not close on Speichern"
for line in "COM_PRFX = $chosen/ttyEMU" "COM = $chosen/ttyEMU1" 'EPROM = 128' 'SPI = 1' 'AUTO = 0'; do
  file_has_line "$chosen/zorvin.ini" "$line" || fail "zorvin.ini lacks '$line' after Speichern"
done
make_example_image "$chosen"
press F6
wait_for_exit "$sim_pid" "zorvin-emusim --once after the transfer"
check_transfer "$chosen" sim 1 0 128
if grep -q ' RX ' "$chosen/other.log"; then fail "the port not chosen received bytes"; fi
# Looking for adapters must not open them: an open raises DTR and resets the board.
if grep -q 'vom Host geöffnet' "$chosen/other.log"; then fail "the dialog opened the port not chosen"; fi
[ "$(grep -c 'vom Host geöffnet' "$chosen/sim.log")" = 1 ] || fail "the chosen port was opened other than once, by F6"
screenshot 08-transfer-chosen-port
"${launcher[@]}" "$close_request_bin" "$main_window" || fail "close request not sent"
wait_for_exit "$zorvin_pid" "zorvin after the transfer"
kill "$other_pid"
wait_for_exit "$other_pid" "the second simulator"

echo "PASS: end-to-end stages; screenshots in $artefacts"
