#!/usr/bin/env bash
# Closing the show's window ends the program with status 0.
source "$(dirname "$0")/lib.sh" "$@"

start_show
wait_for_dialog
click_start
wait_for_drawn_window
"$TEST_DIR/tev-test-xclose" "$SHOW_WINDOW"
wait_exit 20
expect_eq "$EXIT_STATUS" 0 "exit status after closing the window"
echo PASS
