#!/usr/bin/env bash
# A program that plays without its pack or sprites says so: one line on
# standard error naming the folder and each file missing there, and it plays
# on (tev-capture writes its frames, the show runs until Escape with status
# 0). With all its files it says nothing.
source "$(dirname "$0")/lib.sh" "$@"

args=(--at 1 --fps 10 --size 64x48)
# capture DATA_DIR OUT: tev-capture's frame at 1 s, its standard error in OUT.err.
capture() {
    (cd "$WORK" && env -u DISPLAY timeout 120 "$BIN_DIR/tev-capture" "${args[@]}" --data "$1" \
        --out "$2" 2>"$2.err") || { cat "$2.err"; fail "tev-capture --data $1"; }
    [[ -f "$2/t1.png" ]] || fail "no frame drawn with --data $1"
}

mkdir "$WORK/empty"
capture "$WORK/empty" "$WORK/none"
expect_eq "$(wc -l <"$WORK/none.err")" 1 "lines on standard error without any file"
line=$(cat "$WORK/none.err")
[[ "$line" == "tev-capture: missing in $WORK/empty: DATA.PAK, data/leaf.tga, data/block.tga,"* ]] ||
    fail "the line names the folder and the pack first: $line"
for file in data/flare.tga data/tex.tga data/n.tga; do
    [[ "$line" == *"$file"* ]] || fail "the line lacks $file: $line"
done

# One sprite gone, another replaced by a folder (which the reader does not
# open): those two are named, and nothing else.
mkdir "$WORK/some"
cp -r "$BIN_DIR/DATA.PAK" "$BIN_DIR/data" "$WORK/some/"
rm "$WORK/some/data/leaf.tga" "$WORK/some/data/n.tga"
mkdir "$WORK/some/data/n.tga"
capture "$WORK/some" "$WORK/partly"
expect_eq "$(cat "$WORK/partly.err")" \
    "tev-capture: missing in $WORK/some: data/leaf.tga, data/n.tga; the show goes on without those pictures" \
    "the line with two sprites missing"

capture "$BIN_DIR" "$WORK/all"
expect_eq "$(cat "$WORK/all.err")" "" "standard error with every file there"

# The show itself, from the empty folder, until Escape.
start_show_with --windowed --data "$WORK/empty"
wait_for_drawn_window
grep -qx "tev-intro: missing in $WORK/empty: DATA.PAK, .*; the show goes on without those pictures" \
    "$SHOW_ERR" || fail "the show did not say what it lacks"
hold_key "$SHOW_WINDOW" Escape
wait_exit 20
expect_eq "$EXIT_STATUS" 0 "the show's status after Escape"
echo PASS
