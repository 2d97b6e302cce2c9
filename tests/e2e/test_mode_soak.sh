#!/usr/bin/env bash
# Fifty display-mode toggles in one process: resident memory after the last
# is within 5 % of that after the second, GL reports no error, and the music
# starts again from its beginning after every toggle.
source "$(dirname "$0")/lib.sh" "$@"

toggles=${TEV_SOAK_TOGGLES:-50}

# Every cycle's sound in one file (see collect_disk_audio).
audio=$WORK/audio.raw
collect_disk_audio "$audio"
# Mesa prints every GL error it raises ("Mesa: User error: GL_INVALID_ENUM in ...").
export MESA_DEBUG=1

# After each toggle: waits until the new cycle's music has played for a
# second (so its set-up is done and frames are drawn), then reads resident
# memory. The device of a cycle writes nothing before its set-up ends.
measure() {
    local toggle=$1 from=$2
    wait_for_audio "$audio" 1 "$from"
    kill -0 "$SHOW_PID" 2>/dev/null || fail "the program ended after toggle $toggle"
    rss=$(awk '/^VmRSS:/{print $2}' "/proc/$SHOW_PID/status")
    if ((toggle > 0)); then echo "toggle $toggle: $(window_mode "$window"), VmRSS $rss kB"; fi
    if ((toggle == 2)); then rss_second=$rss; fi
}

SDL_AUDIODRIVER=disk start_show
wait_for_dialog
click_start
wait_for_drawn_window
window=$SHOW_WINDOW
measure 0 0
for ((i = 1; i <= toggles; i++)); do
    hold_key "$window" F1
    wait_for_drawn_window "$window"
    window=$SHOW_WINDOW
    measure "$i" "$(stat -c %s "$audio")"
done
hold_key "$window" Escape
wait_exit 20
expect_eq "$EXIT_STATUS" 0 "exit status"

if ((toggles >= 2)); then
    change=$(((rss - rss_second) * 1000 / rss_second))
    echo "VmRSS after toggle 2: $rss_second kB, after toggle $toggles: $rss kB" \
        "(${change} per mille)"
    ((change <= 50 && change >= -50)) || fail "resident memory changed by ${change} per mille"
fi

if grep -E 'Mesa: User error|GL_INVALID|GL_OUT_OF_MEMORY|GL_STACK_' "$SHOW_ERR"; then
    fail "GL errors"
fi

kill "$DISK_AUDIO_HOLDER"
reader_ended() { ! kill -0 "$DISK_AUDIO_READER" 2>/dev/null; }
wait_until 20 "the FIFO drained" reader_ended
starts=$("$TEST_DIR/tev-test-count-music-starts" "$BIN_DIR/../embedded/music.it" "$audio") ||
    fail "cannot count the music's starts"
echo "the music started $starts times"
expect_eq "$starts" $((toggles + 1)) "starts of the music"
echo PASS
