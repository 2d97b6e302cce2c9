#!/usr/bin/env bash
# Without any display the dialog cannot be shown and the window system
# cannot be reached: the messages go to standard error and the exit status
# is 255 (-1). After the fixed texts one line names the display that could
# not be opened, or says that none was named.
TEV_E2E_SERVER=none
source "$(dirname "$0")/lib.sh" "$@"

# No runtime folder either: nothing else of the window system's own
# complaints (libwayland's about XDG_RUNTIME_DIR) joins those three lines.
DISPLAY= WAYLAND_DISPLAY= XDG_RUNTIME_DIR= start_show
wait_exit 20
expect_eq "$EXIT_STATUS" 255 "exit status"
grep -q "RegisterClassEx Failed!" "$SHOW_ERR" || fail "no class registration message"
grep -q "Error Registering Window Class!" "$SHOW_ERR" || fail "no second message"
grep -qx "tev-intro: no DISPLAY or WAYLAND_DISPLAY set" "$SHOW_ERR" || fail "no display named"
expect_eq "$(wc -l <"$SHOW_ERR")" 3 "lines on standard error"

# A display named where no server listens.
number=90
while [[ -e /tmp/.X11-unix/X$number || -e /tmp/.X$number-lock ]]; do number=$((number + 1)); done
DISPLAY=:$number WAYLAND_DISPLAY= start_show
wait_exit 20
expect_eq "$EXIT_STATUS" 255 "exit status with display :$number"
grep -q "RegisterClassEx Failed!" "$SHOW_ERR" || fail "no class registration message"
grep -q "Error Registering Window Class!" "$SHOW_ERR" || fail "no second message"
expect_eq "$(grep -c "^tev-intro: cannot open display \":$number\"$" "$SHOW_ERR")" 1 \
    "lines naming display :$number"
echo PASS
