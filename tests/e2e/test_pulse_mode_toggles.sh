#!/usr/bin/env bash
# Twenty display-mode toggles through a real sound server: the module is
# heard starting from its beginning 21 times at the sink's monitor, once for
# the first display cycle and once for each toggle. (The server may drop the
# first few milliseconds of a new stream on the way to the monitor when it
# rewinds the sink for it, up to one block of the sink: 25 ms are let pass.)
source "$(dirname "$0")/lib.sh" "$@"

MODULE=$BIN_DIR/../embedded/music.it
toggles=20
audio=$WORK/monitor.raw
start_pulse
record_monitor "$audio"
start_show
wait_for_dialog
click_start
wait_for_drawn_window
window=$SHOW_WINDOW

# Waits until the music has been heard starting COUNT times in all. The
# cycle's window has drawn, so its music is on its way: 30 s is ample. The
# bound is in time, not in looks, as a look reads the whole recording and
# takes longer the longer it is: a start the monitor never heard whole (a
# gap in its first half second) must fail here, not be waited on until the
# show has played to its end.
wait_for_starts() {
    local count=$1 starts=0 deadline=$((SECONDS + 30))
    while ((SECONDS < deadline)); do
        starts=$("$TEST_DIR/tev-test-count-music-starts" "$MODULE" "$audio" 25 2>"$WORK/broken")
        ((starts >= count)) && return 0
        kill -0 "$SHOW_PID" 2>/dev/null ||
            fail "the program ended after $starts starts $(cat "$WORK/broken")"
        sleep 0.1
    done
    fail "the music was heard starting $starts times, not $count, within 30 s $(cat "$WORK/broken")"
}

wait_for_starts 1
for ((i = 1; i <= toggles; i++)); do
    toggle_display_mode "$window"
    window=$SHOW_WINDOW
    wait_for_starts $((i + 1))
done
hold_key "$window" Escape
wait_exit 20
expect_eq "$EXIT_STATUS" 0 "exit status"
stop_recording
starts=$("$TEST_DIR/tev-test-count-music-starts" "$MODULE" "$audio" 25)
echo "the music was heard starting $starts times"
expect_eq "$starts" $((toggles + 1)) "starts of the music"
echo PASS
