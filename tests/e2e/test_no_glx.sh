#!/usr/bin/env bash
# On an X server without GLX no GL window can be made: the program shows
# "error | couldn't create window" (caption "error") and exits with status 3,
# a failure, having shown no show window.
TEV_E2E_XVFB_ARGS="-extension GLX"
source "$(dirname "$0")/lib.sh" "$@"

xdpyinfo | grep -q '^ *GLX$' && fail "the X server offers GLX"
start_show
wait_for_dialog
click_start
box=$(timeout 20 xdotool search --sync --onlyvisible --name '^error$' | head -n 1)
[[ -n "$box" ]] || fail "no message box"
eval "$(xdotool getwindowgeometry --shell "$box")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
xdotool key Return
wait_exit 20
expect_eq "$EXIT_STATUS" 3 "exit status"
if xdotool search --onlyvisible --classname '^tev-intro$' >/dev/null 2>&1; then
    fail "a show window is visible"
fi
echo PASS
