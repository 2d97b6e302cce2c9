#!/usr/bin/env bash
# Fails on any include in src/ that runs up the layers: (page) > shell >
# show > scenes > assets > draw > proc, each over the platform's contract
# (the headers at the top of platform/), and portable/ under them all. Also checks
# that only the platform's backend (platform/<backend>/) includes its own
# headers and the libraries it stands in for, and that only the web backend
# calls the browser.
#   check_layers.sh SRC_DIR
set -uo pipefail
src=${1:?usage: check_layers.sh SRC_DIR}
layers=(proc draw assets scenes show shell)
status=0

# Folders a layer may include: its own, the platform's contract, the GL it
# speaks (gl11/gl11.h), portable/ and the layers below it.
allowed() {
    local layer=$1 i
    echo platform portable gl11
    for i in "${layers[@]}"; do
        echo "$i"
        [[ $i == "$layer" ]] && return
    done
}

check() {
    local where=$1 ok=" $2 " file line text included
    while IFS=: read -r file line text; do
        included=$(sed -n 's/^#include "\([a-z_]*\)\/.*/\1/p' <<<"$text")
        [[ -z "$included" ]] && continue
        if [[ "$ok" != *" $included "* ]]; then
            echo "$file:$line: $where includes $included: $text"
            status=1
        fi
    done < <(grep -rnE '^#include "[a-z_]+/' "${@:3}")
}

for layer in "${layers[@]}"; do
    check "$layer" "$(allowed "$layer" | tr '\n' ' ')" "$src/$layer"
done
# The page's program stands above the shell, as the desktop's entry point
# does, and sees the platform through its contract alone.
check page "platform portable gl11 ${layers[*]}" "$src/page"
# Helpers that are no platform use nothing of the program's.
check portable "portable" "$src/portable"
# The GL 1.1 subset stands on GLES alone.
check gl11 "gl11 portable" "$src/gl11"
# The contract is the same for every backend: it includes none of them.
check "the platform's contract" "platform portable gl11" $(find "$src/platform" -maxdepth 1 -type f)

# Nothing above the contract, nor the contract itself, includes a backend's
# own headers.
if grep -rnE '^#include "platform/[a-z_]+/' "$src" | grep -vE "^$src/platform/[a-z_]+/"; then
    echo "a backend's header outside its backend: include the contract (platform/*.h)"
    status=1
fi

# Only the backend talks to SDL, FLTK, EGL, GLX, libopenmpt, X11 (XRandR
# too) and PulseAudio, and handles signals.
if grep -rnE '^#include <(SDL|FL/|EGL/|GL/glx|libopenmpt|X11/|pulse/|csignal>|signal\.h>)' "$src" |
    grep -vE "^$src/platform/[a-z_]+/"; then
    echo "a library only the platform's backend may include"
    status=1
fi
# The layers call GL through gl11/gl11.h alone, so that either Mesa's
# pipeline or the subset can answer every call they make.
if grep -rnE '^#include <(GL|GLES[0-9]*)/' $(printf "$src/%s " "${layers[@]}"); then
    echo "a layer includes GL's own headers: include gl11/gl11.h"
    status=1
fi
# The browser's own calls (emscripten's headers) stay in the web backend and
# the page's program.
if grep -rnE '^#include <emscripten' "$src" | grep -vE "^$src/(platform/web|page)/"; then
    echo "a browser call outside the web backend (platform/web/) and the page (page/)"
    status=1
fi
[[ $status == 0 ]] && echo "every include follows the layers"
exit $status
