#!/usr/bin/env bash
# The installer under Wine, as a Windows user meets it: a silent install (/S) puts Trevolo under
# Program Files, with a Start-menu entry and an uninstaller registered with the system. The
# installed program, started by a user who may not write in its folder, keeps the message typed
# from the keyboard in %APPDATA%\Trevolo\msg.txt. The silent uninstall leaves nothing of the
# package under Program Files, in the Start menu or among the registered programs.
#   installer.sh Trevolo-VERSION-win64.exe
set -euo pipefail
export E2E_TIME_LIMIT=150
# shellcheck source-path=SCRIPTDIR source=../e2e/harness.sh
source "$(dirname "$0")/../e2e/harness.sh"
e2e_require wine wineserver setpriv

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
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Trevolo'
registered() { as_user "$E2E_WINE" reg query "$key" /v UninstallString >/dev/null 2>&1; }

e2e_start_x
as_user "$E2E_WINE" "$E2E_PROGRAM" /S >"$E2E_DIR/install.log" 2>&1 ||
    e2e_fail "the silent install failed: $(cat "$E2E_DIR/install.log")"
wine_settled
[ -f "$folder/trevolo.exe" ] || e2e_fail "not installed in Program Files: $(ls "$drive_c/Program Files")"
[ -f "$menu/Trevolo.lnk" ] || e2e_fail "no Start-menu entry: $(ls "$menu" 2>&1)"
registered || e2e_fail "no uninstaller registered under $key"
touch "$E2E_DIR/installed"
e2e_log "installed: $(find "$folder" -type f | wc -l) files in Program Files\\Trevolo"

# Under Wine the whole prefix belongs to its user; Windows lets a standard user only read
# Program Files.
chmod -R a-w "$folder"
e2e_run_app as_user "$E2E_WINE" 'C:\Program Files\Trevolo\trevolo.exe'
e2e_wait_board 30 >/dev/null
e2e_add_message 'respira hondo'
saved=$drive_c/users/$user/AppData/Roaming/Trevolo/msg.txt
e2e_expect_file "$saved" 'RESPIRA HONDO\r\n' "of the user"
e2e_log "saved in $saved"
e2e_open_menu a
e2e_key s
e2e_wait_exit 10
[ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "exit code $E2E_EXIT_CODE"
written=$(find "$folder" -newer "$E2E_DIR/installed" -print)
[ -z "$written" ] || e2e_fail "written in Program Files: $written"

chmod -R u+w "$folder"
as_user "$E2E_WINE" 'C:\Program Files\Trevolo\Uninstall.exe' /S >"$E2E_DIR/uninstall.log" 2>&1 ||
    e2e_fail "the silent uninstall failed: $(cat "$E2E_DIR/uninstall.log")"
wine_settled
[ ! -e "$folder" ] || e2e_fail "left in Program Files: $(find "$folder")"
[ ! -e "$menu" ] || e2e_fail "left in the Start menu: $(find "$menu")"
! registered || e2e_fail "still registered under $key"
[ -f "$saved" ] || e2e_fail "the uninstall took the user's messages"
e2e_log "uninstalled: nothing left; the user's msg.txt stays"
