#!/usr/bin/env bash
# A close request to the dialog ends it with 0: the program shows
# "Cannot create dialog box" (caption "ERROR!") and exits with status 0.
source "$(dirname "$0")/lib.sh" "$@"

start_show
wait_for_dialog
"$TEST_DIR/tev-test-xclose" "$DIALOG"
box=$(timeout 20 xdotool search --sync --onlyvisible --name '^ERROR!$' | head -n 1)
[[ -n "$box" ]] || fail "no message box"
eval "$(xdotool getwindowgeometry --shell "$box")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
import -window "$box" "$WORK/box.png" 2>/dev/null || true
xdotool key Return
wait_exit 20
expect_eq "$EXIT_STATUS" 0 "exit status"
if xdotool search --classname '^tev-intro$' >/dev/null 2>&1; then
    fail "a show window was created"
fi
echo PASS
