#!/usr/bin/env bash
# A close request to the dialog ends it with 0: the program shows
# "Cannot create dialog box" (caption "ERROR!", an error icon) and exits
# with status 0.
source "$(dirname "$0")/lib.sh" "$@"

start_show
wait_for_dialog
"$TEST_DIR/tev-test-xclose" "$DIALOG"
box=$(timeout 20 xdotool search --sync --onlyvisible --name '^ERROR!$' | head -n 1)
[[ -n "$box" ]] || fail "no message box"
# The box as drawn: the error icon, a red disc in the 44-pixel square at
# 14, 14 (a warning's is yellow), and the message's dark letters to its
# right, above the button row.
eval "$(xdotool getwindowgeometry --shell "$box")"
text_area="$((WIDTH - 84))x$((HEIGHT - 60))+70+14"
icon_drawn() {
    screenshot "$box" "$WORK/box.png" || return 1
    local red
    red=$(pixel_share "$WORK/box.png" 44x44+14+14 'r > 0.8 && g < 0.2 && b < 0.2')
    awk -v s="$red" 'BEGIN { exit !(s > 0.4) }'
}
wait_until 20 "the message box's red error icon" icon_drawn
dark=$(pixel_share "$WORK/box.png" "$text_area" 'intensity < 0.3')
awk -v s="$dark" 'BEGIN { exit !(s > 0.01) }' || fail "no message text in the box: $dark dark"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
xdotool key Return
wait_exit 20
expect_eq "$EXIT_STATUS" 0 "exit status"
if xdotool search --classname '^tev-intro$' >/dev/null 2>&1; then
    fail "a show window was created"
fi
echo PASS
