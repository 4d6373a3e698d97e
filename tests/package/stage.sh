#!/usr/bin/env bash
# The Debian package as a user gets it: built with CPack from the build
# folder, unpacked into a scratch root, and checked there: the declared
# dependencies, the four programs, the desktop entry, the hicolor icons and
# the man pages; the unpacked zorvin-asm assembles the example program to
# its 18 bytes, the unpacked zorvin-load sends them to the unpacked
# simulator, and the unpacked zorvin opens its window under Xvfb.
#
# The package stays in build/package/ for installing with apt or dpkg.
#
# A cross build's package (tests/armhf/stage.sh) is checked the same way:
# ZORVIN_BUILD_DIR names its build folder, ZORVIN_DEBIAN_ARCH its
# architecture, and ZORVIN_EXE_LAUNCHER the emulator (qemu-user, words
# separated by spaces) that the unpacked programs run under.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${ZORVIN_BUILD_DIR:-build}
arch=${ZORVIN_DEBIAN_ARCH:-$(dpkg --print-architecture)}
read -ra launcher <<<"${ZORVIN_EXE_LAUNCHER:-}"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

[ -f "$build/CPackConfig.cmake" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j 2
grep -q 'CPACK_GENERATOR "DEB"' "$build/CPackConfig.cmake" || fail "$build is configured without the packaging folder"

rm -rf "$build/package"
cpack --config "$build/CPackConfig.cmake" -B "$build/package" >"$build/cpack.log" 2>&1 ||
  { cat "$build/cpack.log" >&2; fail "cpack could not build the package"; }
debs=("$build"/package/zorvin_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one zorvin_*.deb in $build/package"
deb=${debs[0]}
echo "package: $deb"

scratch=$(mktemp -d)
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$scratch"
}
trap cleanup EXIT

# --- control data -------------------------------------------------------

[ "$(dpkg-deb -f "$deb" Package)" = zorvin ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Architecture)" = "$arch" ] || fail "architecture $(dpkg-deb -f "$deb" Architecture), not $arch"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in 'libgtk-3-0' 'libgtksourceview-4-0' 'libpng16-16' 'fonts-liberation' 'xdg-utils' 'libc6'; do
  [[ $depends == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
done

# --- files --------------------------------------------------------------

root="$scratch/root"
dpkg-deb -x "$deb" "$root"
for file in usr/bin/zorvin usr/bin/zorvin-asm usr/bin/zorvin-dis usr/bin/zorvin-emusim usr/bin/zorvin-load usr/bin/zorvin-sim usr/bin/zorvin-lsp; do
  [ -x "$root/$file" ] || fail "$file missing or not executable"
done
for size in 16 32 48 128; do
  icon="$root/usr/share/icons/hicolor/${size}x${size}/apps/zorvin.png"
  [ -s "$icon" ] || fail "no ${size}x${size} application icon"
  identify -format '%w %h' "$icon" | grep -qx "$size $size" || fail "the ${size}x${size} icon has another size"
done

language="$root/usr/share/zorvin/highlighting/mcs48.lang"
grep -q '<keyword>movp3</keyword>' "$language" || fail "no 8048 highlighting with the table's mnemonics"

desktop="$root/usr/share/applications/zorvin.desktop"
[ -f "$desktop" ] || fail "no desktop entry"
desktop-file-validate "$desktop" || fail "desktop entry does not validate"
for line in 'Exec=zorvin %f' 'Icon=zorvin' 'Categories=Development;' 'Type=Application'; do
  grep -qxF "$line" "$desktop" || fail "desktop entry lacks $line"
done
grep -q '^Name=.' "$desktop" && grep -q '^Comment=.*für' "$desktop" || fail "desktop entry lacks its German name or comment"
grep -q '^MimeType=.*text/x-asm;' "$desktop" || fail "desktop entry declares no assembler-source type"
mime="$root/usr/share/mime/packages/zorvin.xml"
grep -q '<glob pattern="\*.asm"/>' "$mime" 2>/dev/null || fail "no MIME type for *.asm"

metainfo="$root/usr/share/metainfo/org.example.zorvin.metainfo.xml"
[ -f "$metainfo" ] || fail "no AppStream metainfo"
appstreamcli validate --no-net "$metainfo" || fail "AppStream metainfo does not validate"
grep -q '<launchable type="desktop-id">zorvin.desktop</launchable>' "$metainfo" || fail "metainfo names another desktop entry"
for shot in $(grep -o 'docs/[a-z-]*\.png' "$metainfo"); do
  [ -f "$shot" ] || fail "metainfo shows $shot, which docs/ lacks"
done

for page in zorvin zorvin-asm zorvin-dis zorvin-emusim zorvin-load zorvin-sim zorvin-lsp; do
  man_page="$root/usr/share/man/man1/$page.1.gz"
  [ -s "$man_page" ] || fail "no man page $page.1"
  warnings=$(gzip -dc "$man_page" | preconv | groff -man -Tutf8 -ww -z 2>&1)
  [ -z "$warnings" ] || fail "man page $page.1: $warnings"
done

# --- the unpacked command-line assembler ----------------------------------

work="$scratch/work"
mkdir -p "$work"
{
  rule=";------------------------------------------------------------"
  printf '%s\n' "$rule" ";  Datei:           hallowelt.asm" \
    ";  Beschreibung:    automatisch erzeugtes Programmgerüst" ";" \
    ";  Prozessor:       z.B. 80C49, 2KiB ROM" ";  Taktfrequenz:    z.B. 2 MHz" ";" \
    ";  erzeugt von:     8048 Assembler (zorvin.exe)" ";  erstellt am:     01.01.2026" \
    ";  geändert am:     01.01.2026" ";  Autor:           pi" "$rule" \
    "" "ORG 0" "   JMP START" "" "ORG 3" "   JMP ISR" "" "ORG 7" "   JMP TIMER" "" \
    "ISR:" "   NOP" "   ;... Dein Code ..." "   RETR" "" \
    "TIMER:" "   NOP" "   ;... Dein Code ..." "   RETR" "" \
    "START:" "   SEL RB0" "   SEL MB0" "" \
    "HAUPT:" "   NOP" "   ;... Dein Code ..." "   JMP HAUPT" "" "END" | head -c -1
} | iconv -f UTF-8 -t ISO-8859-1 >"$work/hallowelt.asm"

printf '\x04\x0d\x00\x04\x09\x00\x00\x04\x0b\x00\x93\x00\x93\xc5\xe5\x00\x04\x0f' >"$work/expected-00.bin"
printf '\x04\x0d\xff\x04\x09\xff\xff\x04\x0b\x00\x93\x00\x93\xc5\xe5\x00\x04\x0f' >"$work/expected-ff.bin"

(cd "$work" && "${launcher[@]}" "$root/usr/bin/zorvin-asm" hallowelt.asm) >"$work/asm.out" || fail "zorvin-asm failed: $(cat "$work/asm.out")"
cmp "$work/expected-00.bin" "$work/hallowelt.bin" || fail "zorvin-asm: hallowelt.bin is not the 18-byte image"
tail -n 1 "$work/asm.out" | grep -qxF 'Assemblieren ohne Fehler beendet.' || fail "zorvin-asm printed no summary"
"${launcher[@]}" "$root/usr/bin/zorvin-asm" --fill FF --output "$work/ff.bin" "$work/hallowelt.asm" >/dev/null ||
  fail "zorvin-asm --fill FF failed"
cmp "$work/expected-ff.bin" "$work/ff.bin" || fail "zorvin-asm --fill FF: gaps not filled with FF"

# --- the unpacked loader, to the unpacked simulator --------------------------

"${launcher[@]}" "$root/usr/bin/zorvin-emusim" --link "$work/ttyEMU0" --banner-delay 0 --dump "$work/eprom.bin" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -L "$work/ttyEMU0" ] && break; sleep 0.05; done
(cd "$work" && "${launcher[@]}" "$root/usr/bin/zorvin-load" --port "$work/ttyEMU0" --eprom 64 hallowelt.bin) >"$work/load.out" ||
  fail "zorvin-load failed: $(cat "$work/load.out")"
tail -n 1 "$work/load.out" | grep -q '^Übertragung erfolgreich: 18 Byte' || fail "zorvin-load printed no success: $(cat "$work/load.out")"
cmp -n 18 "$work/expected-00.bin" "$work/eprom.bin" || fail "zorvin-load: the simulator did not get hallowelt.bin"
status=0
"${launcher[@]}" "$root/usr/bin/zorvin-load" >/dev/null 2>&1 || status=$?
[ "$status" = 2 ] || fail "zorvin-load without an image exited $status, not 2"

# --- the unpacked language server answers an editor's first request ------

body='{"jsonrpc":"2.0","id":1,"method":"initialize","params":{}}'
printf 'Content-Length: %d\r\n\r\n%s' "${#body}" "$body" | "${launcher[@]}" "$root/usr/bin/zorvin-lsp" >"$work/lsp.out" || true
grep -q '"hoverProvider":true' "$work/lsp.out" || fail "zorvin-lsp did not answer initialize: $(cat "$work/lsp.out")"

# --- the unpacked program starts ------------------------------------------

source tests/support/private_xvfb.sh
start_private_xvfb "$scratch" || fail "Xvfb did not start"
pids+=("$xvfb_pid")
mkdir -p "$scratch/run"
(cd "$scratch/run" && NO_AT_BRIDGE=1 exec "${launcher[@]}" "$root/usr/bin/zorvin") \
  >"$scratch/zorvin.out" 2>&1 &
pids+=($!)
window=""
for _ in $(seq 200); do
  window=$(xdotool search --onlyvisible --name '^Assembler f' 2>/dev/null) && break
  sleep 0.1
done
[ -n "$window" ] || fail "the packaged zorvin opened no window: $(cat "$scratch/zorvin.out")"
[ -s "$scratch/run/zorvin.ini" ] || fail "the packaged zorvin created no zorvin.ini"

echo "PASS: package $(basename "$deb")"
