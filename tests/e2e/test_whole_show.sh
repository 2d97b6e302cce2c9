#!/usr/bin/env bash
# The whole show, from the dialog to its own end after 130 s, with its music
# playing through SDL's disk driver: exit status 0, and about 130 s of the
# module's sound written.
source "$(dirname "$0")/lib.sh" "$@"

export SDL_DISKAUDIOFILE="$WORK/audio.raw"
SDL_AUDIODRIVER=disk start_show
wait_for_dialog
click_start
wait_for_drawn_window
wait_exit 200
expect_eq "$EXIT_STATUS" 0 "exit status at the end of the show"
seconds=$(( $(stat -c %s "$SDL_DISKAUDIOFILE") / (44100 * 4) ))
# The disk driver paces itself roughly to real time.
(( seconds >= 120 && seconds <= 135 )) || fail "$seconds s of audio written"
"$TEST_DIR/tev-test-compare-music" "$BIN_DIR/../embedded/music.it" "$SDL_DISKAUDIOFILE" 3 ||
    fail "the audio written is not the module's render"
echo PASS
