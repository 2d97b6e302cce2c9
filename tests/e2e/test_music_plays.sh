#!/usr/bin/env bash
# The show plays its music from the start: SDL's disk driver writes what the
# audio callback produced, and it is libopenmpt's own render of the module.
source "$(dirname "$0")/lib.sh" "$@"

export SDL_DISKAUDIOFILE="$WORK/audio.raw"
SDL_AUDIODRIVER=disk start_show
wait_for_dialog
click_start
wait_for_drawn_window
# More than the 3 s compared below, and the silence before the song starts.
wait_for_audio "$SDL_DISKAUDIOFILE" 4
hold_key "$SHOW_WINDOW" Escape
wait_exit 20
expect_eq "$EXIT_STATUS" 0 "exit status"
"$TEST_DIR/tev-test-compare-music" "$BIN_DIR/../embedded/music.it" "$SDL_DISKAUDIOFILE" 3 ||
    fail "the audio written is not the module's render"
echo PASS
