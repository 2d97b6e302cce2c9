#!/usr/bin/env bash
# A signal the show was started with ignored stays ignored: under nohup a
# SIGHUP, and in a script's background job (SIGINT ignored by the parent) a
# SIGINT, leave the show running and drawing; the signals it was not told
# to ignore still end it with 128 + N, and Escape with 0.
source "$(dirname "$0")/lib.sh" "$@"

# As start_show_with, through WRAPPER... (which execs the show in turn).
start_wrapped() {
    (cd "$BIN_DIR" && SDL_AUDIODRIVER=dummy exec "$@" >"$SHOW_OUT" 2>"$SHOW_ERR") &
    SHOW_PID=$!
}

# The show's mask FIELD (SigIgn, SigCgt) in /proc/PID/status has signal N.
signal_in_mask() {
    local mask
    mask=$(awk -v field="$1:" '$1 == field { print $2 }' "/proc/$SHOW_PID/status")
    (((0x$mask >> ($2 - 1)) & 1))
}

# Sends SIGNAL and checks that the show goes on: alive a second later, and
# still drawing new frames.
expect_show_goes_on() {
    local signal=$1
    kill -"$signal" "$SHOW_PID"
    sleep 1
    kill -0 "$SHOW_PID" 2>/dev/null || { wait_exit 1; fail "SIG$signal ended the show: $EXIT_STATUS"; }
    FIRST_PICTURE=$(window_picture "$SHOW_WINDOW" | cut -d' ' -f1)
    wait_until 60 "a frame drawn after SIG$signal" frame_drawn "$SHOW_WINDOW"
}

HUP=1 INT=2 TERM=15

start_wrapped nohup "$BIN_DIR/tev-intro" --windowed
wait_for_drawn_window
signal_in_mask SigIgn "$HUP" || fail "under nohup: SIGHUP not ignored"
signal_in_mask SigCgt "$HUP" && fail "under nohup: SIGHUP caught"
signal_in_mask SigCgt "$TERM" || fail "under nohup: SIGTERM not caught"
expect_show_goes_on HUP
hold_key "$SHOW_WINDOW" Escape
wait_exit 20
expect_eq "$EXIT_STATUS" 0 "under nohup, Escape after SIGHUP"
echo "nohup: SIGHUP ignored, the show went on; Escape gave 0"

# What a non-interactive shell does for a background job.
start_wrapped env --ignore-signal=INT "$BIN_DIR/tev-intro" --windowed
wait_for_drawn_window
signal_in_mask SigCgt "$INT" && fail "SIGINT ignored by the parent: caught"
signal_in_mask SigCgt "$HUP" || fail "SIGINT ignored by the parent: SIGHUP not caught"
expect_show_goes_on INT
kill -TERM "$SHOW_PID"
wait_exit 20
expect_eq "$EXIT_STATUS" 143 "SIGTERM after an ignored SIGINT"
echo "SIGINT ignored by the parent: the show went on; SIGTERM gave 143"

# The show's own background job under sh: the same, as the shell sets it up.
start_wrapped sh -c 'exec "$0" --windowed & wait' "$BIN_DIR/tev-intro"
wrapper=$SHOW_PID
SHOW_PID=""
wait_until 30 "the show under sh" eval 'SHOW_PID=$(pgrep -P "$wrapper" -x tev-intro)'
wait_for_drawn_window
expect_show_goes_on INT
hold_key "$SHOW_WINDOW" Escape
SHOW_PID=$wrapper
wait_exit 20
expect_eq "$EXIT_STATUS" 0 "the sh job after SIGINT and Escape"
echo "a background job of sh: SIGINT ignored, the show went on; Escape gave 0"
echo PASS
