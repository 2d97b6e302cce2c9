#!/usr/bin/env bash
# F1 replaces the window by a fullscreen one; F1 again returns to the
# 640 x 480 window.
source "$(dirname "$0")/lib.sh" "$@"

start_show
wait_for_dialog
click_start
wait_for_drawn_window
first=$SHOW_WINDOW
expect_eq "$(window_geometry "$first" | cut -d+ -f1)" "640x480" "first window"
expect_eq "$(window_mode "$first")" windowed "first window's mode"
hold_key "$first" F1
wait_for_drawn_window "$first"
second=$SHOW_WINDOW
expect_eq "$(window_mode "$second")" fullscreen "after F1"
expect_eq "$(window_geometry "$second")" "640x480+0+0" "fullscreen window"
hold_key "$second" F1
wait_for_drawn_window "$second"
third=$SHOW_WINDOW
expect_eq "$(window_mode "$third")" windowed "after F1 again"
expect_eq "$(window_geometry "$third" | cut -d+ -f1)" "640x480" "windowed again"
hold_key "$third" Escape
wait_exit 20
expect_eq "$EXIT_STATUS" 0 "exit status"
echo PASS
