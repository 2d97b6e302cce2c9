#!/usr/bin/env bash
# The sound server dies during a display cycle and is not started again: the
# next cycle (F1) finds no sound output, prints "error on init!" and the
# program exits with status 1, as when there is no sound device at all.
source "$(dirname "$0")/lib.sh" "$@"

start_pulse
record_monitor "$WORK/monitor.raw"
start_show
wait_for_dialog
click_start
wait_for_drawn_window
window=$SHOW_WINDOW
wait_for_sound "$WORK/monitor.raw" 20
kill_pulse
hold_key "$window" F1
wait_exit 20
expect_eq "$EXIT_STATUS" 1 "exit status"
expect_eq "$(cat "$SHOW_OUT")" "error on init!" "standard output"
echo PASS
