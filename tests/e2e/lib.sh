# Shared by the end-to-end tests: runs the calling script under its own X
# server and offers steps that drive the real program with xdotool.
# Usage in a test: source "$(dirname "$0")/lib.sh" "$@"
# TEV_E2E_XVFB_ARGS adds arguments to the server's command line.

set -uo pipefail
BIN_DIR=$(cd "$1" && pwd)
TEST_DIR=$(cd "$2" && pwd)

# Status of a run whose X server never answered: the server is started anew.
NO_X_SERVER=97
if [[ -z "${TEV_E2E_INSIDE_X:-}" ]]; then
    export TEV_E2E_INSIDE_X=1
    for attempt in 1 2 3; do
        xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp ${TEV_E2E_XVFB_ARGS:-}" \
            bash "$0" "$@"
        status=$?
        [[ $status == "$NO_X_SERVER" ]] || exit "$status"
        echo "the X server did not answer (attempt $attempt)" >&2
    done
    exit 1
fi
# xvfb-run can hand over before its server takes connections, or pick a
# display number another server is just taking: wait until it answers.
for _ in $(seq 50); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
done
xdpyinfo >/dev/null 2>&1 || exit "$NO_X_SERVER"

WORK=$(mktemp -d)
SHOW_PID=""
SHOW_OUT=$WORK/stdout
SHOW_ERR=$WORK/stderr
trap 'cleanup' EXIT

cleanup() {
    if [[ -n "$SHOW_PID" ]] && kill -0 "$SHOW_PID" 2>/dev/null; then kill -9 "$SHOW_PID"; fi
    rm -rf "$WORK"
}

fail() {
    echo "FAIL: $*" >&2
    if [[ -f "$SHOW_OUT" ]]; then echo "--- stdout"; cat "$SHOW_OUT"; fi
    if [[ -f "$SHOW_ERR" ]]; then echo "--- stderr"; cat "$SHOW_ERR"; fi
    exit 1
}

# Starts tev-intro from DIR (default: the programs' folder) with a silent
# audio driver unless the caller set one.
start_show() {
    local dir=${1:-$BIN_DIR}
    (cd "$dir" && SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} exec "$BIN_DIR/tev-intro" \
        >"$SHOW_OUT" 2>"$SHOW_ERR") &
    SHOW_PID=$!
}

# Waits until the process ends and sets EXIT_STATUS; fails after SECONDS.
EXIT_STATUS=""
wait_exit() {
    local seconds=${1:-20}
    local waited=0
    while kill -0 "$SHOW_PID" 2>/dev/null; do
        sleep 0.1
        waited=$((waited + 1))
        if ((waited > seconds * 10)); then fail "the program did not end within ${seconds}s"; fi
    done
    wait "$SHOW_PID"
    EXIT_STATUS=$?
    SHOW_PID=""
}

DIALOG=""
wait_for_dialog() {
    DIALOG=$(timeout 20 xdotool search --sync --onlyvisible --name '^tev :: setup$' | head -n 1)
    [[ -n "$DIALOG" ]] || fail "no setup dialog appeared"
}

# Clicks the middle of the dialog control at x, y, w, h in dialog units
# (the dialog is 227 x 103 units).
click_dialog_control() {
    local x=$1 y=$2 w=$3 h=$4
    eval "$(xdotool getwindowgeometry --shell "$DIALOG")"
    local px=$((X + (2 * x + w) * WIDTH / (2 * 227)))
    local py=$((Y + (2 * y + h) * HEIGHT / (2 * 103)))
    xdotool mousemove "$px" "$py" click 1
}

click_start() { click_dialog_control 131 57 39 11; }
click_quit() { click_dialog_control 176 57 41 11; }

# Prints the id of the show's visible window once there is one other than
# the given id.
wait_for_show_window() {
    local previous=${1:-none}
    local i
    for i in $(seq 1 200); do
        local id
        for id in $(xdotool search --onlyvisible --classname '^tev-intro$' 2>/dev/null); do
            if [[ "$id" != "$previous" ]]; then
                echo "$id"
                return 0
            fi
        done
        sleep 0.1
    done
    fail "no show window appeared"
}

# "WIDTHxHEIGHT+X+Y" of a window's client area.
window_geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
        /^  Width/{w=$NF} /^  Height/{h=$NF} END{print w "x" h "+" x "+" y}'
}

window_name() { xprop -id "$1" WM_NAME | sed -e 's/^[^"]*"//' -e 's/"$//'; }

# Holds KEY down for a moment with the pointer over the window, so that
# frames are drawn while it is down.
hold_key() {
    local id=$1 key=$2
    eval "$(xdotool getwindowgeometry --shell "$id")"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
    xdotool keydown "$key"
    sleep 0.25
    xdotool keyup "$key"
}

expect_eq() {
    [[ "$1" == "$2" ]] || fail "$3: expected '$2', got '$1'"
}

# "fullscreen" when the window has the fullscreen styles (no frame, kept
# above others), "windowed" otherwise. Xvfb has a single screen mode, so a
# fullscreen window there keeps these styles at its requested size.
window_mode() {
    local hints state
    hints=$(xprop -id "$1" _MOTIF_WM_HINTS | sed 's/.*= //')
    state=$(xprop -id "$1" _NET_WM_STATE)
    if [[ "$hints" == "0x2, 0x0, 0x0"* && "$state" == *_NET_WM_STATE_ABOVE* ]]; then
        echo fullscreen
    else
        echo windowed
    fi
}
