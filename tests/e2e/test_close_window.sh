#!/usr/bin/env bash
# Closing the show's window ends the program with status 0.
source "$(dirname "$0")/lib.sh" "$@"

start_show
wait_for_dialog
click_start
window=$(wait_for_show_window)
sleep 1
"$TEST_DIR/tev-test-xclose" "$window"
wait_exit 20
expect_eq "$EXIT_STATUS" 0 "exit status after closing the window"
echo PASS
