#!/usr/bin/env bash
# Takes the README's screenshots of Trevolo on a virtual X server: docs/*.png.
# Needs a build (scripts/run.sh or scripts/test.sh) and the test packages (scripts/setup.sh test).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
work=$(mktemp -d)
display=:$((90 + RANDOM % 9))
cleanup() { kill "${app:-}" "${wm:-}" "${xvfb:-}" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 & xvfb=$!
export DISPLAY=$display
sleep 1
openbox >/dev/null 2>&1 & wm=$!
cp build/default/src/trevolo "$work/"
printf 'APRENDER ES DIVERTIDO\r\n*CONCENTRATE\r\n' >"$work/msg.txt"
(cd "$work" && exec ./trevolo) >/dev/null 2>&1 & app=$!

shot() { import -window root "$work/shot.png" && convert "$work/shot.png" -colors 64 "PNG8:$root/docs/$1.png"; }
# Waits for what is asked, not for a fixed time: a busy machine starts slower.
timeout 20 xdotool search --sync --onlyvisible --class trevolo >/dev/null
sleep 0.5 && shot splash
board=$(timeout 20 xdotool search --sync --onlyvisible --name '^Trevolo $' | head -1)
sleep 1 && shot board
xdotool windowactivate --sync "$board"
xdotool key alt+a && sleep 0.5 && xdotool key m && sleep 1
xdotool key Tab Tab && xdotool type 'respira hondo' && sleep 0.3 && shot editor
echo "docs/splash.png docs/board.png docs/editor.png written"
