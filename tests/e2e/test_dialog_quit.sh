#!/usr/bin/env bash
# The dialog's quit button ends the program with status 0 before any show
# window exists.
source "$(dirname "$0")/lib.sh" "$@"

start_show
wait_for_dialog
click_quit
wait_exit 20
expect_eq "$EXIT_STATUS" 0 "exit status after quit"
if xdotool search --classname '^tev-intro$' >/dev/null 2>&1; then
    fail "a show window was created"
fi
echo PASS
