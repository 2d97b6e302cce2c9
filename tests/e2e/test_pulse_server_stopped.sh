#!/usr/bin/env bash
# The sound server has stopped (SIGSTOP) when the show starts: it takes
# connections and never answers. Set-up waits for it no longer than 4 s and
# then says "error on init!" and ends with status 1; while it waits, the
# window still takes its events: Escape ends the show with status 0 and
# SIGTERM with 143, each at once. The server goes on again between runs, so
# each run starts on a server that has just stopped.
source "$(dirname "$0")/lib.sh" "$@"

BOUND=4
start_pulse
pactl_answers() { timeout 5 pactl info >/dev/null 2>&1; }

# Starts the show on the stopped server and waits for its window.
start_on_stopped_server() {
    kill -STOP "$PULSE_PID"
    start_show_with --size 640x480 --windowed
    wait_until 60 "a show window" find_show_window none
    wait_until 60 "window $SHOW_WINDOW mapped" window_viewable "$SHOW_WINDOW"
    STARTED=$SECONDS
}

# Waits until the show has ended, within SECONDS, and checks how it ended.
expect_end() {
    local seconds=$1 status=$2 output=$3 what=$4
    wait_exit "$seconds"
    kill -CONT "$PULSE_PID"
    expect_eq "$EXIT_STATUS" "$status" "exit status $what"
    expect_eq "$(cat "$SHOW_OUT")" "$output" "standard output $what"
    echo "$what: status $EXIT_STATUS after $((SECONDS - STARTED)) s"
}

start_on_stopped_server
sleep 1
kill -TERM "$SHOW_PID"
expect_end 2 143 "" "SIGTERM while waiting"

start_on_stopped_server
sleep 1
hold_key "$SHOW_WINDOW" Escape
expect_end 5 0 "" "Escape while waiting"

start_on_stopped_server
# The window appears before set-up starts to wait: a little more than the
# bound, as set-up's other steps come first.
expect_end $((BOUND + 6)) 1 "error on init!" "no answer"

# And once it runs again, the show plays on it.
wait_until 20 "the server to answer again" pactl_answers
record_monitor "$WORK/monitor.raw"
start_show_with --size 640x480 --windowed
wait_for_drawn_window
wait_for_sound "$WORK/monitor.raw" 20
hold_key "$SHOW_WINDOW" Escape
wait_exit 20
expect_eq "$EXIT_STATUS" 0 "exit status on the running server"
echo PASS
