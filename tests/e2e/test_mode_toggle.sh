#!/usr/bin/env bash
# F1 switches between a 640 x 480 window and fullscreen, 20 times, on a
# 1920 x 1080 desktop that also offers 640 x 480. Fullscreen covers the
# display and leaves its mode alone; with --mode-switch it changes the mode
# to 640 x 480 and the window back puts the desktop's mode back. The mode
# is checked after every switch, and after the end.
TEV_E2E_SERVER=xorg
source "$(dirname "$0")/lib.sh" "$@"

toggles=${TEV_TOGGLES:-20}

# Checks the window and the display's mode of the cycle in MODE
# ("windowed" or "fullscreen"), FULLSCREEN_MODE being the mode expected
# while fullscreen.
expect_cycle() {
    local mode=$1 fullscreen_mode=$2 after=$3
    expect_eq "$(window_mode "$SHOW_WINDOW")" "$mode" "$after: the window's mode"
    if [[ $mode == windowed ]]; then
        wait_for_display_mode 1920x1080
        expect_eq "$(window_geometry "$SHOW_WINDOW" | cut -d+ -f1)" 640x480 "$after: the window"
    else
        wait_for_display_mode "$fullscreen_mode"
        expect_eq "$(window_geometry "$SHOW_WINDOW")" "$fullscreen_mode+0+0" "$after: the window"
    fi
}

# Starts windowed, then F1 TOGGLES times, then Escape.
toggle_run() {
    local fullscreen_mode=$1 i mode=windowed previous
    wait_for_drawn_window
    expect_cycle windowed "$fullscreen_mode" "at the start"
    for ((i = 1; i <= toggles; i++)); do
        previous=$SHOW_WINDOW
        hold_key "$previous" F1
        wait_for_drawn_window "$previous"
        if [[ $mode == windowed ]]; then mode=fullscreen; else mode=windowed; fi
        expect_cycle "$mode" "$fullscreen_mode" "F1 $i"
    done
    echo "$toggles toggles, the display's mode right after each"
    hold_key "$SHOW_WINDOW" Escape
    wait_exit 20
    expect_eq "$EXIT_STATUS" 0 "exit status"
    expect_eq "$(display_mode)" 1920x1080 "the display's mode after the show"
}

# From the dialog, untouched: 640 x 480, 16 bits, windowed.
start_show
wait_for_dialog
click_start
toggle_run 1920x1080

start_show_with --mode-switch --size 640x480 --windowed
toggle_run 640x480
echo PASS
