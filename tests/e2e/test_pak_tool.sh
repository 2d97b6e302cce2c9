#!/usr/bin/env bash
# tev-pak on the pack the build made, and on damaged input. Needs no display.
# Usage: test_pak_tool.sh BIN_DIR [TESTS_DIR]
set -u

bin_dir=${1:?usage: test_pak_tool.sh BIN_DIR}
pak="$bin_dir/tev-pak"
pack="$bin_dir/DATA.PAK"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# Runs a command that must fail cleanly: a non-zero status that is not a
# signal, and a message naming the tool.
expect_failure() {
    local what=$1
    shift
    local output status
    output=$("$@" 2>&1)
    status=$?
    if [ "$status" -eq 0 ]; then
        fail "$what: succeeded"
    elif [ "$status" -ge 128 ]; then
        fail "$what: killed by a signal (status $status)"
    elif ! grep -q 'tev-pak: ' <<<"$output"; then
        fail "$what: no message (got: $output)"
    fi
}

[ -x "$pak" ] || { echo "FAIL: no $pak"; exit 1; }
[ -f "$pack" ] || { echo "FAIL: no $pack"; exit 1; }

# --- list: the seventeen pictures, in order
listing=$("$pak" list "$pack") || fail "list: status $?"
names=$(awk '{print $1}' <<<"$listing" | tr '\n' ' ')
expected="PIC0 PIC1 PIC2 PIC3 PIC4 PIC5 PIC6 PIC7 PIC8 PIC9 PIC10 PIC11 PIC12 PIC13 PIC14 PIC15 DESTRUCT "
[ "$names" = "$expected" ] || fail "list: names are '$names'"
pictures=$(grep -c ' 262156 bytes  256 x 256 x 4$' <<<"$listing")
[ "$pictures" -eq 17 ] || fail "list: $pictures lines show 262156 bytes, 256 x 256 x 4"

# --- extract, then create from the PNGs: the same bytes again
"$pak" extract "$pack" "$work/pictures" >/dev/null || fail "extract: status $?"
[ "$(ls "$work/pictures" | wc -l)" -eq 17 ] || fail "extract: $(ls "$work/pictures" | wc -l) files"
# The PNG header: 256 x 256, 8 bits, colour type 6 (RGBA).
ihdr=$(od -An -tx1 -j16 -N10 "$work/pictures/PIC0.png" | tr -d ' \n')
[ "$ihdr" = "00000100000001000806" ] || fail "extract: PIC0.png header $ihdr"
pairs=()
for name in $names; do pairs+=("$name=$work/pictures/$name.png"); done
"$pak" create "$work/copy.pak" "${pairs[@]}" >/dev/null || fail "create: status $?"
cmp -s "$pack" "$work/copy.pak" || fail "create: the rebuilt pack differs from the original"

# --- damaged and missing input
head -c 100000 "$pack" >"$work/truncated.pak"
expect_failure "list of a truncated pack" "$pak" list "$work/truncated.pak"
expect_failure "extract of a truncated pack" "$pak" extract "$work/truncated.pak" "$work/out1"
[ -z "$(ls -A "$work/out1" 2>/dev/null)" ] || fail "extract of a truncated pack wrote files"
head -c 40 "$pack" >"$work/short.pak"
expect_failure "list of a pack shorter than its header" "$pak" list "$work/short.pak"
cp "$pack" "$work/magic.pak"
printf 'KCAP' | dd of="$work/magic.pak" conv=notrunc status=none
expect_failure "list of a pack with a bad magic" "$pak" list "$work/magic.pak"
cp "$pack" "$work/size.pak"
printf '\377\377\377\177' | dd of="$work/size.pak" bs=1 seek=92 conv=notrunc status=none
expect_failure "list of a pack with an oversized entry" "$pak" list "$work/size.pak"
expect_failure "list of a missing file" "$pak" list "$work/no-such.pak"
expect_failure "list of a folder" "$pak" list "$work"

echo "not a picture" >"$work/bad.png"
head -c 300 "$work/pictures/PIC0.png" >"$work/cut.png"
expect_failure "create from a file that is not a PNG" "$pak" create "$work/new.pak" "A=$work/bad.png"
expect_failure "create from a truncated PNG" "$pak" create "$work/new.pak" "A=$work/cut.png"
expect_failure "create from a missing PNG" "$pak" create "$work/new.pak" "A=$work/none.png"
expect_failure "create with a name too long to find" \
    "$pak" create "$work/new.pak" "FIFTEEN_LETTERS=$work/pictures/PIC0.png"
expect_failure "create with a repeated name" \
    "$pak" create "$work/new.pak" "A=$work/pictures/PIC0.png" "A=$work/pictures/PIC1.png"
expect_failure "create without NAME=" "$pak" create "$work/new.pak" "$work/pictures/PIC0.png"
[ ! -e "$work/new.pak" ] || fail "a failed create left $work/new.pak"

# A failed create leaves an existing pack as it was, and no stray files.
cp "$work/copy.pak" "$work/keep.pak"
expect_failure "create over a pack from a bad PNG" "$pak" create "$work/keep.pak" "A=$work/bad.png"
cmp -s "$pack" "$work/keep.pak" || fail "a failed create changed the existing pack"
[ -z "$(ls "$work" | grep '\.pak\.')" ] || fail "temporary files left: $(ls "$work" | grep '\.pak\.')"

# --- usage
"$pak" --help | grep -q 'tev-pak create FILE NAME=IMAGE.png' || fail "--help"
"$pak" >/dev/null 2>&1
[ $? -eq 2 ] || fail "no arguments: not status 2"
"$pak" frobnicate x >/dev/null 2>&1
[ $? -eq 2 ] || fail "an unknown command: not status 2"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "tev-pak: all checks passed"
