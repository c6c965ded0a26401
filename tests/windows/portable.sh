#!/usr/bin/env bash
# The portable zip under Wine, as a Windows user meets it: unpacked into a folder of the user's,
# started from the root of a drive (a drive letter mapped to that folder), with nothing of Qt's
# on its path. The splash, then the board, maximised, with its 25 letters and 25 hand codes;
# Alt+A M opens the editor, "año" is typed, Alt+A adds it and Alt+R saves: msg.txt, beside the
# program at the drive's root, holds "AÑO" in the system's code page, Windows-1252: the bytes
# 41 D1 4F 0D 0A. Alt+A S ends the program.
#   portable.sh Trevolo-VERSION-win64.zip
set -euo pipefail
export E2E_TIME_LIMIT=120
# shellcheck source-path=SCRIPTDIR source=../e2e/harness.sh
source "$(dirname "$0")/../e2e/harness.sh"
e2e_require wine unzip setxkbmap

unzip -q "$E2E_PROGRAM" -d "$E2E_DIR/zip"
E2E_PROGRAM=$E2E_DIR/zip/$(basename "$E2E_PROGRAM" .zip)/trevolo.exe
[ -f "$E2E_PROGRAM" ] || e2e_fail "no trevolo.exe at the top of the zip's folder"

# A Wine prefix of the test's own, where T: is the program's folder.
export TREVOLO_WINEPREFIX=$E2E_DIR/wine
E2E_WINESERVER=(env WINEPREFIX="$TREVOLO_WINEPREFIX" wineserver)
"$E2E_WINE" cmd.exe /c ver >/dev/null 2>&1 || e2e_fail "no Wine prefix in $TREVOLO_WINEPREFIX"
ln -s "$E2E_APP_DIR" "$TREVOLO_WINEPREFIX/dosdevices/t:"
E2E_WINE_EXE='T:\trevolo.exe'

e2e_start_x
# A Spanish keyboard, where "ñ" has a key of its own, as on the users' machines.
e2e_x setxkbmap -layout es
e2e_launch
e2e_wait 30 "splash window" e2e_some_window
[ -z "$(e2e_board)" ] || e2e_fail "the board is shown with the splash"
board=$(e2e_wait_board 30)
e2e_log "board maximised $(e2e_since "$E2E_LAUNCHED_AT") s after launch"

# Every letter and every hand code apart, ten rows of five.
e2e_board_glyphs "$board"
glyphs=$(wc -l <"$E2E_DIR/glyphs")
rows=$(awk '{ print $4 }' "$E2E_DIR/glyphs" | sort -n |
    awk 'NR == 1 || $1 - top > 5 { rows++ } { top = $1 } END { print rows + 0 }')
e2e_log "$glyphs glyphs in $rows rows"
[ "$glyphs" -eq 50 ] || e2e_fail "$glyphs glyphs on the board, expected 25 letters and 25 hands"
[ "$rows" -eq 10 ] || e2e_fail "the glyphs stand in $rows rows, expected 10"

e2e_add_message 'año'
e2e_expect_file "$E2E_MSG" 'A\xd1O\r\n' "after Alt+R"
e2e_log "msg.txt: $(od -An -tx1 "$E2E_MSG")"

e2e_open_menu a
e2e_key s
e2e_wait_exit 10
[ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "exit code $E2E_EXIT_CODE"
