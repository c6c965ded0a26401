#!/usr/bin/env bash
# Takes the README's screenshots of Trevolo on virtual X servers, with the end-to-end tests'
# harness: docs/*.png at 1024x768, and docs/screens/*.png on small and scaled screens.
# Needs a build (scripts/run.sh or scripts/test.sh) and the test packages (scripts/setup.sh test).
#   scripts/screenshots.sh [path/to/trevolo]
set -euo pipefail
root=$(realpath "$(dirname "$0")/..")
program=${1:-$root/build/default/src/trevolo}

# Each screen is a run of its own, on an X server of that size: WIDTHxHEIGHT,SCALE.
if [ -z "${SHOTS_SCREEN:-}" ]; then
    mkdir -p "$root/docs/screens"
    for screen in 1024x768,1 640x480,1 1280x400,1 1366x768,1.5 1920x1080,1 1920x1080,2; do
        SHOTS_SCREEN=$screen bash "$0" "$program"
    done
    exit 0
fi

export E2E_TIME_LIMIT=60
# shellcheck source=tests/e2e/harness.sh
source "$root/tests/e2e/harness.sh" "$program"
IFS=x, read -r E2E_SCREEN_W E2E_SCREEN_H scale <<<"$SHOTS_SCREEN"
[ "$scale" = 1 ] || E2E_APP_ENV=("QT_SCALE_FACTOR=$scale")

# shot NAME: the whole screen in docs/NAME.png, in 64 colours, once all is drawn.
shot() {
    e2e_still_shot shot root
    convert "$E2E_DIR/shot.png" -colors 64 "PNG8:$root/docs/$1.png"
    echo "docs/$1.png written"
}

e2e_start_x
e2e_write_messages 'APRENDER ES DIVERTIDO' '*CONCENTRATE'
e2e_launch
e2e_wait 20 "splash window" e2e_some_window
if [ "$SHOTS_SCREEN" = 1024x768,1 ]; then
    shot splash
fi
board=$(e2e_wait_board 20)
e2e_wait 5 "grid on the board" e2e_grid_drawn "$board"
name=${E2E_SCREEN_W}x$E2E_SCREEN_H
[ "$scale" = 1 ] || name+=-scale$scale
case $SHOTS_SCREEN in
1024x768,1) shot board ;;
*) shot "screens/board-$name" ;;
esac

# The editor, with a message typed; on the small screen, added to the list and highlighted.
case $SHOTS_SCREEN in
1024x768,1)
    e2e_open_editor >/dev/null
    e2e_key Tab Tab && e2e_x xdotool type 'respira hondo' && shot editor
    ;;
640x480,1)
    e2e_type_and_add "$(e2e_open_editor)" 'respira'
    e2e_key shift+Tab End && shot screens/editor-640x480
    ;;
esac
