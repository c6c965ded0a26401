#!/usr/bin/env bash
# The installer under Wine, as a Windows user meets it: a silent install (/S) of an older version
# puts Trevolo under Program Files, with its Start-menu entries, in Spanish, and an uninstaller
# registered with the system. The installed program, started through the target of its
# Start-menu entry by a user who may not write in its folder, keeps the message typed from the
# keyboard in %APPDATA%\Trevolo\msg.txt. The newer version installed over it keeps that file and
# leaves one Trevolo among the installed programs, with its icon, version, flags, publisher and
# size. While Trevolo runs, neither an install nor an uninstall touches a file.
# Once it is closed, the silent uninstall leaves nothing of the package under Program Files, in
# the Start menu or among the registered programs; it says beforehand where the messages stay.
#   installer.sh Trevolo-VERSION-win64.exe Trevolo-OLDER-win64.exe
set -euo pipefail
export E2E_TIME_LIMIT=150
# shellcheck source-path=SCRIPTDIR source=../e2e/harness.sh
source "$(dirname "$0")/../e2e/harness.sh"
e2e_require wine wineserver setpriv
older=$(realpath "${2:?usage: $0 Trevolo-VERSION-win64.exe Trevolo-OLDER-win64.exe}")
version() { basename "$1" | sed -E 's/^Trevolo-(.*)-win64\.exe$/\1/'; }

# A Wine prefix of the user's own. Root, as in CI, installs and runs as "nobody", for whom the
# folder's permissions count.
home=$E2E_DIR/user
mkdir -m 700 "$home"
prefix=$home/wine
user=$(id -un)
if [ "$(id -u)" -eq 0 ]; then
    user=nobody
    chmod 711 "$E2E_DIR"
    chown "$user:" "$home"
fi
as_user() {
    local become=()
    [ "$(id -u)" -ne 0 ] || become=(setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups)
    "${become[@]}" env -i PATH=/usr/bin:/bin HOME="$home" LANG=C.UTF-8 DISPLAY="${DISPLAY:-}" \
        WINEPREFIX="$prefix" TREVOLO_WINEPREFIX="$prefix" TREVOLO_WINEPATH= "$@"
}
# Wine's processes of the prefix, the uninstaller's copy of itself among them, all ended.
wine_settled() { as_user wineserver -w; }
E2E_WINESERVER=(as_user wineserver)
# C:\ as the prefix keeps it.
drive_c=$prefix/drive_c
folder="$drive_c/Program Files/Trevolo"
menu="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Trevolo"
programs='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
key="$programs\\Trevolo"
# The value $1 of Trevolo's entry among the installed programs.
entry() {
    as_user "$E2E_WINE" reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' |
        awk -v name="$1" '$1 == name { sub(/^ *[^ ]+ +[^ ]+ +/, ""); print }'
}
registered() { [ -n "$(entry UninstallString)" ]; }
# The type and value of $1 there.
flag() {
    as_user "$E2E_WINE" reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' |
        awk -v name="$1" '$1 == name { print $2, $3 }'
}
# $1 (an installer or the uninstaller) run silently, with arguments $2...; its exit code in
# $status.
silently() {
    status=0
    as_user "$E2E_WINE" "$1" /S "${@:2}" >"$E2E_DIR/setup.log" 2>&1 || status=$?
}
# The same, then every process that it started ended.
settled() {
    silently "$@"
    wine_settled
}
# $@ run silently while Trevolo runs: it ends with exit code 2 before it changes anything.
stops_while_running() {
    silently "$@"
    [ "$status" -eq 2 ] || e2e_fail "$(basename "$1") with Trevolo running: exit code $status"
    find "$folder" -type f -printf '%P %s %T@\n' | sort | cmp -s - "$E2E_DIR/files" ||
        e2e_fail "$(basename "$1") changed files while Trevolo ran"
    registered || e2e_fail "$(basename "$1") unregistered Trevolo while it ran"
}
# Trevolo started by the Windows path $2, which $1 names.
start_installed() {
    local unix=${2/#C:\\/$drive_c\/}
    [ -f "${unix//\\//}" ] || e2e_fail "$1 names a missing file: $2"
    e2e_run_app as_user "$E2E_WINE" "$2"
    e2e_wait_board 30 >/dev/null
}

e2e_start_x
settled "$older"
[ "$status" -eq 0 ] || e2e_fail "the silent install failed: $(cat "$E2E_DIR/setup.log")"
[ -f "$folder/trevolo.exe" ] || e2e_fail "not installed in Program Files: $(ls "$drive_c/Program Files")"
[ -f "$menu/Trevolo.lnk" ] && [ -f "$menu/Desinstalar Trevolo.lnk" ] ||
    e2e_fail "not both Start-menu entries: $(ls "$menu" 2>&1)"
registered || e2e_fail "no uninstaller registered under $key"
[ "$(entry DisplayVersion)" = "$(version "$older")" ] || e2e_fail "registered as $(entry DisplayVersion)"
[ "$(flag NoModify), $(flag NoRepair)" = 'REG_DWORD 0x1, REG_DWORD 0x1' ] ||
    e2e_fail "NoModify, NoRepair: $(flag NoModify), $(flag NoRepair)"
touch "$E2E_DIR/installed"
e2e_log "$(version "$older") installed: $(find "$folder" -type f | wc -l) files in Program Files\\Trevolo"

# Under Wine the whole prefix belongs to its user; Windows lets a standard user only read
# Program Files.
chmod -R a-w "$folder"
shortcut='C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Trevolo\Trevolo.lnk'
start_installed "the Start-menu entry" "$(as_user "$E2E_WINE" "$E2E_WINHELPER" target "$shortcut")"
e2e_add_message 'respira hondo'
saved=$drive_c/users/$user/AppData/Roaming/Trevolo/msg.txt
e2e_expect_file "$saved" 'RESPIRA HONDO\r\n' "of the user"
e2e_log "saved in $saved"
e2e_salir 10
written=$(find "$folder" -newer "$E2E_DIR/installed" -print)
[ -z "$written" ] || e2e_fail "written in Program Files: $written"
chmod -R u+w "$folder"

# The newer version over it: the old one uninstalled first, the user's messages kept.
settled "$E2E_PROGRAM"
[ "$status" -eq 0 ] || e2e_fail "the upgrade failed: $(cat "$E2E_DIR/setup.log")"
e2e_expect_file "$saved" 'RESPIRA HONDO\r\n' "of the user after the upgrade"
entries=$(as_user "$E2E_WINE" reg query "$programs" /s | tr -d '\r' |
    awk '$1 == "DisplayName" && $3 == "Trevolo" { n++ } END { print n + 0 }')
[ "$entries" -eq 1 ] || e2e_fail "$entries entries of Trevolo among the installed programs"
[ "$(entry DisplayVersion)" = "$(version "$E2E_PROGRAM")" ] || e2e_fail "registered as $(entry DisplayVersion)"
[ "$(entry DisplayIcon)" = 'C:\Program Files\Trevolo\trevolo.exe' ] || e2e_fail "icon: $(entry DisplayIcon)"
[ -n "$(entry Publisher)" ] || e2e_fail "no publisher among the installed programs"
kib=$(find "$folder" -type f -printf '%s\n' | awk '{ size += $1 } END { print int(size / 1024) }')
[ "$(($(entry EstimatedSize)))" -eq "$kib" ] || e2e_fail "size $(entry EstimatedSize), files $kib KiB"
e2e_log "$(version "$E2E_PROGRAM") installed over it: one entry, publisher $(entry Publisher), $kib KiB"

# While Trevolo runs, started as the finish page's "Ejecutar Trevolo" starts it, a reinstall and
# the uninstall each stop before they change anything.
find "$folder" -type f -printf '%P %s %T@\n' | sort >"$E2E_DIR/files"
script=$(dirname "$E2E_PROGRAM")/_CPack_Packages/win64/NSIS/project.nsi
finish=$(sed -n 's/^ *!define MUI_FINISHPAGE_RUN "\(.*\)"\r\?$/\1/p' "$script")
start_installed "the finish page" "${finish/\$INSTDIR/C:\\Program Files\\Trevolo}"
stops_while_running "$E2E_PROGRAM"
# In place (_?=), as an upgrade runs it, so that the exit code is its own: started otherwise, the
# uninstaller runs from a copy of itself. Its folder runs to the end of the command line, where
# Wine would put it in quotes as one argument with a blank.
stops_while_running 'C:\Program Files\Trevolo\Uninstall.exe' '_?=C:\Program' 'Files\Trevolo'
e2e_log "with Trevolo running, the installer and the uninstaller change nothing (exit code 2)"
e2e_salir 10

settled 'C:\Program Files\Trevolo\Uninstall.exe'
[ "$status" -eq 0 ] || e2e_fail "the silent uninstall failed: $(cat "$E2E_DIR/setup.log")"
[ ! -e "$folder" ] || e2e_fail "left in Program Files: $(find "$folder")"
[ ! -e "$menu" ] || e2e_fail "left in the Start menu: $(find "$menu")"
! registered || e2e_fail "still registered under $key"
[ -f "$saved" ] || e2e_fail "the uninstall took the user's messages"
grep -qF 'Sus mensajes no se borran: quedan en %APPDATA%\Trevolo\msg.txt' "$script" ||
    e2e_fail "the uninstaller does not say where the messages stay"
e2e_log "uninstalled: nothing left; the user's msg.txt stays"
