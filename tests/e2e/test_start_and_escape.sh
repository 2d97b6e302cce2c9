#!/usr/bin/env bash
# Pressing start untouched opens "tev :: intro" with a 640 x 480 client
# area; Escape ends the program with status 0.
source "$(dirname "$0")/lib.sh" "$@"

start_show
wait_for_dialog
click_start
wait_for_drawn_window
window=$SHOW_WINDOW
expect_eq "$(window_name "$window")" "tev :: intro" "window title"
expect_eq "$(window_geometry "$window" | cut -d+ -f1)" "640x480" "client area"
hold_key "$window" Escape
wait_exit 20
expect_eq "$EXIT_STATUS" 0 "exit status after Escape"
echo PASS
