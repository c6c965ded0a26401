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
# after SECONDS. The limits are what a user would wait before calling the program stuck, far
# longer than any machine takes: a limit measures no speed, and a loaded machine only waits
# longer for the state.
e2e_wait() {
    local limit=$1 what=$2 start=$EPOCHREALTIME
    shift 2
    until "$@" >/dev/null; do
        e2e_check "$(e2e_since "$start")" '<' "$limit" || e2e_fail "no $what after $limit s"
        sleep 0.02
    done
}

# A script that runs Wine in a prefix of its own sets this to the command that reaches that
# prefix's wineserver (e.g. env WINEPREFIX=... wineserver): Wine's processes go on writing into
# the prefix after the program, so they are ended, and waited for, before the folder goes.
E2E_WINESERVER=()

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
    if [ ${#E2E_WINESERVER[@]} -gt 0 ]; then
        "${E2E_WINESERVER[@]}" -k 2>/dev/null || true
        "${E2E_WINESERVER[@]}" -w 2>/dev/null || true
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

# Alt+A, S on the board: the program ends within $1 seconds, with exit code 0.
e2e_salir() {
    e2e_open_menu a
    e2e_key s
    e2e_wait_exit "$1"
    [ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "exit code $E2E_EXIT_CODE"
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
# for "&Archivo"). Once the menu is mapped, Qt hands it every key that reaches the program,
# whichever of its windows X gives them to.
e2e_open_menu() {
    local board
    board=$(e2e_board "${2:-}")
    [ -n "$board" ] || e2e_fail "no board window to open a menu on"
    e2e_focus "$board"
    e2e_key "alt+$1"
    e2e_wait 3 "menu open after Alt+$1" e2e_menu_is_open
}

e2e_board_shown() { [ -n "$(e2e_board)" ]; }
e2e_board_gone() { [ -z "$(e2e_board)" ]; }

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

# The inside of the editor $1's list, on the right half of the editor, as a crop of its picture:
# only the list's items change it.
e2e_list_crop() {
    local width height
    read -r _ _ width height < <(e2e_geometry "$1")
    echo "$((width / 2 - 20))x$((height * 6 / 10))+$((width / 2 + 10))+$((height / 10))"
}

# e2e_type_and_add EDITOR TEXT: in the editor just opened (the focus on "Regresar"), two Tabs
# reach the text box, TEXT is typed and Alt+A adds it; waits for the new item in the list.
e2e_type_and_add() {
    local crop
    crop=$(e2e_list_crop "$1")
    e2e_key Tab Tab
    e2e_x xdotool type --delay 50 "$2"
    e2e_still_shot list "$1" "$crop"
    e2e_key alt+a # the button clicks a moment later
    e2e_wait 3 "new item in the list after Alt+A" e2e_shot_changed list "$1" "$crop"
}

# From the board, as a user adds a message: Alt+A M opens the editor, $1 is typed and added,
# and Alt+R saves and closes the editor.
e2e_add_message() {
    e2e_press_regresar_after "$1"
    e2e_wait 5 "editor closed after Alt+R" e2e_editor_gone
}

# The same up to Alt+R, whatever it then does.
e2e_press_regresar_after() {
    e2e_type_and_add "$(e2e_open_editor)" "$1"
    e2e_key alt+r
}

# The editor from the keyboard alone, over the board $1: Alt+A, M opens it whole on the screen and
# centred over the board; Tab into the list highlights its first message and Alt+Q takes it back
# into the text box; Tab, typing $2 over it and Return add a new one; Alt+R saves and closes.
e2e_editor_keyboard_only() {
    local editor l r t b x y width height bl br bt bb bx by bwidth bheight off_centre off_middle
    local crop
    editor=$(e2e_open_editor)
    # Its frame, title bar and close button included, lies on the screen, centred over the board's.
    e2e_wait 3 "the editor's frame" e2e_frame_extents "$editor"
    read -r l r t b < <(e2e_frame_extents "$editor")
    read -r x y width height < <(e2e_geometry "$editor")
    read -r bl br bt bb < <(e2e_frame_extents "$1")
    read -r bx by bwidth bheight < <(e2e_geometry "$1")
    e2e_log "editor frame $((x - l)),$((y - t)) $((width + l + r))x$((height + t + b))"
    if [ $((x - l)) -lt 0 ] || [ $((y - t)) -lt 0 ] ||
        [ $((x + width + r)) -gt "$E2E_SCREEN_W" ] || [ $((y + height + b)) -gt "$E2E_SCREEN_H" ]; then
        e2e_fail "the editor reaches off the screen"
    fi
    # Twice the distance between the centres; within 2 pixels, a device-independent one at scale 2.
    off_centre=$(((2 * x + width + r - l) - (2 * bx + bwidth + br - bl)))
    off_middle=$(((2 * y + height + b - t) - (2 * by + bheight + bb - bt)))
    if [ "${off_centre#-}" -gt 4 ] || [ "${off_middle#-}" -gt 4 ]; then
        e2e_fail "the editor's frame is not centred over the board's ($off_centre, $off_middle half pixels)"
    fi

    # From "Regresar", Tab enters the list; Alt+Q removes what it highlighted. The button clicks a
    # moment later.
    crop=$(e2e_list_crop "$editor")
    e2e_key Tab
    e2e_still_shot list "$editor" "$crop"
    e2e_key alt+q
    e2e_wait 3 "the item gone from the list after Alt+Q" e2e_shot_changed list "$editor" "$crop"
    # The list to the text box, whose removed text the typing replaces; Return adds.
    e2e_key Tab
    e2e_x xdotool type --delay 30 "$2"
    e2e_key Return
    e2e_app_running || e2e_fail "the program ended"
    [ -n "$(e2e_windows_named '^Mensajes Subliminales$')" ] || e2e_fail "Return closed the editor"
    e2e_key alt+r
    e2e_wait 3 "editor closed after Alt+R" e2e_editor_gone
}

# --- pictures -------------------------------------------------------------------------------

# e2e_shot NAME WINDOW [CROP]: the window (an id, or root), cropped to CROP (WxH+X+Y) if given,
# in $E2E_DIR/NAME.png.
e2e_shot() {
    local crop=()
    [ -z "${3:-}" ] || crop=(-crop "$3" +repage)
    e2e_x import -window "$2" "${crop[@]}" "$E2E_DIR/$1.png" 2>/dev/null
}

# Whether the pictures $E2E_DIR/$1.png and $2.png are the same, pixel for pixel.
e2e_same_pictures() {
    local pixels
    # The number of pixels that differ, on standard error; the status says only whether any do.
    pixels=$(compare -metric AE "$E2E_DIR/$1.png" "$E2E_DIR/$2.png" null: 2>&1) || true
    [[ $pixels =~ ^[0-9]+$ ]] || e2e_fail "no comparison of $1 and $2: $pixels"
    [ "$pixels" -eq 0 ]
}

# A new picture NAME, as e2e_shot takes it, the same as the one before.
e2e_shot_still() {
    [ ! -f "$E2E_DIR/$1.png" ] || mv "$E2E_DIR/$1.png" "$E2E_DIR/$1.before.png"
    e2e_shot "$@" && [ -f "$E2E_DIR/$1.before.png" ] && e2e_same_pictures "$1.before" "$1"
}

# e2e_still_shot NAME WINDOW [CROP]: waits until two pictures in a row are the same, so that
# what the program drew is all on the screen; the last one is NAME.png.
e2e_still_shot() {
    rm -f "$E2E_DIR/$1.png" "$E2E_DIR/$1.before.png"
    e2e_wait 5 "a still picture of window $2" e2e_shot_still "$@"
}

# e2e_shot_changed NAME WINDOW [CROP]: the window differs now from NAME.png.
e2e_shot_changed() { e2e_shot "$1.now" "${@:2}" && ! e2e_same_pictures "$1" "$1.now"; }

# e2e_spy NAME WINDOW PROPERTY...: records every change of the properties of WINDOW (an id or
# "root") to $E2E_DIR/NAME.spy, from the moment this returns. A change prints the property's
# name at the start of a line, then its value.
e2e_spy() {
    local name=$1 window=(-id "$2")
    [ "$2" = root ] && window=(-root)
    shift 2
    # It prints the values it starts with, and only then asks for the changes: it watches once a
    # property of the test's own, set on the window, shows up changed. (A property whose name X
    # does not know yet, xprop would not follow.)
    e2e_x xprop "${window[@]}" -f _E2E_SPY 32c -set _E2E_SPY 0
    xprop -spy "${window[@]}" "$@" _E2E_SPY >"$E2E_DIR/$name.spy" 2>&1 &
    E2E_PIDS+=($!)
    e2e_wait 3 "xprop watching ${window[*]}" e2e_spy_sees "$name" "${window[@]}"
}

E2E_SPY_PINGS=0
e2e_spy_sees() {
    local name=$1
    shift
    E2E_SPY_PINGS=$((E2E_SPY_PINGS + 1))
    e2e_x xprop "$@" -f _E2E_SPY 32c -set _E2E_SPY "$E2E_SPY_PINGS"
    grep -q '^_E2E_SPY(CARDINAL) = [1-9]' "$E2E_DIR/$name.spy"
}

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
# program draws it: in its default font, or as the OPTIONs of tools/text_shown.cpp say.
e2e_shows() {
    local tool=${E2E_TEXT_SHOWN:-$(dirname "$E2E_PROGRAM")/../tests/e2e/tools/e2e_text_shown}
    local status=0
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
# top" of each, top measured from $2 pixels down (40 by default, a menu bar at scale 1).
e2e_glyphs() {
    convert "$1" -crop "+0+${2:-40}" +repage -colorspace Gray -threshold 50% -negate \
        -define connected-components:verbose=true -define connected-components:area-threshold=8 \
        -connected-components 8 null: | awk '$NF == "gray(255)" { split($2, g, /[x+]/);
            print g[1], g[2], g[3], g[4] }'
}

# The glyphs of the board $1 in $E2E_DIR/glyphs, as e2e_glyphs gives them (below $2 pixels),
# once its grid is drawn; the picture stays in board.png.
e2e_board_glyphs() {
    e2e_wait 5 "grid on the board" e2e_grid_drawn "$1"
    e2e_still_shot board "$1"
    e2e_glyphs "$E2E_DIR/board.png" "${2:-}" >"$E2E_DIR/glyphs"
}

# The board $1 shows its 25 letters and 25 hand codes apart, each a blob of its own, in ten rows,
# and none cut by the window's edges. $2: the menu bar's height at most, as for e2e_glyphs.
e2e_check_grid_apart() {
    local top=${2:-40} glyphs rows width height cut
    e2e_board_glyphs "$1" "$top"
    read -r width height < <(identify -format '%w %h\n' "$E2E_DIR/board.png")
    # At 150 and 200 % Wine leaves a strip at the bottom of the window unpainted, black and as
    # wide as the window: its X window is taller than the inside the program is given.
    awk -v w="$width" '$1 < w' "$E2E_DIR/glyphs" >"$E2E_DIR/glyphs.apart"
    mv "$E2E_DIR/glyphs.apart" "$E2E_DIR/glyphs"
    glyphs=$(wc -l <"$E2E_DIR/glyphs")
    rows=$(awk '{ print $4 }' "$E2E_DIR/glyphs" | sort -n |
        awk 'NR == 1 || $1 - top > 5 { rows++ } { top = $1 } END { print rows + 0 }')
    cut=$(awk -v w="$width" -v h=$((height - top)) '$3 == 0 || $3 + $1 >= w || $4 + $2 >= h' \
        "$E2E_DIR/glyphs" | wc -l)
    e2e_log "$glyphs glyphs in $rows rows, $cut of them cut by the window's edges"
    [ "$glyphs" -eq 50 ] || e2e_fail "$glyphs glyphs on the board, expected 25 letters and 25 hands"
    [ "$rows" -eq 10 ] || e2e_fail "the glyphs stand in $rows rows, expected 10"
    [ "$cut" -eq 0 ] || e2e_fail "$cut glyphs cut by the window's edges"
}

# Seconds from $2 (an EPOCHREALTIME) until the board $1 shows its grid, timed when the picture
# that shows it was taken, not when it is read, then the number of pictures taken. Fails after
# $3 seconds.
e2e_grid_delay() {
    local delay look
    for ((look = 1; ; look++)); do
        e2e_x import -window "$1" "$E2E_DIR/look.ppm" || e2e_fail "no picture of the board"
        delay=$(e2e_since "$2")
        e2e_grid_in "$E2E_DIR/look.ppm" && break
        e2e_check "$delay" '<' "$3" || e2e_fail "no grid $3 s after the board appeared"
    done
    echo "$delay $look"
}

# Ink below the menu bar, in a picture of the board.
e2e_grid_in() {
    e2e_check "$(convert "$1" -crop +0+80 +repage -colorspace Gray -threshold 50% -negate \
        -format '%[fx:100*mean]' info:)" '>' 0.05
}

# --- the flash ------------------------------------------------------------------------------

# The flash's label: centred on the board, in its red-brown (RGB 192,64,0).
E2E_FLASH_COLOUR='#c04000'
# The middle of the screen, where the flash shows over the letters: WxH+X+Y.
e2e_middle() { echo "800x200+$((E2E_SCREEN_W / 2 - 400))+$((E2E_SCREEN_H / 2 - 100))"; }

# e2e_watch CROP SECONDS [--until-seen]: looks at CROP (WxH+X+Y of the screen) for SECONDS,
# every few hundredths of a second (tools/screen_watch.cpp): "seconds flash-coloured dark" a
# look in $E2E_DIR/watch, and the first look that shows the flash's colour in
# $E2E_DIR/watch.png; with --until-seen, no further.
e2e_watch() {
    local tool=${E2E_SCREEN_WATCH:-$(dirname "$E2E_PROGRAM")/../tests/e2e/tools/e2e_screen_watch}
    [ -x "$tool" ] || e2e_fail "no screen_watch helper at $tool (CTest sets E2E_SCREEN_WATCH)"
    rm -f "$E2E_DIR/watch.png"
    timeout "$(awk -v s="$2" 'BEGIN { print s + 20 }')" env QT_QPA_PLATFORM=xcb \
        "$tool" --keep "$E2E_DIR/watch.png" "${@:3}" "$1" "$2" "$E2E_FLASH_COLOUR" \
        >"$E2E_DIR/watch" ||
        e2e_fail "screen_watch failed on $1"
    [ -s "$E2E_DIR/watch" ] || e2e_fail "screen_watch took no look"
}

# The flashes of the last watch, "start end" in seconds into it, an end of -1 for one still up
# at the last look. A flash shows its colour or, when its message is empty, hides the letters'
# ink under its grey band: with $1, the dark pixels of the bare board there, that counts too.
e2e_flashes() {
    awk -v bare="${1:-}" '{ up = $2 > 0 || (bare != "" && $3 != bare) }
        up && !was { start = $1 } !up && was { print start, $1 } { was = up }
        END { if (was) print start, -1 }' "$E2E_DIR/watch"
}

# Fails when the last watch saw a flash start, saying when, with $1 (the bare ink, as for
# e2e_flashes) and $2 (what was done before). A flash already up at the first look is one under
# way, which ends on its own: its quarter second, painted late by as much again on a loaded
# machine, well within a second; stuck for a period (1 s in the tests) or more, it fails.
e2e_no_new_flash() {
    local first start end
    first=$(awk 'NR == 1 { print $1 }' "$E2E_DIR/watch")
    while read -r start end; do
        if [ "$start" = "$first" ] && [ "$end" != -1 ] && e2e_check "$end" '<' 1; then
            e2e_log "a flash under way $2 ended $end s into the watch"
            continue
        fi
        e2e_fail "a message flashed $2 ($start s into the watch)"
    done < <(e2e_flashes "$1")
    e2e_log "no flash $2 in $(awk 'END { print $1 }' "$E2E_DIR/watch") s" \
        "($(wc -l <"$E2E_DIR/watch") looks)"
}

# The editor opened while a long active message flashes on the board $1 does not freeze the
# flash: with a period of 1 s, the message keeps coming and going behind the editor, and after
# "Regresar" the program goes on. The message shows left of the editor.
e2e_flash_behind_editor() {
    local side editor starts
    side=300x80+0+$((E2E_SCREEN_H / 2 - 40))
    # A period of 1 s through "Temporizador", then "Activar Mensajes".
    e2e_open_period "$1" >/dev/null
    e2e_enter_period "$1" 1
    e2e_open_menu c
    e2e_key m

    # "Mensajes Subliminales ..." chosen as soon as a message is up.
    e2e_open_menu a
    e2e_watch "$side" 3 --until-seen
    [ -n "$(e2e_flashes)" ] || e2e_fail "no flash in 3 s with a period of 1 s"
    e2e_key m
    editor=$(e2e_wait_editor)

    # Behind the editor the flash comes and goes at its period: in 4 s, three flashes start
    # there, or four; two allow for one that the opening of the editor delayed.
    e2e_watch "$side" 4
    starts=$(e2e_flashes | awk -v first="$(awk 'NR == 1 { print $1 }' "$E2E_DIR/watch")" \
        '$1 != first' | wc -l)
    e2e_log "$starts flashes started behind the editor in 4 s"
    [ "$starts" -ge 2 ] || e2e_fail "the flash froze behind the editor: $starts flashes in 4 s"

    e2e_focus "$editor"
    e2e_key alt+r
    e2e_wait 3 "editor closed by Regresar" e2e_editor_gone
    e2e_watch "$side" 2.5
    [ -n "$(e2e_flashes)" ] || e2e_fail "no flash in 2.5 s after the editor"
    e2e_app_running || e2e_fail "the program ended"
}
