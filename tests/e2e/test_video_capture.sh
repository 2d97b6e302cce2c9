#!/usr/bin/env bash
# tev-capture --video: a span around the white flash, encoded with its music,
# has one video and one audio stream of the span's length, and the flash's
# first frame comes with the module's section change at 109.5 s. --audio
# writes the same music as a WAV, sample for sample. --preset and --quality
# reach the encoder.
TEV_E2E_SERVER=none
source "$(dirname "$0")/lib.sh" "$@"
# a - b within tolerance
near() { awk -v a="$1" -v b="$2" -v tol="$3" 'BEGIN { d = a - b; exit !(d <= tol && -d <= tol) }'; }

cd "$BIN_DIR"
# Without the pack the picture show is a blank white square: no flash to find.
[[ -f DATA.PAK ]] || fail "no DATA.PAK beside the programs"
FPS=30
FRAME=$(awk -v f=$FPS 'BEGIN { print 1 / f }')
env -u DISPLAY -u WAYLAND_DISPLAY ./tev-capture --video "$WORK/span.mp4" --size 64x48 \
    --from 108 --to 111 2>"$WORK/err" || fail "capture failed: $(cat "$WORK/err")"
[[ ! -s "$WORK/err" ]] || fail "not a terminal, yet it printed: $(cat "$WORK/err")"
[[ -z "$(find "$WORK" -name '.span-*')" ]] || fail "a temporary file was left behind"

# One video and one audio stream, each 3 s long within one frame.
ffprobe -v error -show_entries stream=codec_type,codec_name,width,height,duration \
    -of csv=p=0 "$WORK/span.mp4" >"$WORK/streams"
[[ $(grep -c '^h264,video,64,48,' "$WORK/streams") == 1 ]] || fail "video: $(cat "$WORK/streams")"
[[ $(grep -c '^aac,audio,' "$WORK/streams") == 1 ]] || fail "audio: $(cat "$WORK/streams")"
[[ $(wc -l <"$WORK/streams") == 2 ]] || fail "streams: $(cat "$WORK/streams")"
video_s=$(awk -F, '$2 == "video" { print $5 }' "$WORK/streams")
audio_s=$(awk -F, '$2 == "audio" { print $3 }' "$WORK/streams")
near "$video_s" 3 "$FRAME" || fail "video lasts $video_s s"
near "$audio_s" 3 "$FRAME" || fail "audio lasts $audio_s s"

# The first white frame: frame 46 of the span, drawn at 109.533 s, the first
# frame of the show after 109.5 s.
flash=$(ffmpeg -v error -i "$WORK/span.mp4" -f rawvideo -pix_fmt gray - |
    od -An -v -tu1 -w$((64 * 48)) |
    awk '!found {
        m = 255; sum = 0
        for (i = 1; i <= NF; i++) { sum += $i; if ($i < m) m = $i }
        if (m >= 230 && sum / NF >= 250) { print NR - 1; found = 1 }  # white, give or take the codec
    }')
[[ "$flash" == 46 ]] || fail "the first white frame is ${flash:-none}, not 46"

# Where the module's 109.5 s lies in the file's audio: the file's sound
# against ffmpeg's own libopenmpt render of the module from 108 s on, by
# cross-correlating their 2 ms envelopes. A lag of 0 puts it at 1.5 s.
MODULE="$BIN_DIR/../embedded/music.it"
[[ -f "$MODULE" ]] || fail "no module at $MODULE"
ffmpeg -v error -sample_rate 44100 -i "$MODULE" -ss 108 -t 3 -ac 1 -f s16le "$WORK/module.s16"
envelope() {
    od -An -v -td2 -w2 "$1" | awk -v W=88 '{ s += ($1 < 0 ? -$1 : $1); if (++n == W) { print s / W; s = 0; n = 0 } }'
}
lag_behind_module() {  # seconds by which the sound in $1 comes later than the module's
    ffmpeg -v error -y -i "$1" -map 0:a -ac 1 -ar 44100 -f s16le "$WORK/sound.s16"
    paste <(envelope "$WORK/sound.s16") <(envelope "$WORK/module.s16") |
        awk -v W=88 -v R=44100 -v MAX=60 '
        NF == 2 { a[n] = $1; b[n] = $2; ma += $1; mb += $2; n++ }
        END {
            ma /= n; mb /= n
            for (i = 0; i < n; i++) { a[i] -= ma; b[i] -= mb }
            best = -1e300
            for (lag = -MAX; lag <= MAX; lag++) {
                s = 0
                for (i = MAX; i < n - MAX; i++) s += a[i + lag] * b[i]
                c[lag] = s
                if (s > best) { best = s; at = lag }
            }
            d = c[at - 1] - 2 * c[at] + c[at + 1]
            printf "%.4f\n", (at + (d != 0 ? 0.5 * (c[at - 1] - c[at + 1]) / d : 0)) * W / R
        }'
}
lag=$(lag_behind_module "$WORK/span.mp4")
near "$lag" 0 0.005 || fail "the file's audio is $lag s off the module"
section=$(awk -v l="$lag" 'BEGIN { print 1.5 + l }')
flash_s=$(awk -v f="$flash" -v r=$FPS 'BEGIN { print f / r }')
awk -v s="$section" -v f="$flash_s" -v fr="$FRAME" 'BEGIN { exit !(f >= s && f - s <= fr + 0.005) }' ||
    fail "flash at $flash_s s, section change at $section s: not within one frame"

# --audio of the span: the module from 108 s, and exactly that part of the
# render from the start.
./tev-capture --audio "$WORK/span.wav" --from 108 --to 111 || fail "--audio of the span failed"
./tev-capture --audio "$WORK/whole.wav" --to 111 || fail "--audio failed"
[[ $(stat -c %s "$WORK/span.wav") == $((44 + 3 * 44100 * 4)) ]] || fail "span.wav has the wrong size"
lag=$(lag_behind_module "$WORK/span.wav")
near "$lag" 0 0.001 || fail "span.wav is $lag s off the module"
cmp -s <(tail -c +45 "$WORK/span.wav") \
    <(tail -c +$((44 + 108 * 44100 * 4 + 1)) "$WORK/whole.wav" | head -c $((3 * 44100 * 4))) ||
    fail "the span's music is not the whole render's from 108 s on"

# --preset and --quality reach x264, which names its settings in the stream;
# the default is what --help says it is.
default_preset=$(./tev-capture --help | sed -nE 's/.*--preset P .*default ([a-z]+).*/\1/p')
default_quality=$(./tev-capture --help | sed -nE 's/.*--quality Q .*default ([0-9]+).*/\1/p')
[[ -n "$default_preset" && -n "$default_quality" ]] || fail "--help names no default preset or quality"
x264_settings() { strings "$1" | grep -o 'x264 - core.*' | head -n 1; }
settings=$(x264_settings "$WORK/span.mp4")
[[ "$settings" == *" crf=$default_quality.0 "* ]] ||
    fail "the default capture is not at quality $default_quality: $settings"
./tev-capture --video "$WORK/slow.mp4" --size 64x48 --from 108 --to 109 --preset slow \
    --quality 30 2>"$WORK/err" || fail "capture with --preset slow failed: $(cat "$WORK/err")"
settings=$(x264_settings "$WORK/slow.mp4")
[[ "$settings" == *" crf=30.0 "* && "$settings" == *" ref=5 "* ]] ||
    fail "--preset slow --quality 30 gave: $settings"

# Another container: ffmpeg's own codecs; a progress bar on a terminal.
script -qec "./tev-capture --video '$WORK/start.mkv' --size 32x24 --fps 10 --to 1" /dev/null \
    >"$WORK/tty" || fail "the .mkv capture failed"
grep -q "10/10 frames" "$WORK/tty" || fail "no progress bar on a terminal: $(cat "$WORK/tty")"
ffprobe -v error -show_entries stream=codec_type -of csv=p=0 "$WORK/start.mkv" >"$WORK/mkv"
[[ "$(sort "$WORK/mkv" | tr '\n' ' ')" == "audio video " ]] || fail ".mkv streams: $(cat "$WORK/mkv")"
echo PASS
