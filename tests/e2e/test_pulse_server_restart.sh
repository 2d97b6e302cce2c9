#!/usr/bin/env bash
# The sound server is stopped and started again during a display cycle; the
# next cycle (F1) opens its sound on the new server and the music is heard
# there again from its beginning; Escape then ends the show with status 0.
source "$(dirname "$0")/lib.sh" "$@"

MODULE=$BIN_DIR/../embedded/music.it
start_pulse
record_monitor "$WORK/first.raw"
start_show
wait_for_dialog
click_start
wait_for_drawn_window
window=$SHOW_WINDOW
wait_for_sound "$WORK/first.raw" 20
stop_pulse
start_pulse
record_monitor "$WORK/second.raw"
# The new cycle's music is to be recorded from its beginning: on a busy
# machine the recorder can take longer to connect than F1 takes to start it.
wait_for_recording "$WORK/second.raw"

toggle_display_mode "$window"
next=$SHOW_WINDOW
wait_for_sound "$WORK/second.raw" 20
# Half a second of the module's opening, sample for sample (but for up to
# 25 ms that the server may drop at the start of a stream).
for ((i = 0; i < 100; i++)); do
    starts=$("$TEST_DIR/tev-test-count-music-starts" "$MODULE" "$WORK/second.raw" 25)
    ((starts >= 1)) && break
    sleep 0.1
done
expect_eq "$starts" 1 "starts of the music on the new server"
hold_key "$next" Escape
wait_exit 20
expect_eq "$EXIT_STATUS" 0 "exit status"
expect_eq "$(cat "$SHOW_OUT")" "" "standard output"
echo PASS
