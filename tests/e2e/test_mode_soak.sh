#!/usr/bin/env bash
# Fifty display-mode toggles in one process: resident memory after the last
# is within 5 % of that after the second, GL reports no error, and the music
# starts again from its beginning after every toggle.
source "$(dirname "$0")/lib.sh" "$@"

toggles=${TEV_SOAK_TOGGLES:-50}

# SDL's disk driver truncates its file each time a cycle opens the device;
# through a FIFO every cycle's sound lands in one file. Opened for reading
# and writing, the FIFO never reaches an end between cycles.
audio=$WORK/audio.raw
mkfifo "$WORK/audio.fifo"
cat <>"$WORK/audio.fifo" >"$audio" &
reader=$!
trap 'kill "$reader" 2>/dev/null; cleanup' EXIT
export SDL_DISKAUDIOFILE=$WORK/audio.fifo
# Mesa prints every GL error it raises ("Mesa: User error: GL_INVALID_ENUM in ...").
export MESA_DEBUG=1

# The id of the show's window once it is no longer PREVIOUS, or nothing
# after ten seconds.
next_window() {
    local previous=$1 i id
    for ((i = 0; i < 100; i++)); do
        for id in $(xdotool search --onlyvisible --classname '^tev-intro$' 2>/dev/null); do
            if [[ "$id" != "$previous" ]]; then
                echo "$id"
                return
            fi
        done
        sleep 0.1
    done
}

# After each toggle: waits until the new cycle's music has played for a
# second (so its set-up is done and frames are drawn), then reads resident
# memory. The device of a cycle writes nothing before its set-up ends.
measure() {
    local toggle=$1 from=$2 i
    for ((i = 0; i < 300; i++)); do
        (($(stat -c %s "$audio") >= from + 44100 * 4)) && break
        sleep 0.1
    done
    ((i < 300)) || fail "no music after toggle $toggle"
    kill -0 "$SHOW_PID" 2>/dev/null || fail "the program ended after toggle $toggle"
    rss=$(awk '/^VmRSS:/{print $2}' "/proc/$SHOW_PID/status")
    if ((toggle > 0)); then echo "toggle $toggle: $(window_mode "$window"), VmRSS $rss kB"; fi
    if ((toggle == 2)); then rss_second=$rss; fi
}

SDL_AUDIODRIVER=disk start_show
wait_for_dialog
click_start
window=$(wait_for_show_window)
measure 0 0
for ((i = 1; i <= toggles; i++)); do
    # F1 acts only in a drawn frame: a press that came too early is made again.
    next=""
    for attempt in 1 2 3; do
        hold_key "$window" F1
        next=$(next_window "$window")
        [[ -n "$next" ]] && break
    done
    [[ -n "$next" ]] || fail "no new window after toggle $i"
    window=$next
    measure "$i" "$(stat -c %s "$audio")"
done
hold_key "$window" Escape
wait_exit 20
expect_eq "$EXIT_STATUS" 0 "exit status"

if ((toggles >= 2)); then
    change=$(((rss - rss_second) * 1000 / rss_second))
    echo "VmRSS after toggle 2: $rss_second kB, after toggle $toggles: $rss kB (${change} per mille)"
    ((change <= 50 && change >= -50)) || fail "resident memory changed by ${change} per mille"
fi

if grep -E 'Mesa: User error|GL_INVALID|GL_OUT_OF_MEMORY|GL_STACK_' "$SHOW_ERR"; then
    fail "GL errors"
fi

sleep 0.5  # the reader drains the FIFO
starts=$("$TEST_DIR/tev-test-count-music-starts" "$BIN_DIR/../embedded/music.it" "$audio") ||
    fail "cannot count the music's starts"
echo "the music started $starts times"
expect_eq "$starts" $((toggles + 1)) "starts of the music"
echo PASS
