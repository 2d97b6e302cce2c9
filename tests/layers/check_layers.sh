#!/usr/bin/env bash
# Fails on any include in src/ that runs up the layers: shell > show >
# scenes > assets > proc, each over platform. Also checks that only the
# platform layer includes the libraries it stands in for.
#   check_layers.sh SRC_DIR
set -uo pipefail
src=${1:?usage: check_layers.sh SRC_DIR}
layers=(portable platform proc assets scenes show shell)
status=0

# Layers a layer may include: its own, platform, portable and those below it.
allowed() {
    local layer=$1 i
    echo platform
    echo portable
    for i in "${!layers[@]}"; do
        [[ ${layers[$i]} == platform ]] && continue
        echo "${layers[$i]}"
        [[ ${layers[$i]} == "$layer" ]] && return
    done
}

for layer in "${layers[@]}"; do
    ok=" $(allowed "$layer" | tr '\n' ' ')"
    while IFS=: read -r file line text; do
        included=$(sed -n 's/^#include "\([a-z_]*\)\/.*/\1/p' <<<"$text")
        [[ -z "$included" ]] && continue
        if [[ "$ok" != *" $included "* ]]; then
            echo "$file:$line: $layer includes $included: $text"
            status=1
        fi
    done < <(grep -rnE '^#include "[a-z_]+/' "$src/$layer")
done

# Only the platform layer talks to SDL, FLTK, EGL, libopenmpt and X11 (XRandR
# too), and handles signals.
if grep -rnE '^#include <(SDL|FL/|EGL/|libopenmpt|X11/|csignal>|signal\.h>)' "$src" |
    grep -v "^$src/platform/"; then
    echo "a library only the platform layer may include"
    status=1
fi
[[ $status == 0 ]] && echo "every include follows the layers"
exit $status
