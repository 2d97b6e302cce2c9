#!/usr/bin/env bash
# cmake --install puts the show, its tools, its data, a desktop entry, its
# icons, metadata and manual pages in place, and the installed programs find
# their data from any working directory, also one that holds a DATA.PAK of
# its own, which only --data reads.
TEV_E2E_SERVER=none
source "$(dirname "$0")/lib.sh" "$@"
BUILD_DIR=$(dirname "$BIN_DIR")

cmake --install "$BUILD_DIR" --prefix "$WORK/prefix" >/dev/null || fail "install failed"
for f in bin/tev-intro bin/tev-capture bin/tev-pak bin/tev-textures \
         share/tev-intro/DATA.PAK share/tev-intro/data/leaf.tga share/tev-intro/data/n.tga \
         share/applications/tev-intro.desktop share/icons/hicolor/256x256/apps/tev-intro.png \
         share/icons/hicolor/16x16/apps/tev-intro.png share/man/man6/tev-intro.6.gz \
         share/man/man1/tev-capture.1.gz share/metainfo/org.tevintro.TevIntro.metainfo.xml; do
    [[ -e "$WORK/prefix/$f" ]] || fail "$f not installed"
done
# The Debian package's layout stays out of a plain install.
for f in games share/games share/doc/tev-intro; do
    [[ ! -e "$WORK/prefix/$f" ]] || fail "$f installed by a plain install"
done
grep -q '^Exec=tev-intro$' "$WORK/prefix/share/applications/tev-intro.desktop" || fail "desktop entry"

# The installed capture tool, started from an empty folder, shows the pack's
# last picture at 120 s just as the one in the build folder does.
args=(--at 120 --fps 5 --size 96x72)
mkdir "$WORK/elsewhere"
cd "$WORK/elsewhere"
"$WORK/prefix/bin/tev-capture" "${args[@]}" --out installed >/dev/null || fail "installed capture"
cd "$BIN_DIR"
./tev-capture "${args[@]}" --out "$WORK/built" >/dev/null || fail "built capture"
cmp -s "$WORK/elsewhere/installed/t120.png" "$WORK/built/t120.png" || fail "installed frames differ"

# A DATA.PAK in the working folder (here the show's own pack cut short, a
# damaged one) does not replace the installed data; --data reads it.
mkdir "$WORK/stray"
head -c 5120 "$BIN_DIR/DATA.PAK" >"$WORK/stray/DATA.PAK"
cd "$WORK/stray"
"$WORK/prefix/bin/tev-capture" "${args[@]}" --out "$WORK/stray-frames" >/dev/null ||
    fail "installed capture beside a stray pack"
cmp -s "$WORK/stray-frames/t120.png" "$WORK/built/t120.png" ||
    fail "a DATA.PAK in the working folder replaced the installed one"
"$WORK/prefix/bin/tev-capture" "${args[@]}" --data . --out "$WORK/given" >/dev/null ||
    fail "installed capture with --data"
[[ -f "$WORK/given/t120.png" ]] || fail "no frame with --data"
cmp -s "$WORK/given/t120.png" "$WORK/built/t120.png" &&
    fail "--data . drew the installed pack's pictures, not the damaged one's"
# The same folder elsewhere, named whole to the build's capture tool: what
# --data . gave is that pack's frame.
mkdir "$WORK/bare"
cp "$WORK/stray/DATA.PAK" "$WORK/bare/"
cd "$BIN_DIR"
./tev-capture "${args[@]}" --data "$WORK/bare" --out "$WORK/bare-frames" >/dev/null ||
    fail "built capture with --data"
cmp -s "$WORK/given/t120.png" "$WORK/bare-frames/t120.png" ||
    fail "--data . and --data with the same pack drew different frames"
echo PASS
