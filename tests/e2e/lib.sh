# Shared by the end-to-end tests: runs the calling script under its own X
# server and offers steps that drive the real program with xdotool.
# Usage in a test: source "$(dirname "$0")/lib.sh" "$@"

set -uo pipefail
BIN_DIR=$(cd "$1" && pwd)
TEST_DIR=$(cd "$2" && pwd)

# Status of a run whose X server never answered: the server is started anew.
NO_X_SERVER=97
if [[ -z "${TEV_E2E_INSIDE_X:-}" ]]; then
    export TEV_E2E_INSIDE_X=1
    for attempt in 1 2 3; do
        xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" bash "$0" "$@"
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

# A private PulseAudio server, for the tests that play through a real sound
# server: its own runtime folder, one null sink "tev" (44100 Hz, 16-bit
# stereo) whose monitor can be recorded, the local socket only (no network
# modules), no autospawn, and no D-Bus or X11 modules. Works as root, as in
# CI. start_pulse also makes the EXIT trap stop it; the show started after
# it plays through it. Shared memory is off: the server cannot pass one
# client's memfd blocks on to another (PulseAudio issue 824) and copies them
# anyway, with an error in its log. TEV_PULSE_LOG_OPTS adds options such as
# "--log-level=debug --log-time=1" to the server's log.
PULSE_DIR=""
PULSE_PID=""
RECORD_PID=""
PAREC_PID=""
start_pulse() {
    PULSE_DIR=$WORK/pulse
    mkdir -p -m 700 "$PULSE_DIR" "$PULSE_DIR/runtime" "$PULSE_DIR/state"
    printf 'autospawn = no\nenable-shm = no\n' >"$PULSE_DIR/client.conf"
    export XDG_RUNTIME_DIR=$PULSE_DIR PULSE_RUNTIME_PATH=$PULSE_DIR/runtime
    export PULSE_STATE_PATH=$PULSE_DIR/state PULSE_CLIENTCONFIG=$PULSE_DIR/client.conf
    export PULSE_SERVER=unix:$PULSE_DIR/native SDL_AUDIODRIVER=pulseaudio
    trap 'stop_pulse; cleanup' EXIT
    # No session bus and no display for the server: it would try to start one.
    env -u DISPLAY HOME="$PULSE_DIR" DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent \
        pulseaudio -n --daemonize=no --disable-shm=yes --use-pid-file=no --exit-idle-time=-1 \
        --log-target=file:"$PULSE_DIR/log" ${TEV_PULSE_LOG_OPTS:-} \
        -L "module-null-sink sink_name=tev rate=44100 format=s16le channels=2" \
        -L "module-native-protocol-unix auth-anonymous=1 socket=$PULSE_DIR/native" &
    PULSE_PID=$!
    local i
    for ((i = 0; i < 100; i++)); do
        pactl list short sinks 2>/dev/null | grep -q $'^[0-9]*\ttev\t' && return 0
        kill -0 "$PULSE_PID" 2>/dev/null || break
        sleep 0.1
    done
    fail "the PulseAudio server did not start: $(cat "$PULSE_DIR/log" 2>/dev/null)"
}

# Stops the recording and the server, and waits for both.
stop_pulse() {
    stop_recording
    if [[ -n "$PULSE_PID" ]]; then
        kill "$PULSE_PID" 2>/dev/null
        wait "$PULSE_PID" 2>/dev/null
        PULSE_PID=""
    fi
}

# Kills the server at once, as a crash would (the socket stays behind).
kill_pulse() {
    kill -9 "$PULSE_PID" 2>/dev/null
    wait "$PULSE_PID" 2>/dev/null
    PULSE_PID=""
}

# Records the sink's monitor into FILE (16-bit stereo at 44100 Hz), with the
# arrival times of its pieces in FILE.stamps (see stamp_audio.cpp). The null
# sink gives its monitor sound only while a stream plays on it, so the quiet
# between two streams is not in the file. The recording asks for a latency
# above the sink's own: a lower one would make the sink take sound in smaller
# blocks than the show's stream alone does.
record_monitor() {
    local file=$1
    mkfifo "$file.fifo"
    "$TEST_DIR/tev-test-stamp-audio" "$file" "$file.stamps" <"$file.fifo" &
    RECORD_PID=$!
    parec -d tev.monitor --raw --format=s16le --rate=44100 --channels=2 \
        --latency-msec=25 >"$file.fifo" 2>"$file.parec-err" &
    PAREC_PID=$!
}

# Ends the recording; the files are complete when it returns.
stop_recording() {
    if [[ -n "$PAREC_PID" ]]; then
        kill "$PAREC_PID" 2>/dev/null
        wait "$PAREC_PID" 2>/dev/null
        PAREC_PID=""
    fi
    if [[ -n "$RECORD_PID" ]]; then
        wait "$RECORD_PID" 2>/dev/null
        RECORD_PID=""
    fi
}

# Waits until FILE holds sound (any sample not zero); fails after SECONDS.
wait_for_sound() {
    local file=$1 seconds=${2:-20} i
    for ((i = 0; i < seconds * 10; i++)); do
        [[ $(tr -d '\0' <"$file" | head -c 1 | wc -c) == 1 ]] && return 0
        kill -0 "$SHOW_PID" 2>/dev/null || fail "the program ended before its music was heard"
        sleep 0.1
    done
    fail "no sound at the monitor within ${seconds}s"
}

# Starts the show as start_show does, but as tev-test-sync-probe, which
# notes where the show clock stands in LOG (see sync_probe.cpp).
start_sync_probe() {
    local log=$1
    (cd "$BIN_DIR" && SDL_VIDEO_X11_WMCLASS=tev-intro \
        exec "$TEST_DIR/tev-test-sync-probe" "$log" >"$SHOW_OUT" 2>"$SHOW_ERR") &
    SHOW_PID=$!
}

# The latency the sink "tev" is configured to, in milliseconds, while a
# stream plays on it: how far ahead of playing it takes sound from the
# server (and hands it to its monitor).
sink_latency_ms() {
    pactl list sinks | awk '$1 == "Name:" { sink = $2 }
        sink == "tev" && $1 == "Latency:" { print $(NF - 1) / 1000; exit }'
}

# Presses F1 on the show's window WINDOW and prints the id of the window of
# the next display cycle. F1 acts only in a drawn frame, so a press that came
# too early is made again, three times in all; prints nothing when no new
# window came.
toggle_display_mode() {
    local window=$1 attempt i id
    for attempt in 1 2 3; do
        hold_key "$window" F1
        for ((i = 0; i < 100; i++)); do
            for id in $(xdotool search --onlyvisible --classname '^tev-intro$' 2>/dev/null); do
                if [[ "$id" != "$window" ]]; then
                    echo "$id"
                    return 0
                fi
            done
            sleep 0.1
        done
    done
}
