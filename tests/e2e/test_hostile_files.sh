#!/usr/bin/env bash
# The show in hostile surroundings: no DATA.PAK, a read-only, truncated,
# wrong-version or FIFO one, no data/ folder, unreadable and damaged TGA
# files. In each, the show runs until Escape and ends with status 0, and
# tev-capture still draws the whole show without a display, with the pack's
# pictures wherever the pack could be read; neither raises a GL error.
#
# Each case is a folder holding copies of the programs: a program reads the
# data beside it first, and the working folder only when no folder of its
# own holds a DATA.PAK, so the copies keep it among the hostile files.
source "$(dirname "$0")/lib.sh" "$@"

PAK=$BIN_DIR/DATA.PAK
DATA=$BIN_DIR/data
# Mesa prints every GL error it raises; whatever the files, there is none.
export MESA_DEBUG=1
gl_errors() { grep -E 'Mesa: User error|GL_INVALID|GL_OUT_OF_MEMORY|GL_STACK_' "$@"; }

# A folder with the programs and the show's data.
make_case() {
    local dir=$WORK/$1
    mkdir -p "$dir"
    cp -r "$BIN_DIR/tev-intro" "$BIN_DIR/tev-capture" "$PAK" "$DATA" "$dir/"
    echo "$dir"
}

# poke FILE OFFSET VALUE: sets one byte.
poke() { printf "$(printf '\\x%02x' "$3")" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none; }

case_no_pack() { rm "$1/DATA.PAK"; }
case_no_pack_no_data() { rm -r "$1/DATA.PAK" "$1/data"; }
case_read_only_pack() { chmod 444 "$1/DATA.PAK"; }
case_pack_cut_in_its_header() { truncate -s 40 "$1/DATA.PAK"; }
case_pack_cut_in_a_picture() { truncate -s 100000 "$1/DATA.PAK"; }
case_pack_of_version_2() { poke "$1/DATA.PAK" 4 2; }
case_pack_is_a_fifo() { rm "$1/DATA.PAK" && mkfifo "$1/DATA.PAK"; }
case_no_data() { rm -r "$1/data"; }
case_tgas_not_files() {
    # A FIFO would block the open, a folder reads as an error, the devices
    # as endless zeros or noise.
    rm "$1/data/leaf.tga" "$1/data/block.tga"
    mkfifo "$1/data/leaf.tga"
    mkdir "$1/data/block.tga"
    ln -sf /dev/zero "$1/data/tex.tga"
    ln -sf /dev/urandom "$1/data/n.tga"
}
case_tgas_unreadable() {
    if [[ $(id -u) == 0 ]]; then
        echo "  (as root, files are read whatever their mode:" \
            "this shows only that the mode does no harm)"
    fi
    chmod 000 "$1"/data/*.tga
}
case_tgas_damaged() {
    local d=$1/data
    truncate -s 20000 "$d/leaf.tga"                    # cut short
    truncate -s 10 "$d/block.tga"                      # cut in the header
    head -c 65554 "$BIN_DIR/tev-intro" >"$d/flare.tga" # not a picture at all
    poke "$d/tex.tga" 13 255                           # width 65280: negative
    poke "$d/tex.tga" 15 127                           # height 32512: more than the file
    : >"$d/n.tga"                                      # empty
}

# Each case, and whether its frame at 120 s, where the pack's last picture
# shows, is the same as in the show's own surroundings.
cases=(no_pack:differs no_pack_no_data:differs read_only_pack:same
       pack_cut_in_its_header:differs pack_cut_in_a_picture:differs pack_of_version_2:differs
       pack_is_a_fifo:differs no_data:same tgas_not_files:same tgas_unreadable:same
       tgas_damaged:same)

# Frames at 0, 60 and 120 s of the whole show drawn at a low rate, so that
# every block draws whatever the files gave.
capture() {
    local dir=$1
    (cd "$dir" && env -u DISPLAY timeout 300 ./tev-capture --at 0,60,120 --fps 2 \
        --size 160x120 --out frames >"$WORK/capture.log" 2>&1)
    local status=$?
    [[ $status == 0 ]] || { cat "$WORK/capture.log"; fail "$dir: tev-capture ended with $status"; }
    ! gl_errors "$WORK/capture.log" || fail "$dir: GL errors in tev-capture"
    for t in 0 60 120; do
        [[ "$(identify -format '%wx%h' "$dir/frames/t$t.png" 2>/dev/null)" == 160x120 ]] ||
            fail "$dir: no frame at $t s"
    done
}

normal=$(make_case normal)
capture "$normal"

for entry in "${cases[@]}"; do
    name=${entry%:*}
    echo "case $name"
    dir=$(make_case "$name")
    "case_$name" "$dir" || fail "$name: cannot set up the case"

    (cd "$dir" && SDL_AUDIODRIVER=dummy exec ./tev-intro >"$SHOW_OUT" 2>"$SHOW_ERR") &
    SHOW_PID=$!
    wait_for_dialog
    click_start
    wait_for_drawn_window
    hold_key "$SHOW_WINDOW" Escape
    wait_exit 30
    expect_eq "$EXIT_STATUS" 0 "$name: exit status"
    ! gl_errors "$SHOW_ERR" || fail "$name: GL errors"

    capture "$dir"
    if cmp -s "$dir/frames/t120.png" "$normal/frames/t120.png"; then
        expect_eq same "${entry#*:}" "$name: the frame at 120 s against the normal one"
    else
        expect_eq differs "${entry#*:}" "$name: the frame at 120 s against the normal one"
    fi
    chmod -R u+rwx "$dir"
    rm -rf "$dir"
done
echo PASS
