#!/usr/bin/env bash
# The message editor from the keyboard: Alt+A, M opens it with the focus on "Regresar"; Tab,
# Tab reaches the text box; Alt+A adds the typed message in capitals, unticked; Space in the
# list ticks it; Alt+R writes msg.txt and closes. The older lines come back byte for byte.
set -euo pipefail
export E2E_TIME_LIMIT=40
# shellcheck source-path=SCRIPTDIR source=harness.sh
source "$(dirname "$0")/harness.sh"

e2e_start_x
# UTF-8, the system's encoding here: an inactive line with an "ñ", an active one with "¡" and
# "Á", which a save must write back unchanged.
printf 'ni\xc3\xb1o\r\n*\xc2\xa1\xc3\x81NIMO!\r\n' >"$E2E_MSG"
e2e_launch
board=$(e2e_wait_board 10)
e2e_wait 5 "letters on the board" e2e_letters_drawn "$board"

editor=$(e2e_open_editor)
[[ $(e2e_net_wm_state "$editor") == *_NET_WM_STATE_MODAL* ]] || e2e_fail "the editor is not modal"
# The "ñ" read from msg.txt reaches the list. (The row clips the top of the accent on a capital
# "Á", so that line is left to the bytes of msg.txt below.)
e2e_wait 5 "niño in the list" e2e_shows "$editor" 'niño'

# From "Regresar", two Tabs to the text box; the typed message goes into the list.
e2e_type_and_add "$editor" 'respira hondo'
# Back to the list, to its last item, and tick it.
e2e_key shift+Tab End space
start=$EPOCHREALTIME
e2e_key alt+r
e2e_wait 3 "editor closed after Alt+R" e2e_editor_gone
e2e_log "editor closed $(e2e_since "$start") s after Alt+R"

e2e_expect_file "$E2E_MSG" 'ni\xc3\xb1o\r\n*\xc2\xa1\xc3\x81NIMO!\r\n*RESPIRA HONDO\r\n' "after Alt+R"
# The save replaced the file whole: no temporary file is left beside it.
shopt -s dotglob nullglob
for file in "$E2E_APP_DIR"/*; do
    case ${file##*/} in
    trevolo | msg.txt) ;;
    *) e2e_fail "file left beside msg.txt: ${file##*/}" ;;
    esac
done
e2e_app_running || e2e_fail "the program ended"
[ "$(e2e_board)" = "$board" ] || e2e_fail "no board after the editor closed"
