# Shared by the end-to-end tests: runs the calling script under its own X
# server and offers steps that drive the real program with xdotool.
# Usage in a test: source "$(dirname "$0")/lib.sh" "$@"
# TEV_E2E_XVFB_ARGS adds arguments to the server's command line.
# TEV_E2E_SERVER=none (set before sourcing) starts no X server, for a test of
# what needs no display; DISPLAY and WAYLAND_DISPLAY are unset for it.
# TEV_E2E_KEEP=1 keeps the work folder (recordings, the sound server's log,
# the program's output) and names it at the end; a failure then also prints
# where each of the program's threads stands, if gdb is there.

set -uo pipefail
BIN_DIR=$(cd "$1" && pwd)
TEST_DIR=$(cd "$2" && pwd)

# Status of a run whose X server never answered: the server is started anew.
NO_X_SERVER=97
# Status of a test that cannot run here (CTest counts it as skipped).
SKIPPED=77

# Runs the calling script under Xorg with the dummy video driver, whose
# display modes are real (xorg-dummy.conf: a 1920 x 1080 desktop that also
# offers 1024 x 768, 800 x 600 and 640 x 480), and openbox as the window
# manager; a test asks for it with TEV_E2E_SERVER=xorg. The server picks a free display
# number itself (-displayfd). Both are stopped afterwards, however the
# script ends. Xorg runs here only as root, sharing the console
# (-sharevts, -novtswitch) and logging to a file of its own.
XORG_PID=""
WM_PID=""
XORG_DIR=""
run_under_xorg() {
    if [[ $(id -u) != 0 ]]; then
        echo "SKIP: Xorg with the dummy driver needs root here"
        exit "$SKIPPED"
    fi
    local tool
    for tool in Xorg openbox xrandr; do
        command -v "$tool" >/dev/null || { echo "FAIL: no $tool (scripts/deps)" >&2; exit 1; }
    done
    XORG_DIR=$(mktemp -d)
    trap stop_xorg EXIT
    mkdir "$XORG_DIR/conf.d"
    : >"$XORG_DIR/display"
    Xorg -displayfd 3 -config "$(cd "$(dirname "$0")" && pwd)/xorg-dummy.conf" \
        -configdir "$XORG_DIR/conf.d" -noreset -nolisten tcp -sharevts -novtswitch \
        -logfile "$XORG_DIR/xorg.log" 3>"$XORG_DIR/display" >"$XORG_DIR/xorg.out" 2>&1 &
    XORG_PID=$!
    local number="" tries
    for ((tries = 0; tries < 300; tries++)); do
        number=$(head -n 1 "$XORG_DIR/display")
        [[ -n "$number" ]] && break
        kill -0 "$XORG_PID" 2>/dev/null || break
        sleep 0.1
    done
    if [[ -z "$number" ]]; then
        echo "FAIL: Xorg did not start" >&2
        tail -n 20 "$XORG_DIR/xorg.out" "$XORG_DIR/xorg.log" >&2
        exit 1
    fi
    export DISPLAY=":$number"
    openbox >"$XORG_DIR/openbox.log" 2>&1 &
    WM_PID=$!
    for ((tries = 0; tries < 200; tries++)); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.1
    done
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' ||
        { echo "FAIL: openbox did not start" >&2; cat "$XORG_DIR/openbox.log" >&2; exit 1; }
    # For a test that ends the server itself.
    TEV_E2E_XORG_PID=$XORG_PID bash "$0" "$@"
}
stop_xorg() {
    local status=$? pid tries
    if [[ $status != 0 && -f "$XORG_DIR/xorg.log" ]]; then
        echo "--- the end of Xorg's log"
        grep -E '\((EE|WW)\)' "$XORG_DIR/xorg.log" | tail -n 10
    fi
    for pid in $WM_PID $XORG_PID; do
        kill "$pid" 2>/dev/null || continue
        for ((tries = 0; tries < 100; tries++)); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -9 "$pid" 2>/dev/null
    done
    rm -rf "$XORG_DIR"
    exit "$status"
}

if [[ "${TEV_E2E_SERVER:-xvfb}" == none ]]; then
    unset DISPLAY WAYLAND_DISPLAY
elif [[ -z "${TEV_E2E_INSIDE_X:-}" ]]; then
    export TEV_E2E_INSIDE_X=1
    if [[ "${TEV_E2E_SERVER:-xvfb}" == xorg ]]; then
        run_under_xorg "$@"
        exit
    fi
    # -noreset: a server resets when its last client leaves, and a program
    # that connects during the reset (just after the readiness check below)
    # is refused: SDL then finds no X11 and the show has no window.
    for attempt in 1 2 3; do
        xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp -noreset ${TEV_E2E_XVFB_ARGS:-}" \
            bash "$0" "$@"
        status=$?
        [[ $status == "$NO_X_SERVER" ]] || exit "$status"
        echo "the X server did not answer (attempt $attempt)" >&2
    done
    exit 1
fi
# xvfb-run can hand over before its server takes connections, or pick a
# display number another server is just taking: wait until it answers.
if [[ "${TEV_E2E_SERVER:-xvfb}" != none ]]; then
    for _ in $(seq 50); do
        xdpyinfo >/dev/null 2>&1 && break
        sleep 0.1
    done
    xdpyinfo >/dev/null 2>&1 || exit "$NO_X_SERVER"
fi

WORK=$(mktemp -d)
SHOW_PID=""
SHOW_OUT=$WORK/stdout
SHOW_ERR=$WORK/stderr
trap 'cleanup' EXIT

cleanup() {
    if [[ -n "$SHOW_PID" ]] && kill -0 "$SHOW_PID" 2>/dev/null; then kill -9 "$SHOW_PID"; fi
    if [[ -n "${TEV_E2E_KEEP:-}" ]]; then
        echo "the work folder is kept: $WORK" >&2
    else
        rm -rf "$WORK"
    fi
}

fail() {
    echo "FAIL: $*" >&2
    # A test's own account of the failure, if it has one.
    if declare -F on_failure >/dev/null; then on_failure >&2; fi
    if [[ -n "${TEV_E2E_KEEP:-}" && -n "$SHOW_PID" ]] && kill -0 "$SHOW_PID" 2>/dev/null &&
        command -v gdb >/dev/null; then
        echo "--- where the program's threads stand"
        timeout 60 gdb -p "$SHOW_PID" -batch -ex 'thread apply all bt' 2>&1 | grep -E '^(#|Thread)'
    fi
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

# Runs COMMAND... every 0.1 s until it succeeds. Fails when SECONDS pass
# first, or as soon as the show, if one was started, has ended without the
# command succeeding.
wait_until() {
    local seconds=$1 what=$2
    shift 2
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        if [[ -n "$SHOW_PID" ]] && ! kill -0 "$SHOW_PID" 2>/dev/null; then
            "$@" && return 0
            fail "the program ended while waiting for $what"
        fi
        ((SECONDS < deadline)) || fail "waited ${seconds}s for $what in vain"
        sleep 0.1
    done
}

# Sets SHOW_WINDOW to the show's visible window if there is one other than
# the given id. The setup dialog has the program's class too, and is known
# by its name (a window gone meanwhile has none).
SHOW_WINDOW=""
find_show_window() {
    local id name
    for id in $(xdotool search --onlyvisible --classname '^tev-intro$' 2>/dev/null); do
        name=$(window_name "$id" 2>/dev/null) || continue
        if [[ "$id" != "$1" && "$name" != "tev :: setup" ]]; then
            SHOW_WINDOW=$id
            return 0
        fi
    done
    return 1
}

# Prints the id of the show's visible window once there is one other than
# the given id.
wait_for_show_window() {
    wait_until 60 "a show window" find_show_window "${1:-none}"
    echo "$SHOW_WINDOW"
}

# Sets SHOW_WINDOW to the show's window other than the given id once that
# window is mapped and the show has drawn frames in it.
wait_for_drawn_window() {
    wait_until 60 "a show window" find_show_window "${1:-none}"
    wait_for_frame "$SHOW_WINDOW"
}

# X queries inside the waits are bounded too: a wait must end even when a
# query cannot.
window_viewable() { timeout 10 xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
window_gone() { ! window_viewable "$1"; }

# A digest of the pixels in a 64 x 64 square at the middle of window ID and
# their largest channel value (0 to 1); nothing once the window is gone. The
# show fades in over the whole picture, so its middle is lit as soon as any
# of it is; a small square keeps each look cheap on a busy machine, where a
# whole 1920 x 1080 window can take longer than the wait allows.
window_picture() {
    local width="" height=""
    read -r width height < <(timeout 10 xwininfo -id "$1" 2>/dev/null |
        awk '/^  Width:/ { w = $2 } /^  Height:/ { h = $2 } END { print w, h }')
    [[ -n "$width" && -n "$height" ]] || return 1
    local side=64
    ((width < side)) && side=$width
    ((height < side)) && side=$height
    timeout 20 import -silent -window "$1" \
        -crop "${side}x${side}+$(((width - side) / 2))+$(((height - side) / 2))" \
        -format '%# %[fx:maxima]' info: 2>/dev/null
}

# Waits until window ID is mapped and shows a picture other than the one it
# showed then, and not all black. A new window is black, and so is the
# show's first frame, at t = 0 under the black fade-in; every later frame
# lets some of the scene through.
FIRST_PICTURE=""
wait_for_frame() {
    wait_until 60 "window $1 mapped" window_viewable "$1"
    FIRST_PICTURE=$(window_picture "$1" | cut -d' ' -f1)
    wait_until 60 "a frame drawn in window $1" frame_drawn "$1"
}
frame_drawn() {
    local signature maximum
    read -r signature maximum <<<"$(window_picture "$1")"
    [[ -n "$maximum" && "$maximum" != 0 && "$signature" != "$FIRST_PICTURE" ]]
}

# Saves what window ID shows as a PNG file.
screenshot() { timeout 20 import -silent -window "$1" "$2" 2>/dev/null; }

# The share (0 to 1) of the pixels of an image, within WxH+X+Y, for which
# the ImageMagick -fx expression is true.
pixel_share() { convert "$1" -crop "$2" +repage -fx "($3) ? 1 : 0" -format '%[fx:mean]' info:; }

# The share (0 to 1) of the pixels of an image, within WxH+X+Y, whose
# brightest channel is below 2 %: black, give or take a little filtering.
black_share() {
    convert "$1" -crop "$2" +repage -separate -evaluate-sequence max -threshold 2% \
        -format '%[fx:1 - mean]' info:
}

# Waits until an SDL disk-audio file holds SECONDS (whole) of sound after
# its first FROM bytes: the music plays.
wait_for_audio() {
    local file=$1 seconds=$2 from=${3:-0}
    wait_until 60 "${seconds}s of sound in $file" \
        file_size_reached "$file" $((from + seconds * 44100 * 4))
}
file_size_reached() { (($(stat -c %s "$1" 2>/dev/null || echo 0) >= $2)); }

# "WIDTHxHEIGHT+X+Y" of a window's client area.
window_geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
        /^  Width/{w=$NF} /^  Height/{h=$NF} END{print w "x" h "+" x "+" y}'
}

window_name() { xprop -id "$1" WM_NAME | sed -e 's/^[^"]*"//' -e 's/"$//'; }

# Holds KEY down with the pointer over window ID until the window is gone,
# pressing it anew every 3 s. The show reads keys only in a drawn frame, and
# a frame can take long on a busy machine. The key goes up the moment the
# window is unmapped (tev-test-hold-key), before the show's next window can
# take the focus and see it still down.
hold_key() {
    local id=$1 key=$2
    eval "$(xdotool getwindowgeometry --shell "$id")"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
    "$TEST_DIR/tev-test-hold-key" "$id" "$key" 60 ||
        fail "waited 60s for the program to react to $key in vain"
}

# True when the awk expression holds (numbers with fractions).
holds() { awk "BEGIN { exit !($1) }"; }

expect_eq() {
    [[ "$1" == "$2" ]] || fail "$3: expected '$2', got '$1'"
}

# "fullscreen" when the window is in the fullscreen state or has the
# fullscreen styles (no frame, kept above others), "windowed" otherwise.
window_mode() {
    local hints state
    hints=$(xprop -id "$1" _MOTIF_WM_HINTS | sed 's/.*= //')
    state=$(xprop -id "$1" _NET_WM_STATE)
    if [[ "$state" == *_NET_WM_STATE_FULLSCREEN* ||
        ("$hints" == "0x2, 0x0, 0x0"* && "$state" == *_NET_WM_STATE_ABOVE*) ]]; then
        echo fullscreen
    else
        echo windowed
    fi
}

# As start_show, from the programs' folder, with ARGS for tev-intro.
start_show_with() {
    (cd "$BIN_DIR" && SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} exec "$BIN_DIR/tev-intro" "$@" \
        >"$SHOW_OUT" 2>"$SHOW_ERR") &
    SHOW_PID=$!
}

# The display's mode as WIDTHxHEIGHT: that of its connected output, when
# the screen has the same size, else "output WxH, screen WxH".
display_mode() {
    local output screen
    output=$(xrandr 2>/dev/null | awk '/ connected/ {
        for (i = 3; i <= NF; i++) if (split($i, part, "+") == 3) { print part[1]; exit } }')
    screen=$(xdpyinfo 2>/dev/null | awk '/dimensions:/ { print $2; exit }')
    if [[ "$output" == "$screen" ]]; then
        echo "$output"
    else
        echo "output $output, screen $screen"
    fi
}
display_mode_is() { [[ "$(display_mode)" == "$1" ]]; }

# Waits until the display's mode is WIDTHxHEIGHT, within SECONDS (20),
# whether or not the show still runs.
wait_for_display_mode() {
    local deadline=$((SECONDS + ${2:-20}))
    until display_mode_is "$1"; do
        ((SECONDS < deadline)) || fail "the display is at $(display_mode), not at $1"
        sleep 0.1
    done
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
#
# With TEV_SOUND_SERVER=pipewire, start_pulse starts PipeWire's PulseAudio
# server in its place (see start_pipewire): the same socket, sink and
# monitor, so every test that plays through PulseAudio runs unchanged.
PULSE_DIR=""
PULSE_PID=""
PIPEWIRE_PIDS=""
RECORD_PID=""
PAREC_PID=""
start_pulse() {
    if [[ "${TEV_SOUND_SERVER:-pulseaudio}" == pipewire ]]; then
        start_pipewire
        return
    fi
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

# A private PipeWire (Debian 12's desktop default) with its session manager
# WirePlumber and its PulseAudio server pipewire-pulse, headless and as root:
# its own runtime and config folders, no D-Bus (WirePlumber's device
# reservation and portal access need one, and no device is there to
# reserve), the graph clocked at 44100 Hz so that nothing is resampled and
# run in periods of PIPEWIRE_PERIOD frames (what the monitor's recording asks
# for in any case), and a null sink "tev" made through the PulseAudio server.
# PULSE_PID is pipewire-pulse, the process the show talks to.
PIPEWIRE_PERIOD=1024
start_pipewire() {
    local tool
    for tool in pipewire wireplumber pipewire-pulse; do
        command -v "$tool" >/dev/null || { echo "FAIL: no $tool (scripts/deps)" >&2; exit 1; }
    done
    PULSE_DIR=$WORK/pulse
    local config=$PULSE_DIR/config
    mkdir -p -m 700 "$PULSE_DIR" "$PULSE_DIR/runtime" "$config/pipewire/pipewire.conf.d" \
        "$config/pipewire/pipewire-pulse.conf.d" "$config/wireplumber/main.lua.d"
    printf '%s\n' 'context.properties = {' '    default.clock.rate = 44100' \
        '    default.clock.allowed-rates = [ 44100 ]' \
        "    default.clock.quantum = $PIPEWIRE_PERIOD" \
        "    default.clock.min-quantum = $PIPEWIRE_PERIOD" \
        "    default.clock.max-quantum = $PIPEWIRE_PERIOD" '    support.dbus = false' '}' \
        >"$config/pipewire/pipewire.conf.d/tev.conf"
    printf '%s\n' 'context.properties = { support.dbus = false }' \
        >"$config/pipewire/pipewire-pulse.conf.d/tev.conf"
    printf '%s\n' 'alsa_monitor.enabled = false' \
        'alsa_monitor.properties["alsa.reserve"] = false' 'v4l2_monitor.enabled = false' \
        'libcamera_monitor.enabled = false' \
        'default_access.properties["enable-flatpak-portal"] = false' \
        >"$config/wireplumber/main.lua.d/51-tev.lua"
    printf 'autospawn = no\n' >"$PULSE_DIR/client.conf"
    export XDG_RUNTIME_DIR=$PULSE_DIR PULSE_RUNTIME_PATH=$PULSE_DIR/runtime
    export PULSE_CLIENTCONFIG=$PULSE_DIR/client.conf PULSE_SERVER=unix:$PULSE_DIR/runtime/native
    export SDL_AUDIODRIVER=pulseaudio
    trap 'stop_pulse; cleanup' EXIT
    # A desktop runs PipeWire's graph at raised priority through RTKit, which
    # needs the session bus this harness has not. Where it may (as root), the
    # harness gives the servers the nice level PulseAudio's high-priority
    # setting takes (-11), so that the rest of a busy machine's work does not
    # make the graph miss its periods.
    local -a priority=()
    if [[ $(nice -n -11 nice 2>/dev/null) == -11 ]]; then priority=(nice -n -11); fi
    local -a server_env=("${priority[@]}" env -u DISPLAY HOME="$PULSE_DIR"
        XDG_CONFIG_HOME="$config"
        DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent)
    "${server_env[@]}" pipewire >"$PULSE_DIR/pipewire.log" 2>&1 &
    PIPEWIRE_PIDS=$!
    local i
    for ((i = 0; i < 100; i++)); do
        [[ -S "$PULSE_DIR/pipewire-0" ]] && break
        sleep 0.1
    done
    "${server_env[@]}" wireplumber >"$PULSE_DIR/wireplumber.log" 2>&1 &
    PIPEWIRE_PIDS="$PIPEWIRE_PIDS $!"
    "${server_env[@]}" pipewire-pulse >"$PULSE_DIR/log" 2>&1 &
    PULSE_PID=$!
    for ((i = 0; i < 100; i++)); do
        pactl info >/dev/null 2>&1 && break
        sleep 0.1
    done
    pactl load-module module-null-sink sink_name=tev rate=44100 format=s16le channels=2 \
        >/dev/null 2>&1
    for ((i = 0; i < 100; i++)); do
        pactl list short sinks 2>/dev/null | grep -q $'^[0-9]*\ttev\t' &&
            pactl set-default-sink tev && return 0
        sleep 0.1
    done
    fail "PipeWire did not start: $(tail -n 5 "$PULSE_DIR"/*.log 2>/dev/null)"
}

# Stops the recording and the server, and waits for both.
stop_pulse() {
    stop_recording
    local pid
    for pid in $PULSE_PID $PIPEWIRE_PIDS; do
        kill -CONT "$pid" 2>/dev/null
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    PULSE_PID=""
    PIPEWIRE_PIDS=""
}

# Kills the server at once, as a crash would (the socket stays behind).
kill_pulse() {
    kill -9 "$PULSE_PID" 2>/dev/null
    wait "$PULSE_PID" 2>/dev/null
    PULSE_PID=""
}

# Collects what SDL's disk audio driver writes into FILE, whatever the
# number of display cycles: the driver truncates its file each time a cycle
# opens the device, so it writes into a FIFO that one reader drains into
# FILE. A writer that writes nothing (DISK_AUDIO_HOLDER) keeps the FIFO from
# reaching an end between cycles; once it is killed after the show, the
# reader (DISK_AUDIO_READER) ends when it has drained the FIFO. Sets
# SDL_DISKAUDIOFILE; the EXIT trap stops both.
DISK_AUDIO_READER=""
DISK_AUDIO_HOLDER=""
collect_disk_audio() {
    local file=$1
    mkfifo "$WORK/audio.fifo"
    cat "$WORK/audio.fifo" >"$file" &
    DISK_AUDIO_READER=$!
    sleep infinity >"$WORK/audio.fifo" &
    DISK_AUDIO_HOLDER=$!
    trap 'kill "$DISK_AUDIO_READER" "$DISK_AUDIO_HOLDER" 2>/dev/null; cleanup' EXIT
    export SDL_DISKAUDIOFILE=$WORK/audio.fifo
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

# Waits until the recording of FILE has begun (its first bytes written: the
# monitor of PulseAudio's null sink gives silence while nothing plays), so
# that what plays next is recorded from its first sample; fails after
# SECONDS (default 10).
wait_for_recording() {
    local file=$1 seconds=${2:-10} i
    for ((i = 0; i < seconds * 10; i++)); do
        [[ -s "$file" ]] && return 0
        sleep 0.1
    done
    fail "the monitor's recording did not begin within ${seconds}s: $(cat "$file.parec-err")"
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

# Presses F1 in window ID until the window is gone, then waits for the new
# cycle's window with a frame drawn in it (SHOW_WINDOW).
toggle_display_mode() {
    hold_key "$1" F1
    wait_for_drawn_window "$1"
}
