#!/usr/bin/env bash
# tev-capture's video and audio options (the encoder's preset and quality
# among them) refuse bad arguments with status 2
# and a message; a missing ffmpeg, an output that cannot be written, an
# ffmpeg that fails and an interrupt give status 1 and leave no file behind.
TEV_E2E_SERVER=none
source "$(dirname "$0")/lib.sh" "$@"
cd "$BIN_DIR"

expect_status() {  # STATUS MESSAGE-PATTERN ARGS...
    local want=$1 pattern=$2
    shift 2
    ./tev-capture "$@" >"$WORK/out" 2>&1
    local status=$?
    [[ $status == "$want" ]] || fail "'$*' gave status $status: $(cat "$WORK/out")"
    grep -q -- "$pattern" "$WORK/out" || fail "'$*' said: $(cat "$WORK/out")"
}

V="$WORK/v.mp4"
expect_status 2 "needs a value" --video
expect_status 2 "needs a value" --audio
expect_status 2 "needs an extension" --video "$WORK/noext"
expect_status 2 "one of" --video "$V" --audio "$WORK/a.wav"
expect_status 2 "one of" --video "$V" --at 1
expect_status 2 "--out goes with --at" --video "$V" --out "$WORK"
expect_status 2 "go with --video or --audio" --at 1 --out "$WORK" --from 2
expect_status 2 "not a show time" --video "$V" --from -1
expect_status 2 "not a show time" --video "$V" --to 131
expect_status 2 "not a show time" --audio "$WORK/a.wav" --from abc
expect_status 2 "must come before" --video "$V" --from 5 --to 5
expect_status 2 "no frame" --video "$V" --fps 1 --from 129.5 --to 130
expect_status 2 "not a whole number" --video "$V" --fps 0
expect_status 2 "WIDTHxHEIGHT" --video "$V" --size 10
expect_status 2 "is not one of" --video "$V" --preset quick
expect_status 2 "needs a value" --video "$V" --preset
expect_status 2 "from 0 to 51" --video "$V" --quality 52
expect_status 2 "from 0 to 51" --video "$V" --quality 20.5
expect_status 2 "go with --video FILE.mp4" --video "$WORK/v.mkv" --preset medium
expect_status 2 "go with --video FILE.mp4" --audio "$WORK/a.wav" --quality 20
expect_status 2 "go with --video" --at 1 --out "$WORK" --preset medium
[[ -z "$(ls -A "$WORK" | grep -v '^out$')" ]] || fail "bad arguments left files: $(ls -A "$WORK")"

# No ffmpeg on PATH: a clear message before any work.
PATH=/nonexistent ./tev-capture --video "$V" --size 32x24 --to 1 >"$WORK/out" 2>&1
status=$?
[[ $status == 1 ]] || fail "without ffmpeg: status $status"
grep -q "ffmpeg was not found" "$WORK/out" || fail "without ffmpeg it said: $(cat "$WORK/out")"

# Outputs that cannot be written.
expect_status 1 "cannot create" --video "$WORK/missing/v.mp4" --size 32x24 --to 1
expect_status 1 "cannot" --audio "$WORK/missing/a.wav" --to 1
mkdir "$WORK/folder.mp4"
expect_status 1 "is a folder" --video "$WORK/folder.mp4" --size 32x24 --to 1
rmdir "$WORK/folder.mp4"

# ffmpeg refuses the format: no file, no temporary left.
expect_status 1 "ffmpeg failed" --video "$WORK/v.notaformat" --size 32x24 --to 1

# Interrupted half way, once encoded frames reach the file: no file,
# no temporary left.
./tev-capture --video "$V" --size 32x24 >"$WORK/out" 2>&1 &
pid=$!
deadline=$((SECONDS + 60))
until [[ -n "$(find "$WORK" -name '.v-*.mp4' -size +1k)" ]]; do
    kill -0 $pid 2>/dev/null || fail "the capture ended before the interrupt: $(cat "$WORK/out")"
    ((SECONDS < deadline)) || fail "no encoded frames in the file after 60 s"
    sleep 0.1
done
kill -INT $pid
wait $pid
status=$?
[[ $status == 1 ]] || fail "interrupted: status $status"
grep -q "interrupted" "$WORK/out" || fail "interrupted, it said: $(cat "$WORK/out")"

[[ -z "$(ls -A "$WORK" | grep -v '^out$')" ]] || fail "files left behind: $(ls -A "$WORK")"
echo PASS
