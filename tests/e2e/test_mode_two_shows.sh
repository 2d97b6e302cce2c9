#!/usr/bin/env bash
# Two --mode-switch shows at once on a 1920 x 1080 desktop: A, fullscreen at
# 800 x 600, changes the display's mode; B, started while A holds it and
# asking for 640 x 480, leaves the mode alone, says so and covers the display
# at its current mode. (A, no longer the active window, is minimised, and
# SDL puts the desktop's mode back meanwhile; A active again takes its mode
# again.) Whichever ends first, and by SIGTERM, Escape or SIGKILL, the
# desktop's 1920 x 1080 is back once A has ended, and B's end changes
# nothing. A ends while its mode is on the display.
TEV_E2E_SERVER=xorg
source "$(dirname "$0")/lib.sh" "$@"

ways=(${TEV_TWO_SHOWS_WAYS:-TERM Escape KILL})

# Which of the programs and their guardians are still there on a failure.
on_failure() { ps -eo pid,ppid,etimes,stat,args | grep "[t]ev-intro"; }

# Starts show NAME (A or B) with ARGS; sets NAME_PID, NAME_WINDOW, NAME_ERR.
start_named() {
    local name=$1 other_window=$2
    shift 2
    SHOW_OUT=$WORK/$name.out SHOW_ERR=$WORK/$name.err
    start_show_with "$@"
    wait_for_drawn_window "$other_window"
    printf -v "${name}_PID" %s "$SHOW_PID"
    printf -v "${name}_WINDOW" %s "$SHOW_WINDOW"
    printf -v "${name}_ERR" %s "$SHOW_ERR"
}

# Makes show NAME's window the active one; A's mode comes back with it.
# A show busy drawing may act on a focus loss after the activation (SDL
# minimises its fullscreen window then), so A is activated again until its
# mode is back.
activate() {
    local window=${1}_WINDOW tries
    if [[ $1 != A ]]; then
        xdotool windowactivate --sync "${!window}" 2>/dev/null
        return
    fi
    for ((tries = 0; tries < 4; tries++)); do
        xdotool windowactivate --sync "${!window}" 2>/dev/null
        local deadline=$((SECONDS + 10))
        until display_mode_is 800x600 || ((SECONDS >= deadline)); do sleep 0.1; done
        display_mode_is 800x600 && return
    done
    fail "the display is at $(display_mode), not at 800x600, with A active"
}

# Ends show NAME by WAY and checks its status.
end_named() {
    local name=$1 way=$2 pid window status
    pid=${name}_PID window=${name}_WINDOW
    SHOW_PID=${!pid} SHOW_ERR=$WORK/$name.err SHOW_OUT=$WORK/$name.out
    case $way in
        TERM)
            kill -TERM "$SHOW_PID"
            status=143
            ;;
        KILL)
            kill -KILL "$SHOW_PID"
            status=137
            ;;
        Escape)
            hold_key "${!window}" Escape
            status=0
            ;;
    esac
    wait_exit 20
    expect_eq "$EXIT_STATUS" "$status" "$name's exit status after $way"
}

run() {
    local first=$1 first_way=$2 second_way=$3 second
    if [[ $first == A ]]; then second=B; else second=A; fi
    expect_eq "$(display_mode)" 1920x1080 "the desktop's mode before the shows"
    start_named A none --mode-switch --size 800x600 --fullscreen
    wait_for_display_mode 800x600
    start_named B "$A_WINDOW" --mode-switch --size 640x480 --fullscreen
    grep -q "another show has changed the display's mode" "$B_ERR" ||
        fail "B does not say that it leaves the mode alone"
    [[ "$(display_mode)" != 640x480 ]] || fail "B changed the display's mode"
    # A, no longer active, is minimised as a rule (the window manager may
    # leave it the focus); activate() copes with a minimising that comes late.
    local deadline=$((SECONDS + 10))
    until window_gone "$A_WINDOW" || ((SECONDS >= deadline)); do sleep 0.1; done

    activate "$first"
    end_named "$first" "$first_way"
    if [[ $first == A ]]; then wait_for_display_mode 1920x1080 10; fi
    activate "$second"
    if [[ $first == B ]]; then
        sleep 1  # B's guardian, had it noted anything, would act now
        expect_eq "$(display_mode)" 800x600 "the display's mode with A active after B's end"
    fi
    end_named "$second" "$second_way"
    wait_for_display_mode 1920x1080 10
    sleep 1  # nothing else changes it afterwards
    expect_eq "$(display_mode)" 1920x1080 "the display's mode after both"
    echo "$first by $first_way, then $second by $second_way: the display back at 1920x1080"
}

for first in A B; do
    for first_way in "${ways[@]}"; do
        for second_way in "${ways[@]}"; do
            run "$first" "$first_way" "$second_way"
        done
    done
done

# The mode is A's to change again once B has ended, and B's once A has.
start_named A none --mode-switch --size 800x600 --fullscreen
wait_for_display_mode 800x600
end_named A TERM
wait_for_display_mode 1920x1080 10
start_named B none --mode-switch --size 640x480 --fullscreen
wait_for_display_mode 640x480
end_named B Escape
wait_for_display_mode 1920x1080 10
echo "one after the other, each changes the mode"
echo PASS
