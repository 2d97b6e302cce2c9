#!/usr/bin/env bash
# Without any display the dialog cannot be shown and the window system
# cannot be reached: the messages go to standard error and the exit status
# is 255 (-1).
source "$(dirname "$0")/lib.sh" "$@"

DISPLAY= WAYLAND_DISPLAY= start_show
wait_exit 20
expect_eq "$EXIT_STATUS" 255 "exit status"
grep -q "RegisterClassEx Failed!" "$SHOW_ERR" || fail "no class registration message"
grep -q "Error Registering Window Class!" "$SHOW_ERR" || fail "no second message"
echo PASS
