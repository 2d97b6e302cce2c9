#!/usr/bin/env bash
# The whole show through a real sound server (a private PulseAudio with a
# null sink): it ends by itself with status 0; the music recorded from the
# sink's monitor is the module's own render, piece by piece; and picture and
# sound are in step: the music's section change at 109.5 s, where the white
# flash starts, leaves the server within one frame at 60 Hz (16.7 ms) of the
# show clock reading 109.5. The show runs as tev-test-sync-probe, which is
# tev-intro noting where its clock stands.
source "$(dirname "$0")/lib.sh" "$@"

start_pulse
record_monitor "$WORK/monitor.raw"
start_sync_probe "$WORK/probe.log"
wait_for_dialog
click_start
wait_for_show_window >/dev/null
wait_for_sound "$WORK/monitor.raw" 20
sink_ms=$(sink_latency_ms)
[[ -n "$sink_ms" ]] || fail "the sink reports no latency"
wait_exit 200
expect_eq "$EXIT_STATUS" 0 "exit status at the end of the show"
stop_recording

"$TEST_DIR/tev-test-sound-sync" "$BIN_DIR/../embedded/music.it" "$WORK/monitor.raw" \
    "$WORK/monitor.raw.stamps" "$WORK/probe.log" "$sink_ms" 1 60 109.5 >"$WORK/sync" ||
    fail "the music recorded is not the module's render: $(cat "$WORK/sync")"
cat "$WORK/sync"
offset=$(awk '$2 == "109.500:" { print $7 }' "$WORK/sync")
[[ -n "$offset" ]] || fail "no offset measured at 109.5 s"
awk -v o="$offset" 'BEGIN { exit !(o >= -16.7 && o <= 16.7) }' ||
    fail "the sound of 109.5 s was heard $offset ms after the clock read 109.5"
echo PASS
