#!/usr/bin/env bash
# What tev-capture's H.264 settings cost: for each preset:quality given, the
# wall time of `tev-capture --video` over one span, the file's size, and its
# SSIM and PSNR against the frames the show drew (both converted to the
# video's yuv420p, so only the encoder's loss counts). One line per setting.
#   bench/video/measure.sh BIN_DIR FROM TO SIZE PRESET:QUALITY...
# e.g. bench/video/measure.sh build/bin 44 64 800x600 ultrafast:20 medium:23
set -euo pipefail
BIN_DIR=$(cd "$1" && pwd)
FROM=$2 TO=$3 SIZE=$4
shift 4
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
FPS=30

# The raw frames, once: an "ffmpeg" that keeps what it is given.
mkdir "$WORK/keep"
cat >"$WORK/keep/ffmpeg" <<KEEP
#!/bin/sh
cat >"$WORK/raw.rgb"
KEEP
chmod +x "$WORK/keep/ffmpeg"
PATH="$WORK/keep:$PATH" "$BIN_DIR/tev-capture" --video "$WORK/raw.mp4" --size "$SIZE" \
    --from "$FROM" --to "$TO" >/dev/null 2>&1 || true
[[ -s "$WORK/raw.rgb" ]] || { echo "no raw frames" >&2; exit 1; }

# Wall time, and CPU time (user and system, ffmpeg's included): on a busy
# machine the second says more.
printf '%-10s %7s %7s %7s %8s %8s %8s\n' preset quality "wall s" "CPU s" "size MB" SSIM "PSNR dB"
for setting in "$@"; do
    preset=${setting%%:*} quality=${setting##*:}
    /usr/bin/time -o "$WORK/time" -f '%e %U %S' "$BIN_DIR/tev-capture" --video "$WORK/v.mp4" \
        --size "$SIZE" --from "$FROM" --to "$TO" --preset "$preset" --quality "$quality"
    read -r wall user system <"$WORK/time"
    # The raw frames come bottom row first, as the capture hands them over.
    scores=$(ffmpeg -hide_banner -nostdin -i "$WORK/v.mp4" -f rawvideo -pix_fmt rgb24 \
        -video_size "$SIZE" -framerate $FPS -i "$WORK/raw.rgb" -filter_complex \
        "[0:v]format=yuv420p,split[a][b];[1:v]vflip,format=yuv420p,split[c][d];[a][c]ssim;[b][d]psnr" \
        -f null - 2>&1 | grep -E 'SSIM|PSNR')
    ssim=$(sed -nE 's/.*SSIM .* All:([0-9.]+).*/\1/p' <<<"$scores")
    psnr=$(sed -nE 's/.*PSNR .* average:([0-9.inf]+).*/\1/p' <<<"$scores")
    video_mb=$(ffprobe -v error -select_streams v:0 -show_entries stream=bit_rate -of csv=p=0 \
        "$WORK/v.mp4" | awk -v s="$TO" -v f="$FROM" '{ printf "%.1f", $1 * (s - f) / 8e6 }')
    printf '%-10s %7s %7.1f %7.1f %8.2f %8s %8s   (video stream %s MB)\n' "$preset" \
        "$quality" "$wall" "$(echo "$user + $system" | bc)" \
        "$(stat -c %s "$WORK/v.mp4" | awk '{ print $1 / 1e6 }')" "$ssim" "$psnr" "$video_mb"
done
