#!/usr/bin/env bash
# The setup dialog as its template draws it, checked on screenshots by
# tev-test-dialog-look: the empty group box a thin rule below the "6x4" and
# "8x6" texts, every text whole in its control, "16bit" left of its mark, the
# start button framed as the default one. First as Xvfb comes (it reports
# 100 dpi, which must leave the 96-dpi look: 11-pixel text), then with the
# desktop's Xft.dpi at 192 (21-pixel text, the dialog twice as large).
# With TEV_DIALOG_SHOTS=DIR the screenshots are kept there.
source "$(dirname "$0")/lib.sh" "$@"

# Screenshots the dialog once it is drawn: two in a row alike, and more than
# one colour in them. PPM, so that no time stamp makes them differ.
shoot_dialog() {
    local out=$1 i
    rm -f "$WORK/last.ppm"
    for i in $(seq 100); do
        import -window "$DIALOG" "$WORK/shot.ppm" 2>/dev/null
        if [[ -f "$WORK/last.ppm" ]] && cmp -s "$WORK/shot.ppm" "$WORK/last.ppm" &&
            (($(identify -format %k "$WORK/shot.ppm") > 1)); then
            convert "$WORK/shot.ppm" -strip "$out"
            return 0
        fi
        mv "$WORK/shot.ppm" "$WORK/last.ppm" 2>/dev/null
        sleep 0.1
    done
    fail "the dialog was never drawn"
}

# Shows the dialog, checks its screenshot at TEXT-PIXELS, and quits.
check_dialog() {
    local name=$1 text_pixels=$2
    start_show
    wait_for_dialog
    shoot_dialog "$WORK/$name.png"
    if [[ -n "${TEV_DIALOG_SHOTS:-}" ]]; then cp "$WORK/$name.png" "$TEV_DIALOG_SHOTS/"; fi
    "$TEST_DIR/tev-test-dialog-look" "$WORK/$name.png" "$text_pixels" ||
        fail "the dialog ($name) is not drawn as its template says"
    click_quit
    wait_exit 20
    expect_eq "$EXIT_STATUS" 0 "exit status after quit"
}

check_dialog dialog 11

# The X server resets, dropping the root window's resources, when its last
# client leaves: a client that only waits keeps it up.
xprop -root -spy _NET_SUPPORTED >/dev/null 2>&1 &
keeper=$!
for _ in $(seq 50); do
    xprop -root -f RESOURCE_MANAGER 8s -set RESOURCE_MANAGER $'Xft.dpi:\t192'
    [[ "$(xprop -root RESOURCE_MANAGER)" == *192* ]] && break
    sleep 0.1
done
[[ "$(xprop -root RESOURCE_MANAGER)" == *192* ]] || fail "could not set Xft.dpi"
check_dialog dialog-192dpi 21
kill "$keeper"
echo PASS
