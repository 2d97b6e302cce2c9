#!/usr/bin/env bash
# tev-bench, briefly and small: both modes timed over the span asked for,
# the figures as JSON and tev-bench-chart's PNG of them, the shares of frames
# within one and two 60 Hz periods, both modes' frames compared pixel for
# pixel, each block's fragments counted; bad arguments refused.
TEV_E2E_SERVER=none
source "$(dirname "$0")/lib.sh" "$@"
cd "$BIN_DIR"

env -u DISPLAY -u WAYLAND_DISPLAY ./tev-bench --size 48x36 --fps 4 --from 108 --to 112 \
    --compare --fragments --json "$WORK/figures.json" >"$WORK/out" 2>&1 ||
    fail "the bench failed: $(cat "$WORK/out")"
for key in median_frame_ms_built median_frame_ms_literal median_ratio_built_literal setup_ms \
           setup_steps_ms per_second under_16_7_ms under_33_3_ms linear_minified_quads \
           scissored_glyphs compared_frames; do
    grep -q "\"$key\"" "$WORK/figures.json" || fail "no $key in the JSON"
done
# 4 s at 4 fps, each frame in both modes; the seconds 108 to 111 in the table.
grep -q '"built": {"frames": 16,' "$WORK/figures.json" || fail "not 16 built frames: $(cat "$WORK/figures.json")"
grep -q '"diverged_frames": 0' "$WORK/figures.json" || fail "the modes left different state"
grep -q '"compared_frames": 16,' "$WORK/figures.json" || fail "not 16 frames compared"
grep -q '"differing_frames": 0,' "$WORK/figures.json" || fail "the modes drew different pixels"
grep -q '^frames compared: 16, differing: 0' "$WORK/out" || fail "no comparison in the report"
# The shares agree with the worst frame: all frames within a period when
# the worst one is, fewer otherwise.
grep -Eq '^built +16 .* [0-9.]+% +[0-9.]+%$' "$WORK/out" ||
    fail "no shares: $(grep built "$WORK/out")"
for limit in 16.7 33.3; do
    key="under_${limit/./_}_ms"
    grep -o "\"built\": {[^}]*}" "$WORK/figures.json" | awk -v key="\"$key\":" \
        -v limit="$limit" '{
            for (i = 1; i <= NF; ++i) {
                if ($i == "\"worst\":") worst = $(i + 1) + 0
                if ($i == key) share = $(i + 1) + 0
            }
            bound = limit == 16.7 ? 1000 / 60 : 1000 / 30
            exit !((worst < bound && share == 1) || (worst >= bound && share < 1))
        }' || fail "$key does not agree with the worst frame: $(cat "$WORK/figures.json")"
done
# The literal noise veil is one quad over the whole 48 x 36 view, and no
# block of the built show makes more fragments than the same block drawn
# literally.
veil='{"block": "noise veil", "mode": "literal", "frames": 16, "ms_per_frame": [0-9.]*'
grep -q "$veil, \"fragments_per_frame\": 1728.0}" "$WORK/figures.json" ||
    fail "the literal noise veil did not cover the view once"
# block|mode|fragments per frame, one line each
counts='s/.*"block": "([^"]*)", "mode": "([a-z]*)".*"fragments_per_frame": ([0-9.]*).*/\1|\2|\3/'
grep '"fragments_per_frame"' "$WORK/figures.json" | sed -E "$counts" |
    awk -F'|' '{ count[$1, $2] = $3; names[$1] = 1 }
        END {
            for (name in names) {
                if (!((name, "built") in count) || !((name, "literal") in count)) exit 1
                if (count[name, "built"] > count[name, "literal"]) {
                    print name > "/dev/stderr"
                    exit 1
                }
                ++blocks
            }
            exit blocks < 8
        }' || fail "a block of the built show made more fragments, or blocks are missing"
grep -q '^  noise veil .* literal .* 1.7 k' "$WORK/out" || fail "no fragment counts in the report"
# --blocks alone times the blocks of the one mode asked for, and counts nothing.
env -u DISPLAY -u WAYLAND_DISPLAY ./tev-bench --size 48x36 --fps 4 --from 108 --to 109 \
    --mode built --blocks --json "$WORK/blocks.json" >"$WORK/blocks" 2>&1 ||
    fail "the bench with --blocks failed: $(cat "$WORK/blocks")"
grep -q '{"block": "noise veil", "mode": "built", "frames": 4, ' "$WORK/blocks.json" ||
    fail "no timed noise veil: $(cat "$WORK/blocks.json")"
! grep -q '"mode": "literal"\|fragments_per_frame' "$WORK/blocks.json" ||
    fail "--blocks in mode built listed a literal row or counted fragments"
for second in 108 109 110 111; do
    grep -q "^ *$second |" "$WORK/out" || fail "no row for second $second"
done
grep -q "music" "$WORK/out" || fail "no set-up steps in the report"
env -u DISPLAY -u WAYLAND_DISPLAY ./tev-bench-chart "$WORK/figures.json" "$WORK/chart.png" \
    >"$WORK/chart" 2>&1 || fail "no chart: $(cat "$WORK/chart")"
[[ "$(identify -format '%wx%h' "$WORK/chart.png")" == 1000x500 ]] || fail "chart size"
# The figures of one mode, with the blocks, are JSON too.
./tev-bench-chart "$WORK/blocks.json" "$WORK/blocks.png" >"$WORK/chart" 2>&1 ||
    fail "no chart of one mode: $(cat "$WORK/chart")"
# A file that is not the figures, or no file, is one line and status 1; a bad
# command line status 2.
for bad in "$WORK/out" "$WORK/none.json"; do
    ./tev-bench-chart "$bad" "$WORK/bad.png" >"$WORK/chart" 2>&1
    status=$?
    if [[ $status != 1 || $(wc -l <"$WORK/chart") != 1 ]] ||
        ! grep -q "^tev-bench-chart: " "$WORK/chart"; then
        fail "chart of $bad: status $status, $(cat "$WORK/chart")"
    fi
    [[ ! -e "$WORK/bad.png" ]] || fail "a chart of $bad"
done
./tev-bench-chart "$WORK/figures.json" >/dev/null 2>&1
[[ $? == 2 ]] || fail "tev-bench-chart with one file name"

./tev-bench --help | grep -q "usage: tev-bench" || fail "--help"
for bad in "--size 0x10" "--fps 0" "--from 5 --to 5" "--to 131" "--mode fast" "--json" \
           "--bogus" "--compare --mode built"; do
    # shellcheck disable=SC2086
    ./tev-bench $bad >"$WORK/out" 2>&1
    status=$?
    [[ $status == 2 ]] || fail "'$bad' gave status $status"
    grep -q "tev-bench: " "$WORK/out" || fail "'$bad' gave no message"
done
echo PASS
