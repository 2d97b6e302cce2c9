#!/usr/bin/env bash
# The command line: --help and --version print and end with status 0
# without opening anything; bad options give the usage on standard error
# and status 2 (--data without a value or with no folder by that name too);
# --size, --bits, --fullscreen and --windowed skip the dialog,
# the others taking the values the dialog's start button gives untouched;
# SIGTERM ends the show cleanly with status 143.
source "$(dirname "$0")/lib.sh" "$@"

# No display at all: whatever tried to open a window or the dialog would
# fail and say so.
run_without_display() {
    (cd "$BIN_DIR" && env -u DISPLAY -u WAYLAND_DISPLAY SDL_AUDIODRIVER=dummy \
        ./tev-intro "$@" >"$SHOW_OUT" 2>"$SHOW_ERR")
}

run_without_display --help
expect_eq "$?" 0 "--help status"
head -n 1 "$SHOW_OUT" | grep -q '^usage: tev-intro ' || fail "--help: no usage line"
for option in --size --bits --fullscreen --windowed --mode-switch --data --version; do
    grep -q -- "$option" "$SHOW_OUT" || fail "--help does not explain $option"
done
[[ ! -s "$SHOW_ERR" ]] || fail "--help wrote to standard error"

version=$(sed -n 's/^project(tev-intro VERSION \([0-9.]*\).*/\1/p' \
    "$(dirname "$0")/../../CMakeLists.txt")
run_without_display --version
expect_eq "$?" 0 "--version status"
expect_eq "$(cat "$SHOW_OUT")" "tev-intro $version" "--version"

bad_lines=(--bogus -x extra "--size 1024x768" "--size" "--size=" "--bits 24" "--bits"
    "--fullscreen=yes" "--windowed --size 640x480x2" "--help=me" --data "--data=" \
    "--data $WORK/absent" "--data $BIN_DIR/DATA.PAK")
for bad in "${bad_lines[@]}"; do
    # shellcheck disable=SC2086
    run_without_display $bad
    status=$?
    [[ $status == 2 ]] || fail "'$bad' gave status $status"
    [[ ! -s "$SHOW_OUT" ]] || fail "'$bad' wrote to standard output"
    grep -q '^tev-intro: ' "$SHOW_ERR" || fail "'$bad': no reason on standard error"
    grep -q '^usage: tev-intro ' "$SHOW_ERR" || fail "'$bad': no usage on standard error"
done
echo "--help, --version and ${#bad_lines[@]} bad command lines"

# Each option alone skips the dialog; the rest is 640 x 480, 16 bits, windowed.
for options in "--size=800x600:800x600" "--bits 32:640x480" "--windowed:640x480" \
    "--windowed --size 800x600 --size 640x480:640x480"; do
    # shellcheck disable=SC2086
    start_show_with ${options%:*}
    wait_for_drawn_window
    expect_eq "$(window_geometry "$SHOW_WINDOW" | cut -d+ -f1)" "${options#*:}" "'${options%:*}'"
    expect_eq "$(window_mode "$SHOW_WINDOW")" windowed "'${options%:*}'"
    xdotool search --onlyvisible --name '^tev :: setup$' >/dev/null &&
        fail "'${options%:*}' showed the dialog"
    kill -TERM "$SHOW_PID"
    wait_exit 20
    expect_eq "$EXIT_STATUS" 143 "status after SIGTERM"
    echo "'${options%:*}': a ${options#*:} window without the dialog; SIGTERM gave 143"
done
echo PASS
