#!/usr/bin/env bash
# --loop: the show plays to its end (130 s), then starts again from its
# beginning in a new window of the same size and mode, its music heard
# starting a second time; Escape then ends the program with status 0.
# Nothing starts the show late, so this takes the show's length.
source "$(dirname "$0")/lib.sh" "$@"

MODULE=$BIN_DIR/../embedded/music.it

# Every cycle's sound in one file (see collect_disk_audio).
audio=$WORK/audio.raw
collect_disk_audio "$audio"

SDL_AUDIODRIVER=disk start_show_with --windowed --loop
wait_for_drawn_window
first=$SHOW_WINDOW
expect_eq "$(window_geometry "$first" | cut -d+ -f1)" "640x480" "the first cycle's window"
wait_for_audio "$audio" 1

# The show's end brings a new window; no key is pressed meanwhile.
wait_until 200 "the second cycle's window" find_show_window "$first"
second=$SHOW_WINDOW
window_viewable "$first" && fail "the first cycle's window is still there"
wait_for_frame "$second"
expect_eq "$(window_geometry "$second" | cut -d+ -f1)" "640x480" "the second cycle's window"
expect_eq "$(window_mode "$second")" windowed "the second cycle's mode"

# The music starts again from its beginning, after the whole show's.
starts_reached() {
    starts=$("$TEST_DIR/tev-test-count-music-starts" "$MODULE" "$audio" 2>/dev/null) &&
        ((starts >= 2))
}
wait_until 60 "the music's second start" starts_reached
# SDL's disk driver paces itself with sleeps, so it writes a few per cent
# less than real time (126 s of the 130 here): a show cut short is far below.
played=$(($(stat -c %s "$audio") / (44100 * 4)))
((played >= 120)) || fail "only ${played}s of sound before the second start: the show was cut"
echo "the music started $starts times; ${played}s of sound so far"

hold_key "$second" Escape
wait_exit 20
expect_eq "$EXIT_STATUS" 0 "exit status after Escape in the second cycle"
echo PASS
