#!/usr/bin/env bash
# The show's window taken away by another program, windowed and
# fullscreen, with and without --mode-switch, as soon as it is mapped,
# minimised, after F1: destroyed (xdotool windowclose, as a task manager
# does; its frame, as a window manager might), or its client killed by the
# X server (xkill). Each time the show ends within 2 s with status 4, one line
# on standard error instead of a stream of X errors, and the desktop's
# 1920 x 1080 back.
TEV_E2E_SERVER=xorg
source "$(dirname "$0")/lib.sh" "$@"

ulimit -c 0

# Starts the show with ARGS and waits until it draws at the display MODE.
start_at() {
    local mode=$1
    shift
    expect_eq "$(display_mode)" 1920x1080 "the desktop's mode before the show"
    start_show_with "$@"
    wait_for_drawn_window
    wait_for_display_mode "$mode"
}

# Runs COMMAND... and checks how the show ends after it: HOW names it.
expect_taken_away() {
    local how=$1 line=$2
    shift 2
    local start
    start=$(date +%s%N)
    "$@" >/dev/null || fail "$how: $* failed"
    while kill -0 "$SHOW_PID" 2>/dev/null; do
        (($(date +%s%N) - start < 10000000000)) || fail "$how: the show still runs after 10 s"
        sleep 0.05
    done
    local elapsed=$((($(date +%s%N) - start) / 1000000))
    wait "$SHOW_PID"
    EXIT_STATUS=$?
    SHOW_PID=""
    ((elapsed <= 2000)) || fail "$how: the show ended ${elapsed} ms after, not within 2 s"
    expect_eq "$EXIT_STATUS" 4 "$how: exit status"
    local lines
    lines=$(wc -l <"$SHOW_ERR")
    ((lines < 5)) || fail "$how: $lines lines on standard error"
    grep -qx "tev-intro: $line; the show ends" "$SHOW_ERR" || fail "$how: no line saying why"
    grep -q 'X Error' "$SHOW_ERR" && fail "$how: an X error on standard error"
    expect_eq "$(display_mode)" 1920x1080 "$how: the display's mode afterwards"
    echo "$how: ended after ${elapsed} ms with status 4, $lines line(s) on standard error"
}

destroyed="the show's window was destroyed by another program"
lost="the connection to the X server $DISPLAY was lost"
sizes=(--size 800x600 --bits 32)

start_at 1920x1080 "${sizes[@]}" --windowed
expect_taken_away "windowed, destroyed" "$destroyed" xdotool windowclose "$SHOW_WINDOW"

start_at 1920x1080 "${sizes[@]}" --fullscreen
expect_taken_away "fullscreen, destroyed" "$destroyed" xdotool windowclose "$SHOW_WINDOW"

start_at 1920x1080 "${sizes[@]}" --windowed --mode-switch
expect_taken_away "windowed --mode-switch, destroyed" "$destroyed" \
    xdotool windowclose "$SHOW_WINDOW"

start_at 800x600 "${sizes[@]}" --fullscreen --mode-switch
expect_taken_away "fullscreen --mode-switch, destroyed" "$destroyed" \
    xdotool windowclose "$SHOW_WINDOW"

# Destroyed as soon as it is mapped, set-up perhaps still running.
expect_eq "$(display_mode)" 1920x1080 "the desktop's mode before the show"
start_show_with "${sizes[@]}" --fullscreen --mode-switch
wait_until 60 "a show window" find_show_window none
expect_taken_away "fullscreen --mode-switch, destroyed at once" "$destroyed" \
    xdotool windowclose "$SHOW_WINDOW"

# Minimised, the show draws nothing and waits for events.
start_at 1920x1080 "${sizes[@]}" --windowed
xdotool windowminimize --sync "$SHOW_WINDOW"
expect_taken_away "windowed, minimised, destroyed" "$destroyed" xdotool windowclose "$SHOW_WINDOW"

# The window of the second cycle: no third one follows.
start_at 800x600 "${sizes[@]}" --fullscreen --mode-switch
toggle_display_mode "$SHOW_WINDOW"
wait_for_display_mode 1920x1080
expect_taken_away "after F1 to windowed, destroyed" "$destroyed" \
    xdotool windowclose "$SHOW_WINDOW"

# The window's frame, as a window manager that destroys what it framed.
start_at 1920x1080 "${sizes[@]}" --windowed
frame=$(xwininfo -children -id "$SHOW_WINDOW" | awk '/Parent window id:/ { print $4 }')
[[ -n "$frame" ]] || fail "no frame around the show's window"
expect_taken_away "windowed, its frame destroyed" "$destroyed" xdotool windowclose "$frame"

# xkill has the X server close the show's connection.
start_at 1920x1080 "${sizes[@]}" --windowed
expect_taken_away "windowed, xkill" "$lost" xkill -id "$SHOW_WINDOW"

start_at 800x600 "${sizes[@]}" --fullscreen --mode-switch
expect_taken_away "fullscreen --mode-switch, xkill" "$lost" xkill -id "$SHOW_WINDOW"
echo PASS
