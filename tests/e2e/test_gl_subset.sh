#!/usr/bin/env bash
# tev-intro --gl subset draws the show through the GL 1.1 subset over an
# OpenGL ES 3 context: in a 16-bit window, then fullscreen after F1 (the
# picture drawn offscreen and scaled, as with the native pipeline), and
# Escape ends it with status 0. A bad --gl value is refused.
TEV_E2E_SERVER=xorg
source "$(dirname "$0")/lib.sh" "$@"

start_show_with --gl subset --size 640x480 --bits 16 --windowed
wait_for_drawn_window
window=$SHOW_WINDOW
expect_eq "$(window_geometry "$window" | cut -d+ -f1)" "640x480" "client area"
toggle_display_mode "$window"
window=$SHOW_WINDOW
expect_eq "$(window_mode "$window")" fullscreen "the mode after F1"
# The picture is scaled between black bars: the middle is lit.
screenshot "$window" "$WORK/fullscreen.png" || fail "no screenshot"
holds "$(convert "$WORK/fullscreen.png" -gravity center -crop 200x200+0+0 +repage \
    -format '%[fx:maxima]' info:) > 0" || fail "the fullscreen picture is black in the middle"
hold_key "$window" Escape
wait_exit 20
expect_eq "$EXIT_STATUS" 0 "exit status after Escape"
grep -q "subset" "$SHOW_ERR" && fail "the subset complained: $(cat "$SHOW_ERR")"

"$BIN_DIR/tev-intro" --gl fixed >"$WORK/out" 2>&1
expect_eq "$?" 2 "status for --gl fixed"
grep -q "neither native nor subset" "$WORK/out" || fail "no message for --gl fixed"
echo PASS
