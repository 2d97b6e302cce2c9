#!/usr/bin/env bash
# Every program, shipped or build-time: --help (and --version where its help
# offers it) prints and ends with 0; when standard output cannot be written
# (a full disk, a closed descriptor) it ends with status 1 and says so on
# standard error, instead of reporting success. Needs no display.
# Usage: test_help_write_error.sh BIN_DIR TESTS_DIR
set -u

bin_dir=$(cd "${1:?usage: test_help_write_error.sh BIN_DIR TESTS_DIR}" && pwd)
tools_dir=$(cd "${2:?usage: test_help_write_error.sh BIN_DIR TESTS_DIR}/../tools" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
checked=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# Runs PROGRAM OPTION with standard output redirected as REDIRECT says
# ("full" or "closed"), from an empty folder (an option taken for a file
# name must not land in the build).
run_to() {
    local how=$1 program=$2 option=$3
    case $how in
        full) (cd "$work" && env -u DISPLAY timeout 20 "$program" "$option" </dev/null >/dev/full) ;;
        closed) (cd "$work" && env -u DISPLAY timeout 20 "$program" "$option" </dev/null >&-) ;;
    esac
}

check_option() {
    local program=$1 option=$2 name how status
    name=$(basename "$program")
    (cd "$work" && env -u DISPLAY timeout 20 "$program" "$option" </dev/null >"$work/.out" 2>&1)
    status=$?
    if [[ $status != 0 ]]; then
        fail "$name $option: status $status"
        return
    fi
    [[ -s "$work/.out" ]] || fail "$name $option printed nothing"
    for how in full closed; do
        run_to "$how" "$program" "$option" 2>"$work/.err"
        status=$?
        [[ $status == 1 ]] || fail "$name $option, standard output $how: status $status"
        grep -q "^$name: .*standard output" "$work/.err" ||
            fail "$name $option, standard output $how: no message ($(cat "$work/.err"))"
    done
    checked=$((checked + 1))
}

programs=()
for program in "$bin_dir"/* "$tools_dir"/*; do
    [[ -f "$program" && -x "$program" ]] && programs+=("$program")
done
for name in tev-intro tev-capture tev-pak tev-textures tev-make-content tev-make-font-sheet \
    tev-make-logo tev-compose-music tev-embed; do
    printf '%s\n' "${programs[@]}" | grep -q "/$name\$" || fail "no $name among the programs"
done

for program in "${programs[@]}"; do
    check_option "$program" --help
    # A program whose help offers --version keeps the same promise for it.
    if grep -q -- '--version' "$work/.out"; then check_option "$program" --version; fi
    rm -f "$work"/.out "$work"/.err
    if [[ -n "$(ls -A "$work")" ]]; then
        fail "$(basename "$program") made files: $(ls -A "$work")"
        rm -rf "${work:?}"/*
    fi
done

# A program that does not know --version takes it for no file name either.
for program in "${programs[@]}"; do
    (cd "$work" && env -u DISPLAY timeout 20 "$program" --version </dev/null >/dev/null 2>&1)
    if [[ -n "$(ls -A "$work")" ]]; then
        fail "$(basename "$program") --version made files: $(ls -A "$work")"
        rm -rf "${work:?}"/*
    fi
done

echo "$checked options of ${#programs[@]} programs checked"
if ((failures > 0)); then
    echo "$failures failures"
    exit 1
fi
echo PASS
