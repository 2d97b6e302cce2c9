#!/usr/bin/env bash
# Data files swapped while the show runs, then F1: the next display cycle
# reads the damaged files into the same records that held the good ones.
# First the pack (its pictures claim far more pixels than it holds), then
# the TGA files (depths of 16, 40 and 0 bits, sizes beyond the file). Each
# time the show goes on, the damaged pictures black as far as the picture
# budget reads them and empty beyond it; Escape gives 0. Run by
# the sanitizer build too, where any read past a buffer is a report.
source "$(dirname "$0")/lib.sh" "$@"

export MESA_DEBUG=1
# In the sanitizer build: reads and writes past a buffer are what this test
# is after. The window system's libraries (fontconfig, X) keep memory to the
# end, which LeakSanitizer would report; leaks are checked offscreen.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0

le32() { printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) \
    $(($1 >> 16 & 255)) $(($1 >> 24 & 255)))"; }
le16() { printf "$(printf '\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)))"; }

# entry NAME PAYLOAD_SIZE: a 24-byte entry header.
entry() {
    printf '%s' "$1"
    head -c $((20 - ${#1})) /dev/zero
    le32 "$2"
}

# A pack whose pictures claim 1024 x 1024 x 4 pixels with 12 payload bytes.
damaged_pack() {
    printf 'PACK\x01'
    head -c 67 /dev/zero
    local n
    for n in $(seq 0 15) DESTRUCT; do
        [[ $n == DESTRUCT ]] && entry DESTRUCT 12 || entry "PIC$n" 12
        le32 1024
        le32 1024
        le32 4
    done
}

# tga WIDTH HEIGHT DEPTH DATA_BYTES
tga() {
    printf '\x00\x00\x02'
    head -c 9 /dev/zero
    le16 "$1"
    le16 "$2"
    printf "$(printf '\\x%02x' "$3")\\x00"
    head -c "$4" /dev/urandom
}

# Replaces FILE whole, as a user copying over it would.
swap_in() {
    local file=$1
    cat >"$file.new" && mv "$file.new" "$file"
}

run=$WORK/run
mkdir -p "$run"
cp -r "$BIN_DIR/DATA.PAK" "$BIN_DIR/data" "$run/"

# Named with --data: the build's own data beside the program comes first.
start_show_with --data "$run"
wait_for_dialog
click_start
wait_for_drawn_window

damaged_pack | swap_in "$run/DATA.PAK"
hold_key "$SHOW_WINDOW" F1
wait_for_drawn_window "$SHOW_WINDOW"
# The files are read by name from the folder the show entered at its start.
expect_eq "$(readlink "/proc/$SHOW_PID/cwd")" "$run" "the folder the show reads after F1"

cp "$BIN_DIR/DATA.PAK" "$run/DATA.PAK"
tga 64 64 16 100 | swap_in "$run/data/leaf.tga"
tga 64 64 40 20480 | swap_in "$run/data/block.tga"
tga 64 64 0 10 | swap_in "$run/data/flare.tga"
tga 32767 32767 32 64 | swap_in "$run/data/tex.tga"
tga 300 300 40 8 | swap_in "$run/data/n.tga"
hold_key "$SHOW_WINDOW" F1
wait_for_drawn_window "$SHOW_WINDOW"

hold_key "$SHOW_WINDOW" Escape
wait_exit 30
expect_eq "$EXIT_STATUS" 0 "exit status"
if grep -E 'Sanitizer|runtime error|Mesa: User error|GL_INVALID' "$SHOW_ERR"; then
    fail "a sanitizer or GL error report"
fi
echo PASS
