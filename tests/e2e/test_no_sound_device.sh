#!/usr/bin/env bash
# With no sound output to open, the show prints "error on init!" on standard
# output and exits with status 1 before its first frame; standard error says
# why in one line and names --no-sound.
source "$(dirname "$0")/lib.sh" "$@"

SDL_AUDIODRIVER=no-such-driver start_show
wait_for_dialog
click_start
wait_exit 20
expect_eq "$EXIT_STATUS" 1 "exit status"
expect_eq "$(cat "$SHOW_OUT")" "error on init!" "standard output"
expect_eq "$(cat "$SHOW_ERR")" \
    "tev-intro: no sound output: Audio target 'no-such-driver' not available. To play without sound: --no-sound" \
    "standard error"
echo PASS
