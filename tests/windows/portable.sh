#!/usr/bin/env bash
# The portable zip under Wine, as a Windows user meets it: unpacked into a folder of the user's,
# started from the root of a drive (a drive letter mapped to that folder), with nothing of Qt's
# on its path, on a 1280 x 800 screen at 100 %, 150 % and 200 % (Wine's LogPixels 96, 144 and
# 192). Each time the splash, then the board, maximised, its grid drawn at once, with its 25
# letters and 25 hand codes apart and inside the window. From a Spanish keyboard:
# - at 100 %, msg.txt as Notepad saves it, UTF-8 without a byte-order mark, with a long active
#   message: the editor opened while it flashes does not freeze the flash; the list saved
#   unchanged keeps every byte; "año" added stays UTF-8; the editor from the keyboard alone;
#   with msg.txt held open by another program, the boxes say so in Spanish and name the file;
# - at 150 %, with no msg.txt: "año" typed (Alt+A M, Alt+A, Alt+R) is saved beside the program
#   in the system's code page, Windows-1252: the bytes 41 D1 4F 0D 0A.
# Alt+A S ends the program.
#   portable.sh Trevolo-VERSION-win64.zip
set -euo pipefail
export E2E_TIME_LIMIT=170
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

# Starts the program with Wine's LogPixels $1 and checks its board. The grid comes at once with
# the board window, not after the 3 s that the program waits for a window manager that never
# says the window is maximised; one picture of the board takes up to a second on a loaded
# machine.
launch_at() {
    local timed delay look
    "$E2E_WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
        >/dev/null 2>&1
    e2e_launch
    e2e_wait 30 "splash window" e2e_some_window
    [ -z "$(e2e_board)" ] || e2e_fail "the board is shown with the splash"
    e2e_wait 30 "board window" e2e_board_shown
    timed=$(e2e_grid_delay "$(e2e_board)" "$EPOCHREALTIME" 5)
    read -r delay look <<<"$timed"
    board=$(e2e_wait_board 5)
    e2e_log "LogPixels $1: board $(e2e_since "$E2E_LAUNCHED_AT") s after launch, its grid" \
        "$delay s after the board appeared (look $look)"
    e2e_check "$delay" '<=' 1.5 || e2e_fail "LogPixels $1: grid only $delay s after the board"
    e2e_check_grid_apart "$board" $((21 * $1 / 96 + 1)) # below the menu bar, 21 pixels at 100 %
}
# A box says $1: Ctrl+C on it copies its title, text and buttons on Windows.
copied() {
    e2e_key ctrl+c
    "$E2E_WINE" "$E2E_WINHELPER" clipboard >"$E2E_DIR/clipboard" 2>/dev/null
    grep -qF "$1" "$E2E_DIR/clipboard"
}
box_says() {
    local start=$EPOCHREALTIME
    until copied "$1"; do
        e2e_check "$(e2e_since "$start")" '<' 10 ||
            e2e_fail "no box saying: $1
the clipboard holds: $(cat "$E2E_DIR/clipboard")"
    done
}

hola='*HOLA HOLA HOLA HOLA HOLA HOLA HOLA HOLA HOLA HOLA\r\n'
printf '%b' "*A\xc3\x91O\r\n$hola" >"$E2E_MSG"
launch_at 96
e2e_flash_behind_editor "$board"
e2e_expect_file "$E2E_MSG" "*A\xc3\x91O\r\n$hola" "saved unchanged"
e2e_add_message 'año'
e2e_expect_file "$E2E_MSG" "*A\xc3\x91O\r\n${hola}A\xc3\x91O\r\n" "after Alt+R"
e2e_log "msg.txt from Notepad, after Alt+R: $(od -An -tx1 "$E2E_MSG" | head -1)"
# Alt+Q takes "AÑO", the first message, back into the text box; "dos" replaces it there.
e2e_editor_keyboard_only "$board" dos
e2e_expect_file "$E2E_MSG" "${hola}A\xc3\x91O\r\nDOS\r\n" "after the editor from the keyboard"

# Held open after it was read: Regresar asks whether to replace a file it cannot read now; Sí
# tries, and says why not.
"$E2E_WINE" "$E2E_WINHELPER" hold 'T:\msg.txt' >"$E2E_DIR/hold.log" 2>&1 &
holder=$!
e2e_wait 10 "msg.txt held by another program" grep -qs held "$E2E_DIR/hold.log"
editor=$(e2e_open_editor)
e2e_key alt+r
box_says 'No se puede leer T:\msg.txt: otro programa lo tiene abierto. Se leyó bien antes'
e2e_key alt+s
box_says 'No se pudieron guardar los mensajes en T:\msg.txt: otro programa lo tiene abierto'
e2e_key Return
e2e_wait 5 "the box closed" e2e_none_named '^Trevolo$'
e2e_focus "$editor"
e2e_key alt+F4 # closed from its title bar, the editor keeps nothing
e2e_wait 3 "editor closed" e2e_editor_gone
kill "$holder"
e2e_salir 10

rm "$E2E_MSG"
launch_at 144
e2e_add_message 'año'
e2e_expect_file "$E2E_MSG" 'A\xd1O\r\n' "after Alt+R"
e2e_salir 10

launch_at 192
e2e_salir 10
