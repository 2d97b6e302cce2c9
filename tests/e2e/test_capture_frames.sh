#!/usr/bin/env bash
# tev-capture needs no display: it writes the frames asked for, the same
# bytes on every run and whether the frames before them are drawn or
# skipped, and refuses bad arguments with a message.
TEV_E2E_SERVER=none
source "$(dirname "$0")/lib.sh" "$@"

cd "$BIN_DIR"
for run in a b; do
    env -u DISPLAY -u WAYLAND_DISPLAY ./tev-capture --at 0,50,110 --fps 10 --size 320x240 \
        --out "$WORK/$run" || fail "run $run failed"
done
for t in 0 50 110; do
    [[ -f "$WORK/a/t$t.png" ]] || fail "t$t.png missing"
    cmp -s "$WORK/a/t$t.png" "$WORK/b/t$t.png" || fail "t$t.png differs between runs"
done
[[ "$(identify -format '%wx%h' "$WORK/a/t50.png")" == 320x240 ]] || fail "wrong size"
# t = 0 is black, t = 110 is inside the white flash.
[[ "$(convert "$WORK/a/t0.png" -format '%[fx:maxima]' info:)" == 0 ]] || fail "t0 not black"
[[ "$(convert "$WORK/a/t110.png" -format '%[fx:minima]' info:)" == 1 ]] || fail "t110 not white"

# Frames reached by skipping are those of drawing every frame before them,
# late ones too.
env -u DISPLAY -u WAYLAND_DISPLAY ./tev-capture --at 5,47.3,124.5 --size 64x48 \
    --out "$WORK/skipped" || fail "the skipped run failed"
env -u DISPLAY -u WAYLAND_DISPLAY ./tev-capture --at 5,47.3,124.5 --size 64x48 --every-frame \
    --out "$WORK/drawn" || fail "the --every-frame run failed"
for t in 5 47.3 124.5; do
    cmp -s "$WORK/skipped/t$t.png" "$WORK/drawn/t$t.png" || fail "t$t.png differs when skipped"
done

./tev-capture --help | grep -q "usage: tev-capture" || fail "--help"
for bad in "--at" "--at 5" "--at x --out $WORK/c" "--at 140 --out $WORK/c" \
           "--at 1 --out $WORK/c --size 0x10" "--at 1 --out $WORK/c --fps -3" "--bogus"; do
    # shellcheck disable=SC2086
    ./tev-capture $bad >"$WORK/out" 2>&1
    status=$?
    [[ $status == 2 ]] || fail "'$bad' gave status $status"
    grep -q "tev-capture: " "$WORK/out" || fail "'$bad' gave no message"
done
echo PASS
