#!/usr/bin/env bash
# The editor opened while a message is flashing: the flash does not freeze on the board. With a
# period of 1 s, the message keeps coming and going behind the editor, and after "Regresar" the
# program goes on. The message is long, so that its ends show on either side of the editor.
set -euo pipefail
export E2E_TIME_LIMIT=50
# shellcheck source-path=SCRIPTDIR source=harness.sh
source "$(dirname "$0")/harness.sh"

e2e_start_x
e2e_write_messages '*HOLA HOLA HOLA HOLA HOLA HOLA HOLA HOLA HOLA HOLA'
e2e_launch
board=$(e2e_wait_board 10)
e2e_wait 5 "grid on the board" e2e_grid_drawn "$board"
e2e_flash_behind_editor "$board"
