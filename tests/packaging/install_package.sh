#!/usr/bin/env bash
# The Debian package as a user gets it: built with CPack, checked by lintian, installed with
# apt-get, then /usr/bin/trevolo started by an ordinary user, who saves a message from the
# keyboard. The messages land in that user's data folder, starting from the msg.txt an
# administrator put beside the executable, which stays as it was; nothing is written under
# /usr. apt-get remove then takes every file of the package away.
#   install_package.sh path/to/trevolo BUILD_DIR
set -euo pipefail
if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: installing the package needs root"
    exit 77
fi
for tool in cpack apt-get dpkg-shlibdeps setpriv; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is missing (scripts/setup.sh test installs it)"
        exit 77
    fi
done
if dpkg-query -W -f='${db:Status-Status}' trevolo 2>/dev/null | grep -q '^installed$'; then
    echo "SKIP: a trevolo package is installed on this machine already; left alone"
    exit 77
fi
export E2E_TIME_LIMIT=240 # 40 s here, 120 s with both cores busy
# shellcheck source-path=SCRIPTDIR source=../e2e/harness.sh
source "$(dirname "$0")/../e2e/harness.sh"
build=$(realpath "$2")
shipped=/usr/bin/msg.txt
user=nobody

# Runs before the harness's own clean-up, whatever happened.
package_cleanup() {
    rm -f "$shipped"
    if dpkg-query -W -f='${db:Status-Status}' trevolo 2>/dev/null | grep -q '^installed$'; then
        apt-get remove -y -qq -o DPkg::Lock::Timeout=60 trevolo >/dev/null 2>&1 || true
    fi
}
trap 'status=$?; set +e; package_cleanup; (exit "$status"); e2e_cleanup' EXIT

# apt-get reads the package as its own user, and trevolo runs as another: they may pass through.
chmod 711 "$E2E_DIR"
# Built by someone whose files are private: the package's modes must not depend on it.
(umask 077 && cpack --config "$build/CPackConfig.cmake" -G DEB -B "$E2E_DIR/package" >/dev/null)
chmod -R go+rX "$E2E_DIR/package"
deb=$(echo "$E2E_DIR"/package/trevolo_*.deb)
[ -f "$deb" ] || e2e_fail "cpack made no trevolo_*.deb"
modes=$(dpkg-deb -c "$deb" | awk '$1 != "drwxr-xr-x" && $1 != "-rw-r--r--" &&
    !($1 == "-rwxr-xr-x" && $NF == "./usr/bin/trevolo")')
[ -z "$modes" ] || e2e_fail "files or folders with other modes than 0755 and 0644: $modes"
e2e_log "$(dpkg-deb -f "$deb" Package Version Depends | tr '\n' ' ')"
if command -v lintian >/dev/null; then
    found=$(lintian --fail-on error "$deb" 2>&1) || e2e_fail "lintian: $found"
    e2e_log "lintian: ${found:-nothing}"
fi

apt-get install -y -qq -o DPkg::Lock::Timeout=60 "$deb" >"$E2E_DIR/apt.log" 2>&1 ||
    e2e_fail "apt-get install: $(cat "$E2E_DIR/apt.log")"
dpkg-query -L trevolo >"$E2E_DIR/files"
printf '*BIENVENIDO\r\n' >"$shipped"
cp "$shipped" "$E2E_DIR/shipped.before"
touch "$E2E_DIR/installed"

# The user, with a home of their own.
home=$E2E_DIR/user
mkdir -m 700 "$home" && mkdir -m 700 "$home/runtime"
chown -R "$user:" "$home"
e2e_start_x
e2e_run_app setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups \
    env -i PATH=/usr/bin:/bin DISPLAY="$DISPLAY" HOME="$home" XDG_RUNTIME_DIR="$home/runtime" \
    LANG=C.UTF-8 QT_QPA_PLATFORM=xcb /usr/bin/trevolo
board=$(e2e_wait_board 10)
[ "$(stat -c %U "/proc/$E2E_APP_PID")" = "$user" ] || e2e_fail "trevolo does not run as $user"

editor=$(e2e_open_editor)
e2e_wait 5 "the shipped message in the list" e2e_shows "$editor" 'BIENVENIDO'
e2e_type_and_add "$editor" 'respira hondo'
e2e_wait 5 "the new message in the list" e2e_shows "$editor" 'RESPIRA HONDO'
e2e_key alt+r
e2e_wait 3 "editor closed after Alt+R" e2e_editor_gone

saved=$home/.local/share/Trevolo/msg.txt
e2e_expect_file "$saved" '*BIENVENIDO\r\nRESPIRA HONDO\r\n' "of the user"
[ "$(stat -c %U "$saved")" = "$user" ] || e2e_fail "$saved does not belong to $user"
cmp -s "$E2E_DIR/shipped.before" "$shipped" || e2e_fail "$shipped changed"
e2e_log "saved in $saved"

e2e_salir 5
# Written under /usr since the install: by the user, or by the program's name.
written=$(find /usr -xdev -newer "$E2E_DIR/installed" \( -user "$user" -o -iname '*trevolo*' \
    -o -name 'msg.txt' -o -name '.trevolo-*' \) -print)
[ -z "$written" ] || e2e_fail "written under /usr: $written"

rm "$shipped"
apt-get remove -y -qq -o DPkg::Lock::Timeout=60 trevolo >"$E2E_DIR/apt.log" 2>&1 ||
    e2e_fail "apt-get remove: $(cat "$E2E_DIR/apt.log")"
left=$(while read -r path; do [ ! -f "$path" ] || echo "$path"; done <"$E2E_DIR/files")
[ -z "$left" ] || e2e_fail "left by apt-get remove: $left"
status=$(dpkg-query -W -f='${db:Status-Status}' trevolo 2>/dev/null || true)
[ "$status" != installed ] || e2e_fail "trevolo still installed"
e2e_log "removed: $(wc -l <"$E2E_DIR/files") paths of the package, none left"
