#!/usr/bin/env bash
# With no sound output to open, the show prints "error on init!" on standard
# output and exits with status 1 before its first frame.
source "$(dirname "$0")/lib.sh" "$@"

SDL_AUDIODRIVER=no-such-driver start_show
wait_for_dialog
click_start
wait_exit 20
expect_eq "$EXIT_STATUS" 1 "exit status"
expect_eq "$(cat "$SHOW_OUT")" "error on init!" "standard output"
echo PASS
