#!/usr/bin/env bash
# A termination signal closes a message box at once: on an X server without
# GLX the program shows "error | couldn't create window"; SIGTERM, SIGINT or
# SIGHUP then ends it within 2 s with 128 + N, the box gone (nothing but the
# frame loop used to look at the signal, so it never ended).
TEV_E2E_XVFB_ARGS="-extension GLX"
source "$(dirname "$0")/lib.sh" "$@"

xdpyinfo | grep -q '^ *GLX$' && fail "the X server offers GLX"
box_shown() { BOX=$(xdotool search --onlyvisible --name '^error$' 2>/dev/null | head -n 1); }

for signal in TERM:143 INT:130 HUP:129; do
    name=${signal%:*}
    start_show_with --windowed
    BOX=""
    wait_until 30 "the message box" box_shown
    kill -"$name" "$SHOW_PID"
    sent=$EPOCHREALTIME
    wait_exit 20
    took=$(awk "BEGIN { print $EPOCHREALTIME - $sent }")
    expect_eq "$EXIT_STATUS" "${signal#*:}" "status after SIG$name in the box"
    holds "$took <= 2" || fail "SIG$name: the program ended ${took}s after the signal"
    window_viewable "$BOX" && fail "SIG$name: the box is still there"
    grep -q "couldn't create window" "$SHOW_ERR" && fail "SIG$name: the box went to stderr"
    echo "SIG$name in the box: status $EXIT_STATUS after ${took}s"
done
echo PASS
