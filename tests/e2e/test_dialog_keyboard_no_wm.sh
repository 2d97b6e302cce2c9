#!/usr/bin/env bash
# Without a window manager (Xvfb) the setup dialog takes the keyboard from
# the server itself: with the pointer away from it and no click, Right and
# Enter start an 800 x 600 show. Its class and icons are its own here too.
source "$(dirname "$0")/lib.sh" "$@"

start_show
wait_for_dialog
expect_eq "$(xprop -id "$DIALOG" WM_CLASS)" 'WM_CLASS(STRING) = "tev-intro", "tev-intro"' "class"
icons=$(xprop -id "$DIALOG" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | tr '\n' ' ')
expect_eq "$icons" "Icon (16 x 16) Icon (24 x 24) Icon (32 x 32) Icon (48 x 48) Icon (64 x 64) " \
    "icons"
xdotool mousemove 3 3
dialog_has_keyboard() { [[ "$(xdotool getwindowfocus 2>/dev/null)" == "$DIALOG" ]]; }
wait_until 20 "the dialog to have the keyboard" dialog_has_keyboard
xdotool key --delay 100 Right Return
wait_for_drawn_window
expect_eq "$(window_geometry "$SHOW_WINDOW" | cut -d+ -f1)" 800x600 "client area after Right"
hold_key "$SHOW_WINDOW" Escape
wait_exit 20
expect_eq "$EXIT_STATUS" 0 "exit status after Escape"
echo PASS
