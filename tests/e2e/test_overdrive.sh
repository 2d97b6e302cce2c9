#!/usr/bin/env bash
# "*Yes*MaximumOverdrive" forces 800 x 600 fullscreen whatever else is
# chosen; Enter presses the start button.
source "$(dirname "$0")/lib.sh" "$@"

start_show
wait_for_dialog
click_dialog_control 128 33 92 10   # the override box
eval "$(xdotool getwindowgeometry --shell "$DIALOG")"
xdotool mousemove $((X + 5)) $((Y + 5)) key Return
wait_for_drawn_window
window=$SHOW_WINDOW
expect_eq "$(window_mode "$window")" fullscreen "mode"
expect_eq "$(window_geometry "$window")" "800x600+0+0" "geometry"
hold_key "$window" Escape
wait_exit 20
expect_eq "$EXIT_STATUS" 0 "exit status"
echo PASS
