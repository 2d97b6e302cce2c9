#!/usr/bin/env bash
# With --mode-switch, fullscreen changes the display's mode to 800 x 600,
# and the desktop's 1920 x 1080 comes back however the show ends: Escape,
# closing the window, no sound output ("error on init!", status 1),
# SIGTERM, SIGINT and SIGHUP (128 + the signal's number), SIGSEGV and
# SIGABRT (the process still ends by the signal: 139 and 134), and even
# SIGKILL (through the guardian process, a moment after the end).
TEV_E2E_SERVER=xorg
source "$(dirname "$0")/lib.sh" "$@"

ulimit -c 0  # no core files from the signals sent below
options=(--mode-switch --size 800x600 --bits 32 --fullscreen)

# Starts the show and waits until it draws at 800 x 600.
start_switched() {
    expect_eq "$(display_mode)" 1920x1080 "the desktop's mode before the show"
    start_show_with "${options[@]}"
    wait_for_drawn_window
    wait_for_display_mode 800x600
    expect_eq "$(window_geometry "$SHOW_WINDOW")" "800x600+0+0" "the window"
}

# The show's end, its status and the desktop's mode right after it.
expect_end() {
    local status=$1 how=$2
    wait_exit 20
    expect_eq "$EXIT_STATUS" "$status" "exit status after $how"
    expect_eq "$(display_mode)" 1920x1080 "the display's mode after $how"
    echo "$how: status $status, the display back at 1920x1080"
}

start_switched
hold_key "$SHOW_WINDOW" Escape
expect_end 0 Escape

start_switched
"$TEST_DIR/tev-test-xclose" "$SHOW_WINDOW"
expect_end 0 "closing the window"

# Set-up fails after the window (and the mode) are made.
SDL_AUDIODRIVER=no-such-driver start_show_with "${options[@]}"
expect_end 1 '"error on init!"'
expect_eq "$(cat "$SHOW_OUT")" "error on init!" "standard output"

for signal in TERM:143 INT:130 HUP:129 SEGV:139 ABRT:134; do
    start_switched
    kill -"${signal%:*}" "$SHOW_PID"
    expect_end "${signal#*:}" "SIG${signal%:*}"
done

# Nothing runs in the show after SIGKILL: the guardian puts the mode back
# once the show's end of its socket has closed.
start_switched
kill -KILL "$SHOW_PID"
wait_exit 20
expect_eq "$EXIT_STATUS" 137 "exit status after SIGKILL"
wait_for_display_mode 1920x1080 10
echo "SIGKILL: the display back at 1920x1080"
echo PASS
