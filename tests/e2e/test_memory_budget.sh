#!/usr/bin/env bash
# Pictures that claim gigabytes and take kilobytes on disk: a sparse
# DATA.PAK whose PIC0 to PIC3 are 16384 x 16384 x 4 each (the rest of it the
# show's own entries) and a sparse 16383 x 16383 TGA in data/. The show's
# peak RSS (VmHWM, read just before Escape) stays within the show's own
# peak beside its own data plus the pictures' budget, through a display
# cycle and the next one (F1); its first frame comes within a bounded wait;
# Escape gives 0. Inside a memory cgroup of 1 GiB too, where the harness can
# make one (cgroup v2, as root). Run by the sanitizer build too.
source "$(dirname "$0")/lib.sh" "$@"

# What README states for all pictures of one display cycle.
BUDGET_MIB=64
# The first frame's bound: generous, as llvmpipe on a busy machine (and the
# sanitizer build) is slow; a picture read in full would take 15 s or more.
FIRST_FRAME_SECONDS=${TEV_E2E_FIRST_FRAME_SECONDS:-12}

export MESA_DEBUG=1
# The window system's libraries keep memory to the end; leaks are checked
# offscreen (sanitized_whole_show).
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0

le32() { printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) \
    $(($1 >> 16 & 255)) $(($1 >> 24 & 255)))"; }
le16() { printf "$(printf '\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)))"; }

# hostile_pack FILE: the show's pack header, four sparse 1-GiB pictures
# named as the show's first four, then the show's pack from its fifth entry.
hostile_pack() {
    local out=$1 real=$BIN_DIR/DATA.PAK n at=72 size
    local pixels=$((16384 * 16384 * 4))
    head -c 72 "$real" >"$out"
    for n in 0 1 2 3; do
        {
            printf 'PIC%d' "$n"
            head -c 16 /dev/zero
            le32 $((pixels + 12))
            le32 16384
            le32 16384
            le32 4
        } >>"$out"
        truncate -s $(($(stat -c %s "$out") + pixels)) "$out"
        size=$(od -An -t d4 -j $((at + 20)) -N 4 "$real" | tr -d ' ')
        at=$((at + 24 + size))
    done
    tail -c +$((at + 1)) "$real" >>"$out"
}

# sparse_tga FILE: a 16383 x 16383 32-bit TGA, all of its pixels a hole.
sparse_tga() {
    {
        printf '\x00\x00\x02'
        head -c 9 /dev/zero
        le16 16383
        le16 16383
        printf '\x20\x00'
    } >"$1"
    truncate -s $((18 + 16383 * 16383 * 4)) "$1"
}

# kib_of FIELD: a kB field of the show's /proc status; fails the test when
# there is none.
kib_of() {
    local kib
    kib=$(sed -n "s/^$1:[[:space:]]*\([0-9]*\) kB/\1/p" "/proc/$SHOW_PID/status")
    [[ -n "$kib" ]] || fail "no $1 in /proc/$SHOW_PID/status"
    echo "$kib"
}

# run_show DIR CGROUP: the show in a window from DIR (inside CGROUP when one
# is named) until its first drawn frame; sets FIRST_FRAME (seconds from the
# start) and PEAK_KIB. Then F1 and the next cycle's first frame, PEAK_KIB
# again, Escape and status 0.
run_show() {
    local dir=$1 cgroup=${2:-} start
    start=$(date +%s.%N)
    (
        cd "$dir" || exit 1
        if [[ -n "$cgroup" ]]; then echo "$BASHPID" >"$cgroup/cgroup.procs" || exit 1; fi
        SDL_AUDIODRIVER=dummy exec "$BIN_DIR/tev-intro" --windowed --size 640x480 --data . \
            >"$SHOW_OUT" 2>"$SHOW_ERR"
    ) &
    SHOW_PID=$!
    wait_for_drawn_window
    FIRST_FRAME=$(awk "BEGIN { printf \"%.1f\", $(date +%s.%N) - $start }")
    PEAK_KIB=$(kib_of VmHWM) || exit 1
    echo "  first frame after ${FIRST_FRAME}s, peak RSS $((PEAK_KIB / 1024)) MiB"

    hold_key "$SHOW_WINDOW" F1
    wait_for_drawn_window "$SHOW_WINDOW"
    PEAK_KIB=$(kib_of VmHWM) || exit 1
    echo "  after F1: peak RSS $((PEAK_KIB / 1024)) MiB"
    hold_key "$SHOW_WINDOW" Escape
    wait_exit 30
    expect_eq "$EXIT_STATUS" 0 "exit status"
    if grep -E 'Sanitizer|runtime error|Mesa: User error|GL_INVALID|GL_OUT_OF_MEMORY' \
        "$SHOW_ERR"; then
        fail "a sanitizer or GL error report"
    fi
}

own=$WORK/own
mkdir -p "$own"
cp -r "$BIN_DIR/DATA.PAK" "$BIN_DIR/data" "$own/"
echo "the show's own data"
run_show "$own"
own_peak=$PEAK_KIB

hostile=$WORK/hostile
mkdir -p "$hostile"
cp -r "$BIN_DIR/data" "$hostile/"
hostile_pack "$hostile/DATA.PAK"
sparse_tga "$hostile/data/tex.tga"
echo "sparse files: DATA.PAK $(stat -c %s "$hostile/DATA.PAK") bytes" \
    "($(du -k "$hostile/DATA.PAK" | cut -f1) KiB on disk)," \
    "tex.tga $(stat -c %s "$hostile/data/tex.tga") bytes" \
    "($(du -k "$hostile/data/tex.tga" | cut -f1) KiB on disk)"

check_hostile_run() {
    local bound=$((own_peak + BUDGET_MIB * 1024))
    ((PEAK_KIB <= bound)) ||
        fail "peak RSS ${PEAK_KIB} KiB, over ${bound} KiB (the show's own ${own_peak} + budget)"
    holds "$FIRST_FRAME <= $FIRST_FRAME_SECONDS" ||
        fail "the first frame came after ${FIRST_FRAME}s, not within ${FIRST_FRAME_SECONDS}s"
}

echo "the sparse files"
run_show "$hostile"
check_hostile_run

# The same inside a memory cgroup of 1 GiB, where the kernel would end a
# show that read the pictures whole.
cgroup_unavailable() {
    [[ $(id -u) == 0 ]] || { echo "not root"; return; }
    [[ -f /sys/fs/cgroup/cgroup.controllers ]] ||
        { echo "/sys/fs/cgroup is not a cgroup v2 hierarchy"; return; }
    grep -qw memory /sys/fs/cgroup/cgroup.controllers ||
        { echo "no memory controller"; return; }
    [[ -w /sys/fs/cgroup/cgroup.subtree_control ]] || { echo "cgroups are read only"; return; }
}
reason=$(cgroup_unavailable)
if [[ -n "$reason" ]]; then
    echo "SKIP the 1-GiB memory cgroup: $reason"
else
    cgroup=/sys/fs/cgroup/tev-e2e-memory-$$
    grep -qw memory /sys/fs/cgroup/cgroup.subtree_control ||
        echo +memory >/sys/fs/cgroup/cgroup.subtree_control ||
        fail "cannot enable the memory controller"
    mkdir "$cgroup" || fail "cannot make $cgroup"
    trap 'cleanup; rmdir "$cgroup" 2>/dev/null' EXIT
    echo $((1024 * 1024 * 1024)) >"$cgroup/memory.max" || fail "cannot limit $cgroup"
    # Swap would let the show go on slowly instead of being ended.
    if [[ -f "$cgroup/memory.swap.max" ]]; then echo 0 >"$cgroup/memory.swap.max"; fi
    echo "the sparse files inside a memory cgroup of 1 GiB"
    run_show "$hostile" "$cgroup"
    check_hostile_run
    kills=$(sed -n 's/^oom_kill //p' "$cgroup/memory.events")
    expect_eq "${kills:-0}" 0 "processes the kernel ended in the cgroup"
fi
echo PASS
