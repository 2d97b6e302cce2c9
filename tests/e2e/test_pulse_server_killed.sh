#!/usr/bin/env bash
# The sound server dies in the middle of the show: the show goes on drawing,
# silent, until Escape ends it with status 0, with no hang in its tear-down
# and no word on its output. The show runs as tev-test-sync-probe, whose
# log shows the frames it draws.
source "$(dirname "$0")/lib.sh" "$@"

start_pulse
record_monitor "$WORK/monitor.raw"
start_sync_probe "$WORK/probe.log"
wait_for_dialog
click_start
wait_for_drawn_window
window=$SHOW_WINDOW
wait_for_sound "$WORK/monitor.raw" 20
# Waits until the show has drawn a frame at show time SECONDS or later.
wait_for_show_time() {
    local seconds=$1 i now
    for ((i = 0; i < 300; i++)); do
        now=$(awk '$1 == "frame" { t = $3 } END { print t + 0 }' "$WORK/probe.log")
        awk -v t="$now" -v s="$seconds" 'BEGIN { exit !(t >= s) }' && return 0
        kill -0 "$SHOW_PID" 2>/dev/null || fail "the program ended at show time $now"
        sleep 0.1
    done
    fail "no frame drawn at show time $seconds (the last at $now)"
}
wait_for_show_time 5
kill_pulse
stop_recording
# Two seconds more, drawn without the server.
wait_for_show_time 7
hold_key "$window" Escape
wait_exit 20
expect_eq "$EXIT_STATUS" 0 "exit status"
expect_eq "$(cat "$SHOW_OUT")" "" "standard output"
echo PASS
