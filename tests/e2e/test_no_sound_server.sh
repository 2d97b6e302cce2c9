#!/usr/bin/env bash
# No sound server to reach and no SDL_AUDIODRIVER, as on a machine without a
# sound setup: "error on init!" and status 1, with one line on standard error
# that says it is about sound and how to play without it, and little else.
# --no-sound in the same setting plays the show (after the dialog, which it
# does not skip) and Escape ends it with status 0.
source "$(dirname "$0")/lib.sh" "$@"

# A sound card ALSA can open would play the show; this is about having none.
if compgen -G '/dev/snd/pcmC*' >/dev/null; then
    echo "SKIP: this machine has a sound card"
    exit "$SKIPPED"
fi

# No PulseAudio or PipeWire within reach: an empty runtime folder and a
# server address where nothing listens.
RUNTIME=$WORK/runtime
mkdir -m 700 "$RUNTIME"
start_without_server() {
    (cd "$BIN_DIR" && exec env -u SDL_AUDIODRIVER -u PIPEWIRE_REMOTE -u PULSE_CLIENTCONFIG \
        XDG_RUNTIME_DIR="$RUNTIME" PULSE_RUNTIME_PATH="$RUNTIME" \
        PULSE_SERVER="unix:$RUNTIME/no-server" HOME="$RUNTIME" \
        "$BIN_DIR/tev-intro" "$@" >"$SHOW_OUT" 2>"$SHOW_ERR") &
    SHOW_PID=$!
}

start_without_server --windowed
wait_exit 30
expect_eq "$EXIT_STATUS" 1 "exit status without sound output"
expect_eq "$(cat "$SHOW_OUT")" "error on init!" "standard output"
reason=$(grep -c '^tev-intro: no sound output: .*--no-sound' "$SHOW_ERR")
expect_eq "$reason" 1 "lines on standard error naming sound and --no-sound"
grep -q 'no PulseAudio or PipeWire server' "$SHOW_ERR" || fail "the missing server is not named"
# ALSA's own lines (eight of them, before) only repeated that no device opens.
others=$(grep -vc '^tev-intro: no sound output: ' "$SHOW_ERR")
((others < 3)) || fail "$others lines of other chatter on standard error"

start_without_server --no-sound
wait_for_dialog
click_start
wait_for_drawn_window
hold_key "$SHOW_WINDOW" Escape
wait_exit 20
expect_eq "$EXIT_STATUS" 0 "exit status after Escape with --no-sound"
expect_eq "$(cat "$SHOW_OUT")" "" "standard output with --no-sound"
echo PASS
