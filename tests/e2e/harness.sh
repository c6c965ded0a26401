# shellcheck shell=bash disable=SC2034 # the variables here are for the tests that source this
# Shared by the end-to-end tests; sourced, never run. A test script does:
#
#   set -euo pipefail
#   export E2E_TIME_LIMIT=30               # seconds for the whole script
#   source "$(dirname "$0")/harness.sh"    # its first argument is the trevolo to test
#   e2e_start                              # Xvfb, openbox, then trevolo in a fresh folder
#
# Every wait is bounded, and on exit every process started here is ended by its id and the
# folder is removed. A failing test leaves a screenshot in $E2E_ARTIFACTS, if that is set.
# Windows are found by title (e2e_windows_named): the message editor and the message boxes
# are found the same way as the board.

# The whole script runs under timeout(1), which ends the script and everything it started
# (one process group) when the limit passes, before CTest's own, harsher, timeout.
if [ -z "${E2E_LIMITED:-}" ]; then
    export E2E_LIMITED=1
    exec timeout --kill-after=5 "${E2E_TIME_LIMIT:-60}" bash "$0" "$@"
fi

E2E_NAME=$(basename "$0" .sh)
E2E_PROGRAM=$(realpath "${1:?usage: $0 path/to/trevolo}")
# A Windows build: trevolo.exe in a folder with everything it loads, run under Wine.
e2e_is_windows() { [[ $E2E_PROGRAM == *.exe ]]; }
E2E_DIR=$(mktemp -d "${TMPDIR:-/tmp}/trevolo-e2e.XXXXXX")
E2E_APP_DIR=$E2E_DIR/app # the program's folder: msg.txt lives here
E2E_MSG=$E2E_APP_DIR/msg.txt
E2E_APP_PID=
E2E_EXIT_CODE=
E2E_PIDS=() # everything else started here, ended in reverse order
E2E_FAILED=
E2E_SCREEN_W=1280
E2E_SCREEN_H=800

if [ -z "${EPOCHREALTIME:-}" ]; then
    echo "SKIP: the tests time themselves with bash 5's EPOCHREALTIME"
    rm -rf "$E2E_DIR"
    exit 77
fi
# e2e_require TOOL...: skips the test where one is missing.
e2e_require() {
    local tool
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null; then
            echo "SKIP: $tool is missing (scripts/setup.sh installs it)"
            rm -rf "$E2E_DIR"
            exit 77
        fi
    done
}
e2e_require Xvfb openbox xdotool xprop xwininfo import convert compare

# A clean user: no settings of whoever runs the tests reach openbox or the program.
export HOME=$E2E_DIR/home XDG_CONFIG_HOME=$E2E_DIR/home/.config
export XDG_CACHE_HOME=$E2E_DIR/home/.cache XDG_RUNTIME_DIR=$E2E_DIR/runtime
mkdir -p "$HOME" "$E2E_APP_DIR" && mkdir -m 700 "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY SESSION_MANAGER

e2e_log() { printf '# %s\n' "$*"; }

# Seconds from $1 to now, 2 decimals.
e2e_since() { awk -v a="$1" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.2f\n", b - a }'; }

# e2e_check A OP B with a floating-point comparison (OP: < <= > >=).
e2e_check() { awk -v a="$1" -v b="$3" -v op="$2" 'BEGIN {
    exit !((op == "<" && a < b) || (op == "<=" && a <= b) || (op == ">" && a > b) ||
           (op == ">=" && a >= b)) }'; }

e2e_fail() {
    echo "FAIL: $*" >&2
    E2E_FAILED=1
    exit 1
}

# X clients as a bounded command: a lost X server must fail the test, not hang it.
e2e_x() { timeout --kill-after=2 5 "$@"; }

# e2e_wait SECONDS DESCRIPTION COMMAND...: polls COMMAND until it succeeds; fails the test
# after SECONDS.
e2e_wait() {
    local limit=$1 what=$2 start=$EPOCHREALTIME
    shift 2
    until "$@" >/dev/null; do
        e2e_check "$(e2e_since "$start")" '<' "$limit" || e2e_fail "no $what after $limit s"
        sleep 0.02
    done
}

e2e_cleanup() {
    local status=$?
    if [ "$status" -ne 0 ] || [ -n "$E2E_FAILED" ]; then
        if [ -n "${E2E_ARTIFACTS:-}" ] && [ -n "${DISPLAY:-}" ]; then
            mkdir -p "$E2E_ARTIFACTS"
            e2e_x import -window root "$E2E_ARTIFACTS/$E2E_NAME.png" 2>/dev/null &&
                echo "screenshot: $E2E_ARTIFACTS/$E2E_NAME.png" >&2
        fi
        local log
        for log in app xvfb openbox; do
            [ -s "$E2E_DIR/$log.log" ] && sed "s/^/$log: /" "$E2E_DIR/$log.log" >&2
        done
    fi
    local pid i
    if [ -n "$E2E_APP_PID" ]; then
        kill "$E2E_APP_PID" 2>/dev/null || true
    fi
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        kill "${E2E_PIDS[i]}" 2>/dev/null || true
    done
    for pid in $E2E_APP_PID "${E2E_PIDS[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$E2E_DIR"
    return "$status"
}
trap e2e_cleanup EXIT
trap 'echo "FAIL: over the time limit of ${E2E_TIME_LIMIT:-60} s" >&2; exit 143' TERM
trap 'exit 130' INT

# --- X server and window manager -----------------------------------------------------------

e2e_display_ready() { [[ $(<"$E2E_DIR/display") == *[0-9] ]]; }

e2e_wm_ready() {
    [[ $(e2e_x xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null) == *"window id"* ]]
}

e2e_alive() { kill -0 "$1" 2>/dev/null; }

# Xvfb on the first free display, and openbox with its default key bindings (Alt+F4 closes).
# Another X server coming or going on the machine at the same moment can leave the display
# unusable; that is no fault of the program, so the pair is started afresh, up to three times.
e2e_start_x() {
    local attempt xvfb openbox start
    for attempt in 1 2 3; do
        : >"$E2E_DIR/display"
        Xvfb -displayfd 3 -screen 0 "${E2E_SCREEN_W}x${E2E_SCREEN_H}x24" -nolisten tcp \
            3>"$E2E_DIR/display" >"$E2E_DIR/xvfb.log" 2>&1 &
        xvfb=$!
        E2E_PIDS+=("$xvfb")
        e2e_wait 10 "X server" e2e_display_ready
        DISPLAY=:$(<"$E2E_DIR/display")
        export DISPLAY
        LC_ALL=C openbox --sm-disable >"$E2E_DIR/openbox.log" 2>&1 &
        openbox=$!
        E2E_PIDS+=("$openbox")
        start=$EPOCHREALTIME
        while e2e_alive "$xvfb" && e2e_alive "$openbox" && ! e2e_wm_ready &&
            e2e_check "$(e2e_since "$start")" '<' 10; do
            sleep 0.02
        done
        e2e_wm_ready && return 0
        e2e_log "X server $DISPLAY not usable (attempt $attempt):" \
            "$(cat "$E2E_DIR/xvfb.log" "$E2E_DIR/openbox.log")"
        kill "$openbox" "$xvfb" 2>/dev/null || true
        wait "$openbox" "$xvfb" 2>/dev/null || true
        E2E_PIDS=("${E2E_PIDS[@]:0:${#E2E_PIDS[@]}-2}") # reaped: their ids may be reused
    done
    e2e_fail "no X server with a window manager"
}

# --- the program ----------------------------------------------------------------------------

E2E_APP_ENV=() # NAME=VALUE pairs for the program, e.g. another locale

# A copy of the program in its own folder, started there on the real X11 platform. A Windows
# build comes with its whole folder, and runs under Wine ($E2E_WINE, the build's wine.sh) with
# nothing on its path: what it loads must be in that folder. $E2E_WINE_EXE, if set, is the
# Windows path to start instead (e.g. from a drive letter mapped to the folder).
e2e_copy_program() {
    if e2e_is_windows; then
        cp -r "$(dirname "$E2E_PROGRAM")/." "$E2E_APP_DIR/"
    else
        cp "$E2E_PROGRAM" "$E2E_APP_DIR/trevolo"
    fi
}

# Becomes the copy in $E2E_APP_DIR, with E2E_APP_ENV; run in a process of its own.
e2e_exec_copy() {
    local command=(env QT_QPA_PLATFORM=xcb ./trevolo)
    if e2e_is_windows; then
        command=(env QT_QPA_PLATFORM=windows TREVOLO_WINEPATH=
                 "${E2E_WINE:?no wine.sh of the Windows build}"
                 "${E2E_WINE_EXE:-trevolo.exe}")
    fi
    cd "$E2E_APP_DIR" && exec env LANG=C.UTF-8 "${E2E_APP_ENV[@]}" "${command[@]}"
}

# e2e_run_app COMMAND...: starts COMMAND, which is or starts the program (as another user, from
# an installed copy...), as the program that the test watches and ends.
e2e_run_app() {
    E2E_LAUNCHED_AT=$EPOCHREALTIME
    "$@" >"$E2E_DIR/app.log" 2>&1 &
    E2E_APP_PID=$!
}

e2e_launch() {
    e2e_copy_program
    e2e_run_app e2e_exec_copy
}

# e2e_launch_another NAME: a further copy from the same folder, its output in
# $E2E_DIR/NAME.log and its id in E2E_OTHER_PID; ended with the rest.
e2e_launch_another() {
    e2e_exec_copy >"$E2E_DIR/$1.log" 2>&1 &
    E2E_OTHER_PID=$!
    E2E_PIDS+=("$E2E_OTHER_PID")
}

e2e_start() {
    e2e_start_x
    e2e_launch
}

# Writes msg.txt as the program does: one message a line, CR LF, active ones with "*".
e2e_write_messages() {
    printf '%s\r\n' "$@" >"$E2E_MSG"
}

# msg.txt holding an active message of $1 "x", then "UNO": a list that takes seconds to save.
e2e_write_large_list() {
    { printf '*' && head -c "$1" /dev/zero | tr '\0' x && printf '\r\nUNO\r\n'; } >"$E2E_MSG"
}

# Whether msg.txt ends with the bytes that printf FORMAT ($1) gives.
e2e_msg_ends() {
    printf "$1" >"$E2E_DIR/end"
    cmp -s <(tail -c "$(stat -c %s "$E2E_DIR/end")" "$E2E_MSG") "$E2E_DIR/end"
}

# e2e_expect_file FILE FORMAT WHAT: FILE holds exactly the bytes that printf FORMAT gives, within
# 5 s: a save may land a moment after the key that asked for it. Shows both when it does not.
e2e_expect_file() {
    printf "$2" >"$E2E_DIR/expected"
    local start=$EPOCHREALTIME
    until cmp -s "$E2E_DIR/expected" "$1"; do
        e2e_check "$(e2e_since "$start")" '<' 5 || e2e_fail "$(basename "$1") $3:
$(od -c "$1" 2>&1)
expected:
$(od -c "$E2E_DIR/expected")"
        sleep 0.02
    done
}

e2e_app_ended() { ! e2e_app_running; }

e2e_app_running() {
    local stat rest
    read -r stat 2>/dev/null <"/proc/$E2E_APP_PID/stat" || return 1
    rest=${stat##*) }
    [ "${rest%% *}" != Z ]
}

# Ends the program by its id, as a crash would, without waiting for it to be done.
e2e_kill_app() {
    kill "$E2E_APP_PID" 2>/dev/null || true
    wait "$E2E_APP_PID" 2>/dev/null || true
    E2E_APP_PID=
}

# Waits up to SECONDS for the program to end; its exit code lands in E2E_EXIT_CODE.
e2e_wait_exit() {
    e2e_wait "$1" "end of the program" e2e_app_ended
    E2E_EXIT_CODE=0
    wait "$E2E_APP_PID" || E2E_EXIT_CODE=$?
    E2E_APP_PID=
}

# User plus system CPU time of the program so far, in clock ticks.
e2e_cpu_ticks() {
    local stat rest fields
    read -r stat <"/proc/$E2E_APP_PID/stat"
    rest=${stat##*) }
    read -ra fields <<<"$rest"
    echo $((fields[11] + fields[12]))
}

# --- windows ---------------------------------------------------------------------------------

# The class of the program's windows: Wine names them after the executable.
e2e_class() { if e2e_is_windows; then echo '^trevolo\.exe$'; else echo '^trevolo$'; fi; }

# Every mapped window of the program (of the process $1 if given). Fails when X does not
# answer in time: "no such window" must be a real answer, never a slow X server's.
e2e_program_windows() {
    local status=0 pid=()
    [ -z "${1:-}" ] || pid=(--all --pid "$1")
    e2e_x xdotool search --onlyvisible "${pid[@]}" --classname "$(e2e_class)" 2>/dev/null ||
        status=$?
    [ "$status" -le 1 ] # 1: none found
}

# Some window of the program is mapped: the splash, at start-up.
e2e_some_window() { [ -n "$(e2e_program_windows)" ]; }

e2e_title() { e2e_x xdotool getwindowname "$1" 2>/dev/null; }

# The mapped windows of the program (of the process $2 if given) whose title matches the
# extended regular expression $1. Fails, as e2e_program_windows does, when X does not answer.
e2e_windows_named() {
    local w title windows status
    windows=$(e2e_program_windows "${2:-}") || return 1
    for w in $windows; do
        status=0
        title=$(e2e_title "$w") || status=$?
        [ "$status" -ne 124 ] || return 1 # no answer; otherwise the window went meanwhile
        [ "$status" -ne 0 ] || ! [[ $title =~ $1 ]] || echo "$w"
    done
    return 0
}

# Whether X answers that no mapped window of the program (of the process $2 if given) other than
# $3 has a title matching the extended regular expression $1.
e2e_none_named() {
    local windows
    windows=$(e2e_windows_named "$1" "${2:-}") || return 1
    [ -z "$(grep -vx "${3:-}" <<<"$windows")" ]
}

# The first, the oldest (of the process $1 if given): the period's input box has the same title.
# (awk reads all, so that the search never ends on a closed pipe.)
e2e_board() { e2e_windows_named '^Trevolo $' "${1:-}" | awk 'NR == 1'; }

e2e_window_type() { e2e_x xprop -id "$1" _NET_WM_WINDOW_TYPE 2>/dev/null || true; }

# Bypasses the window manager, as Qt's popup menus do.
e2e_override_redirect() {
    [[ $(e2e_x xwininfo -id "$1" 2>/dev/null) == *"Override Redirect State: yes"* ]]
}

# The program's mapped menus. Qt 6.4 marks a menu as one only until a dialog of the program has
# been shown; later menus are "normal" windows, but still bypass the window manager.
e2e_open_menus() {
    local w
    for w in $(e2e_program_windows); do
        if [[ $(e2e_window_type "$w") == *_MENU* ]] || e2e_override_redirect "$w"; then
            echo "$w"
        fi
    done
    return 0
}

# Left, right, top, bottom of the frame the window manager draws around the window.
e2e_frame_extents() {
    local value
    value=$(e2e_x xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null) || return 1
    [[ $value == *=* ]] || return 1
    echo "${value#*= }" | tr -d ,
}

# x y width height of the window's inside, on the screen.
e2e_geometry() {
    e2e_x xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF }
        /Absolute upper-left Y/ { y = $NF } /Width:/ { w = $NF } /Height:/ { h = $NF }
        END { print x, y, w, h }'
}

e2e_net_wm_state() { e2e_x xprop -id "$1" _NET_WM_STATE 2>/dev/null || true; }

# Maximised as the user sees it: the window manager's state says so, the window is shown and
# not iconic, and with its frame it covers the whole screen.
e2e_is_maximised() {
    local w=$1 state l r t b x y width height
    state=$(e2e_net_wm_state "$w")
    [[ $state == *_NET_WM_STATE_MAXIMIZED_VERT* && $state == *_NET_WM_STATE_MAXIMIZED_HORZ* &&
        $state != *_NET_WM_STATE_HIDDEN* ]] || return 1
    [[ $(e2e_x xprop -id "$w" WM_STATE 2>/dev/null) == *"window state: Normal"* ]] || return 1
    read -r l r t b < <(e2e_frame_extents "$w") || return 1
    read -r x y width height < <(e2e_geometry "$w") || return 1
    [ $((x - l)) -eq 0 ] && [ $((y - t)) -eq 0 ] && [ $((width + l + r)) -eq "$E2E_SCREEN_W" ] &&
        [ $((height + t + b)) -eq "$E2E_SCREEN_H" ]
}

e2e_active_window() { e2e_x xdotool getactivewindow 2>/dev/null || true; }

e2e_is_active() { [ "$(e2e_active_window)" = "$1" ]; }

# Gives the window the keyboard focus, as a click on it would.
e2e_focus() {
    e2e_x xdotool windowactivate --sync "$1" >/dev/null 2>&1 || true
    e2e_wait 3 "focus on window $1" e2e_is_active "$1"
}

# Keys as the user types them, to whichever window has the focus.
e2e_key() { e2e_x xdotool key --delay 50 "$@"; }

e2e_menu_is_open() { [ -n "$(e2e_open_menus)" ]; }

# Opens a menu of the board (of the process $2 if given) by its access key (e.g. e2e_open_menu a
# for "&Archivo").
e2e_open_menu() {
    local board
    board=$(e2e_board "${2:-}")
    [ -n "$board" ] || e2e_fail "no board window to open a menu on"
    e2e_focus "$board"
    e2e_key "alt+$1"
    e2e_wait 3 "menu open after Alt+$1" e2e_menu_is_open
    sleep 0.3 # Qt takes keys for the menu only once it has grabbed the keyboard
}

e2e_board_shown() { [ -n "$(e2e_board)" ]; }

# Waits up to SECONDS for the board: "Trevolo " shown and maximised. Prints its id.
e2e_wait_board() {
    e2e_wait "$1" "board window titled \"Trevolo \"" e2e_board_shown
    local board
    board=$(e2e_board)
    e2e_wait 5 "maximised board" e2e_is_maximised "$board"
    echo "$board"
}

# The message editor's window id, if it is shown.
e2e_editor() { e2e_windows_named '^Mensajes Subliminales$' "${1:-}"; }
e2e_editor_shown() { [ -n "$(e2e_editor "${1:-}")" ]; }
e2e_editor_gone() { e2e_none_named '^Mensajes Subliminales$' "${1:-}"; }

# Waits for the message editor, shown and with the focus. Prints its id.
e2e_wait_editor() {
    e2e_wait 3 'window "Mensajes Subliminales"' e2e_editor_shown
    local editor
    editor=$(e2e_editor)
    e2e_wait 3 "focus on the editor" e2e_is_active "$editor"
    echo "$editor"
}

# Alt+A, M on the board: the message editor, with the focus. Prints its id.
e2e_open_editor() {
    e2e_open_menu a
    e2e_key m
    e2e_wait_editor
}

# From the board, as a user adds a message: Alt+A M opens the editor, $1 is typed into the text
# box (two Tabs from "Regresar"), Alt+A adds it and Alt+R saves and closes the editor.
e2e_add_message() {
    e2e_press_regresar_after "$1"
    e2e_wait 5 "editor closed after Alt+R" e2e_editor_gone
}

# The same up to Alt+R, whatever it then does.
e2e_press_regresar_after() {
    e2e_open_editor >/dev/null
    e2e_key Tab Tab
    e2e_x xdotool type --delay 50 "$1"
    e2e_key alt+a
    sleep 0.5 # the button clicks a moment later
    e2e_key alt+r
}

# e2e_spy NAME WINDOW PROPERTY...: records every change of the properties of WINDOW (an id or
# "root") to $E2E_DIR/NAME.spy, from the moment this returns. A change prints the property's
# name at the start of a line, then its value.
e2e_spy() {
    local name=$1 window=(-id "$2")
    [ "$2" = root ] && window=(-root)
    shift 2
    xprop -spy "${window[@]}" "$@" >"$E2E_DIR/$name.spy" 2>&1 &
    E2E_PIDS+=($!)
    # It first prints the values it starts with, once it watches.
    e2e_wait 3 "xprop watching ${window[*]}" e2e_spy_has "$name" "$#"
    sleep 0.2 # and it asks for the changes just after
}

e2e_spy_has() { [ "$(e2e_spy_count "$1" .)" -ge "$2" ]; }

# The number of lines of the spy record NAME that match the extended regular expression $2.
e2e_spy_count() { grep -cE "$2" "$E2E_DIR/$1.spy" || true; }

# "Temporizador", the first item of "Acciones" (Alt+C, Enter), asks for the period in an input
# box titled as the board $1 is. Waits for it and prints its id.
e2e_period_box() { e2e_windows_named '^Trevolo $' | grep -vx "$1" || true; }
e2e_period_box_shown() { [ -n "$(e2e_period_box "$1")" ]; }
e2e_open_period() {
    e2e_open_menu c
    e2e_key Return
    e2e_wait 3 'the period input box, titled "Trevolo "' e2e_period_box_shown "$1"
    e2e_period_box "$1"
}

# The keys of the period $2 into the box open over the board $1, then Enter closes it.
e2e_enter_period() {
    e2e_key "$2" Return
    e2e_wait 3 "input box closed after Enter" e2e_none_named '^Trevolo $' '' "$1"
}

# The number of pixels of the picture $1 that are exactly of the colour $2 (e.g. 'rgb(0,0,255)').
e2e_colour_pixels() {
    convert "$1" -alpha off -fill black +opaque "$2" -fill white -opaque "$2" \
        -format '%[fx:round(mean*w*h)]' info:
}

# The share of the window's pixels darker than mid-grey, in percent.
e2e_dark_percent() {
    e2e_x import -window "$1" "$E2E_DIR/shot.png"
    convert "$E2E_DIR/shot.png" -colorspace Gray -threshold 50% -negate \
        -format '%[fx:100*mean]\n' info:
}

# e2e_shows WINDOW|IMAGE TEXT [OPTION...]: the window (an id) or the picture shows TEXT as the
# program draws it: in its default font, or as the OPTIONs of text_shown.cpp say.
e2e_shows() {
    local tool=${E2E_TEXT_SHOWN:-$(dirname "$E2E_PROGRAM")/../tests/e2e/e2e_text_shown} status=0
    [ -x "$tool" ] || e2e_fail "no text_shown helper at $tool (CTest sets E2E_TEXT_SHOWN)"
    timeout 20 env QT_QPA_PLATFORM=xcb LANG=C.UTF-8 "${E2E_APP_ENV[@]}" \
        "$tool" "${@:3}" "$1" "$2" >/dev/null || status=$?
    [ "$status" -le 1 ] || e2e_fail "text_shown failed ($status) on $1"
    return "$status"
}

# The 25 letters and their hands drawn on the board: dark glyphs over a light background cover
# a few percent of it, the menu bar alone far less.
e2e_letters_drawn() { e2e_check "$(e2e_dark_percent "$1")" '>' 1; }

# Ink below the menu bar, where only the grid is drawn: a board not yet laid out is blank there,
# and a grid of letters at their smallest size still shows.
e2e_grid_drawn() {
    e2e_x import -window "$1" "$E2E_DIR/shot.png" || return 1
    e2e_grid_in "$E2E_DIR/shot.png"
}

# Every glyph below the menu bar of a picture of the board, as a dark blob: "width height left
# top" of each, top measured from 40 pixels down.
e2e_glyphs() {
    convert "$1" -crop +0+40 +repage -colorspace Gray -threshold 50% -negate \
        -define connected-components:verbose=true -define connected-components:area-threshold=8 \
        -connected-components 8 null: | awk '$NF == "gray(255)" { split($2, g, /[x+]/);
            print g[1], g[2], g[3], g[4] }'
}

# The glyphs of the board $1 in $E2E_DIR/glyphs, as e2e_glyphs gives them, once its grid is drawn;
# the picture stays in board.png.
e2e_board_glyphs() {
    e2e_wait 5 "grid on the board" e2e_grid_drawn "$1"
    sleep 0.3 # past the first paint
    e2e_x import -window "$1" "$E2E_DIR/board.png"
    e2e_glyphs "$E2E_DIR/board.png" >"$E2E_DIR/glyphs"
}

# Ink below the menu bar, in a picture of the board.
e2e_grid_in() {
    e2e_check "$(convert "$1" -crop +0+80 +repage -colorspace Gray -threshold 50% -negate \
        -format '%[fx:100*mean]' info:)" '>' 0.05
}
