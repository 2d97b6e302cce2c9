#!/usr/bin/env bash
# Under a window manager (Xorg with openbox) the setup dialog is an active
# window: it has the keyboard as soon as it appears, with the pointer
# elsewhere and no click, so that Enter starts the show and the arrow keys
# move the choice. It is listed in the task bar (no skip-taskbar state)
# under the program's class, with the program's icon in five sizes.
TEV_E2E_SERVER=xorg
source "$(dirname "$0")/lib.sh" "$@"

dialog_has_keyboard() { [[ "$(xdotool getwindowfocus 2>/dev/null)" == "$DIALOG" ]]; }

# Starts the show, waits for its dialog to have the keyboard with the
# pointer in the desktop's corner, away from it, and types KEYS there.
start_with_keys() {
    start_show
    wait_for_dialog
    xdotool mousemove 3 3
    wait_until 20 "the dialog to have the keyboard" dialog_has_keyboard
    xdotool key --delay 100 "$@"
}

# Escape in the show's window ends the program with 0.
end_show() {
    hold_key "$SHOW_WINDOW" Escape
    wait_exit 20
    expect_eq "$EXIT_STATUS" 0 "exit status after Escape"
}

start_show
wait_for_dialog
expect_eq "$(xprop -id "$DIALOG" WM_CLASS)" 'WM_CLASS(STRING) = "tev-intro", "tev-intro"' "class"
state=$(xprop -id "$DIALOG" _NET_WM_STATE)
[[ "$state" != *SKIP_TASKBAR* ]] || fail "the dialog is kept out of the task bar: $state"
# Its own icons, not a window manager's stand-in.
icons=$(xprop -id "$DIALOG" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | tr '\n' ' ')
expect_eq "$icons" "Icon (16 x 16) Icon (24 x 24) Icon (32 x 32) Icon (48 x 48) Icon (64 x 64) " \
    "icons"
# Still without a title bar or a frame.
expect_eq "$(xprop -id "$DIALOG" _NET_FRAME_EXTENTS)" \
    '_NET_FRAME_EXTENTS(CARDINAL) = 0, 0, 0, 0' "frame"
xdotool mousemove 3 3
wait_until 20 "the dialog to have the keyboard" dialog_has_keyboard
xdotool key Return
wait_for_drawn_window
expect_eq "$(window_geometry "$SHOW_WINDOW" | cut -d+ -f1)" 640x480 "client area after Enter"
expect_eq "$(window_mode "$SHOW_WINDOW")" windowed "mode after Enter"
end_show

# Right moves the focus from "6x4" to "8x6", and the choice with it.
start_with_keys Right Return
wait_for_drawn_window
expect_eq "$(window_geometry "$SHOW_WINDOW" | cut -d+ -f1)" 800x600 "client area after Right"
end_show

# Down three times: from "6x4" to the depth row, the override box and the
# fullscreen box, which Space ticks.
start_with_keys Down Down Down space Return
wait_for_drawn_window
expect_eq "$(window_mode "$SHOW_WINDOW")" fullscreen "mode after ticking the fullscreen box"
end_show
echo PASS
