#!/usr/bin/env bash
# The desktop's mode as it was just before the change comes back, not the
# one the show started with: a windowed --mode-switch show at 640 x 480 runs
# on a 1920 x 1080 desktop, the user sets 1024 x 768 with xrandr, F1 makes
# the show fullscreen at 640 x 480, and then Escape, F1 back to windowed,
# closing the window, SIGTERM or SIGKILL each give 1024 x 768 back. So does
# minimising the fullscreen window, which gets its 640 x 480 back when it is
# active again.
TEV_E2E_SERVER=xorg
source "$(dirname "$0")/lib.sh" "$@"

output=$(xrandr | awk '/ connected/ { print $1; exit }')
[[ -n "$output" ]] || fail "no connected output"

# Starts the show windowed, changes the desktop's mode as a user would, and
# goes fullscreen with F1.
fullscreen_after_user_change() {
    xrandr --output "$output" --mode 1920x1080
    wait_for_display_mode 1920x1080
    start_show_with --mode-switch --size 640x480 --windowed
    wait_for_drawn_window
    xrandr --output "$output" --mode 1024x768
    wait_for_display_mode 1024x768
    toggle_display_mode "$SHOW_WINDOW"
    expect_eq "$(window_mode "$SHOW_WINDOW")" fullscreen "the window after F1"
    wait_for_display_mode 640x480
}

expect_user_mode() {
    local status=$1 how=$2
    wait_exit 20
    expect_eq "$EXIT_STATUS" "$status" "exit status after $how"
    wait_for_display_mode 1024x768 10
    sleep 1  # and it stays there
    expect_eq "$(display_mode)" 1024x768 "the display's mode a second after $how"
    echo "$how: status $status, the display back at the user's 1024x768"
}

fullscreen_after_user_change
hold_key "$SHOW_WINDOW" Escape
expect_user_mode 0 Escape

fullscreen_after_user_change
toggle_display_mode "$SHOW_WINDOW"
expect_eq "$(window_mode "$SHOW_WINDOW")" windowed "the window after F1 again"
wait_for_display_mode 1024x768 10
echo "F1 back to windowed: the display back at the user's 1024x768"
# A second fullscreen cycle notes the desktop anew.
toggle_display_mode "$SHOW_WINDOW"
wait_for_display_mode 640x480
"$TEST_DIR/tev-test-xclose" "$SHOW_WINDOW"
expect_user_mode 0 "F1 twice more, then closing the window"

fullscreen_after_user_change
xdotool windowminimize --sync "$SHOW_WINDOW"
wait_for_display_mode 1024x768 10
echo "minimised: the display back at the user's 1024x768"
xdotool windowactivate --sync "$SHOW_WINDOW" 2>/dev/null
wait_for_display_mode 640x480
hold_key "$SHOW_WINDOW" Escape
expect_user_mode 0 "minimised, active again, then Escape"

fullscreen_after_user_change
kill -TERM "$SHOW_PID"
expect_user_mode 143 SIGTERM

fullscreen_after_user_change
kill -KILL "$SHOW_PID"
expect_user_mode 137 SIGKILL
echo PASS
