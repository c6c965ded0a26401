#!/usr/bin/env bash
# A keyboard-only user on a 640 x 480 screen, narrower than the editor's designed size: Alt+A, M
# opens the editor whole on the screen and centred over the board; Tab into the list highlights
# its only message and Alt+Q takes it back into the text box; Tab, typing and Return add a new
# one; Alt+R writes msg.txt.
set -euo pipefail
export E2E_TIME_LIMIT=40
# shellcheck source-path=SCRIPTDIR source=harness.sh
source "$(dirname "$0")/harness.sh"

E2E_SCREEN_W=640
E2E_SCREEN_H=480
e2e_start_x
e2e_write_messages '*uno'
e2e_launch
board=$(e2e_wait_board 10)
e2e_editor_keyboard_only "$board" dos
e2e_expect_file "$E2E_MSG" 'DOS\r\n' "after Alt+R"
