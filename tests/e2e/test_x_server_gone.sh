#!/usr/bin/env bash
# The X server ends while the show runs fullscreen with a changed mode: the
# show ends within 2 s with status 4 and one line on standard error, and
# leaves no process behind (its mode guardian included).
TEV_E2E_SERVER=xorg
source "$(dirname "$0")/lib.sh" "$@"

ulimit -c 0
[[ -n "${TEV_E2E_XORG_PID:-}" ]] || fail "lib.sh did not name the X server's process"

start_show_with --size 800x600 --bits 32 --fullscreen --mode-switch
wait_for_drawn_window
wait_for_display_mode 800x600
guardians=$(pgrep -P "$SHOW_PID" | tr '\n' ' ')

start=$(date +%s%N)
kill -TERM "$TEV_E2E_XORG_PID"
while kill -0 "$SHOW_PID" 2>/dev/null; do
    (($(date +%s%N) - start < 10000000000)) || fail "the show still runs 10 s after its server"
    sleep 0.05
done
elapsed=$((($(date +%s%N) - start) / 1000000))
wait "$SHOW_PID"
status=$?
SHOW_PID=""
((elapsed <= 2000)) || fail "the show ended ${elapsed} ms after its server, not within 2 s"
expect_eq "$status" 4 "exit status"
expect_eq "$(cat "$SHOW_ERR")" \
    "tev-intro: the connection to the X server $DISPLAY was lost; the show ends" "standard error"

# The guardian ends once the show's end of its socket has closed.
for pid in $guardians; do
    for ((i = 0; i < 100; i++)); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && fail "the mode guardian $pid still runs"
done
echo "ended ${elapsed} ms after the X server with status 4; guardian ($guardians) gone"
echo PASS
