#!/usr/bin/env bash
# "*Yes*MaximumOverdrive" forces 800 x 600 fullscreen whatever else is
# chosen; Enter presses the start button. On a 1920 x 1080 desktop that also
# offers 800 x 600, fullscreen leaves the display's mode alone: the window
# covers the display, the show's 800 x 600 picture is scaled to 1440 x 1080
# between black bars, and scaled back it looks like the frame tev-capture
# draws at about the same show time.
TEV_E2E_SERVER=xorg
source "$(dirname "$0")/lib.sh" "$@"

expect_eq "$(display_mode)" 1920x1080 "the desktop's mode"
start_show
wait_for_dialog
click_dialog_control 128 33 92 10   # the override box
eval "$(xdotool getwindowgeometry --shell "$DIALOG")"
xdotool mousemove $((X + 5)) $((Y + 5)) key Return
wait_for_drawn_window
window=$SHOW_WINDOW
shown=$EPOCHREALTIME   # the show's clock is a little past 0 now
expect_eq "$(window_mode "$window")" fullscreen "mode"
expect_eq "$(window_geometry "$window")" "1920x1080+0+0" "geometry"
expect_eq "$(display_mode)" 1920x1080 "the display's mode during the show"

# At 8 s the fade-in is over and the scene is busy from edge to edge.
show_time() { awk -v now="$EPOCHREALTIME" -v then="$shown" 'BEGIN { printf "%.2f", now - then }'; }
show_time_past() { holds "$(show_time) >= $1"; }
wait_until 30 "8 s of show" show_time_past 8
from=$(show_time)
screenshot "$window" "$WORK/screen.png"
to=$(show_time)
expect_eq "$(display_mode)" 1920x1080 "the display's mode later in the show"

for bar in 240x1080+0+0 240x1080+1680+0; do
    share=$(black_share "$WORK/screen.png" "$bar")
    holds "$share > 0.999" || fail "the bar $bar is not black (black share $share)"
done
for edge in 4x1080+240+0 4x1080+1676+0; do
    share=$(black_share "$WORK/screen.png" "$edge")
    holds "$share < 0.5" || fail "the picture does not reach $edge (black share $share)"
done

hold_key "$window" Escape
wait_exit 20
expect_eq "$EXIT_STATUS" 0 "exit status"
expect_eq "$(display_mode)" 1920x1080 "the display's mode after the show"

# The frames tev-capture draws from a second before the screenshot to a
# second after it, every 0.2 s; the picture must look like one of them.
convert "$WORK/screen.png" -crop 1440x1080+240+0 +repage -resize '800x600!' "$WORK/picture.png"
times=$(awk -v a="$from" -v b="$to" 'BEGIN {
    for (t = int((a - 1) * 5) / 5; t <= b + 1; t += 0.2) printf "%s%.1f", (n++ ? "," : ""), t }')
(cd "$BIN_DIR" && ./tev-capture --at "$times" --fps 10 --size 800x600 --out "$WORK/frames") \
    >/dev/null || fail "tev-capture failed"
# Layout: the RMSE of 32 x 24 thumbnails; colour: the largest difference
# of the mean red, green and blue (both 0 to 1).
thumbnail() { convert "$1" -resize '32x24!' "$2"; }
mean_rgb() { convert "$1" -resize '1x1!' -format '%[fx:r] %[fx:g] %[fx:b]' info:; }
thumbnail "$WORK/picture.png" "$WORK/picture-thumb.png"
read -r pr pg pb <<<"$(mean_rgb "$WORK/picture.png")"
best=""
for frame in "$WORK"/frames/t*.png; do
    thumbnail "$frame" "$WORK/thumb.png"
    rmse=$(compare -metric RMSE "$WORK/picture-thumb.png" "$WORK/thumb.png" null: 2>&1 |
        sed 's/.*(\(.*\))/\1/')
    if [[ -z "$best" ]] || holds "$rmse < $best"; then
        best=$rmse
        best_frame=$frame
    fi
done
read -r fr fg fb <<<"$(mean_rgb "$best_frame")"
colour=$(awk -v a="$pr $pg $pb" -v b="$fr $fg $fb" 'BEGIN { split(a, x); split(b, y)
    for (i = 1; i <= 3; i++) { d = x[i] - y[i]; if (d < 0) d = -d; if (d > m) m = d }
    print m + 0 }')
echo "screenshot at show time $from to $to s; closest frame $(basename "$best_frame"):" \
    "layout RMSE $best, mean colour off by $colour"
holds "$best < 0.06" || fail "no frame has the picture's layout"
holds "$colour < 0.03" || fail "the picture's mean colour is off"
echo PASS
