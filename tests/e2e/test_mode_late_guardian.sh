#!/usr/bin/env bash
# A mode guardian that answers its note too late (here: stopped while the
# show asks) never makes anything restorable: the show does not change the
# mode, says so and scales; the late note is forgotten at once, so after the
# user changes the mode, a SIGKILL of the show leaves the user's mode alone,
# and another show may change the mode meanwhile.
TEV_E2E_SERVER=xorg
source "$(dirname "$0")/lib.sh" "$@"

output=$(xrandr | awk '/ connected/ { print $1; exit }')
[[ -n "$output" ]] || fail "no connected output"
GUARDIAN=""
trap '[[ -n "$GUARDIAN" ]] && kill -CONT "$GUARDIAN" 2>/dev/null; cleanup' EXIT

SHOW_OUT=$WORK/a.out SHOW_ERR=$WORK/a.err
start_show_with --mode-switch --size 640x480 --windowed
wait_for_drawn_window
A_PID=$SHOW_PID
A_WINDOW=$SHOW_WINDOW
# The show's only child process is its guardian.
GUARDIAN=$(ps -o pid= --ppid "$A_PID" | tr -d ' ')
[[ "$GUARDIAN" =~ ^[0-9]+$ ]] || fail "no single guardian process: '$GUARDIAN'"

kill -STOP "$GUARDIAN"
toggle_display_mode "$A_WINDOW"
A_WINDOW=$SHOW_WINDOW
expect_eq "$(window_mode "$A_WINDOW")" fullscreen "the window after F1"
grep -q "the mode guardian does not answer; fullscreen at the display's current mode" \
    "$SHOW_ERR" || fail "the show does not say that it leaves the mode alone"
expect_eq "$(display_mode)" 1920x1080 "the display's mode with the guardian stopped"
kill -CONT "$GUARDIAN"
sleep 1  # the guardian takes the note, then the forget
expect_eq "$(display_mode)" 1920x1080 "the display's mode after the late answer"
echo "a stopped guardian: the show scales at 1920x1080"

xrandr --output "$output" --mode 1024x768
wait_for_display_mode 1024x768

# The late note holds nothing: another show changes the mode, and puts the
# user's 1024 x 768 back.
SHOW_OUT=$WORK/b.out SHOW_ERR=$WORK/b.err
start_show_with --mode-switch --size 800x600 --fullscreen
wait_for_drawn_window "$A_WINDOW"
wait_for_display_mode 800x600
grep -q "another show" "$SHOW_ERR" && fail "the late note still holds the mode"
kill -TERM "$SHOW_PID"
wait_exit 20
expect_eq "$EXIT_STATUS" 143 "the second show's exit status"
wait_for_display_mode 1024x768 10
echo "meanwhile another show changed the mode to 800x600 and back to 1024x768"

SHOW_PID=$A_PID SHOW_OUT=$WORK/a.out SHOW_ERR=$WORK/a.err
kill -KILL "$SHOW_PID"
wait_exit 20
expect_eq "$EXIT_STATUS" 137 "exit status after SIGKILL"
guardian_gone() { ! grep -qs '^State:[[:space:]]*[^Z]' "/proc/$GUARDIAN/status"; }
wait_until 10 "the guardian's end" guardian_gone
GUARDIAN=""
sleep 1
expect_eq "$(display_mode)" 1024x768 "the display's mode after the show's SIGKILL"
echo "SIGKILL: the user's 1024x768 stays"
echo PASS
