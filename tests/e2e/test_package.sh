#!/usr/bin/env bash
# The Debian packages made from this build (scripts/package), split as Debian
# splits games: tev-intro (the machine's architecture: the show and the
# user's tools) and tev-intro-data (architecture all: the pack and the
# sprites), the first depending on the second at the same version, ffmpeg
# only suggested, tev-bench in neither. dpkg-deb --info shows both; lintian
# --pedantic finds no error or warning in either, and neither carries an
# override; installed with dpkg they hold exactly the files they should,
# their desktop entry, AppStream metadata and manual pages validate, the
# programs tell the build's version, the capture tool run from an empty
# folder finds the installed data and draws what the build's draws (also
# beside a damaged DATA.PAK, which only --data reads), and the installed show
# plays under Xvfb until Escape. Removed with dpkg, they leave none of their
# files behind. The packages are removed at the end whatever happens.
# Installing needs root (CI is root), or sudo without a password.
source "$(dirname "$0")/lib.sh" "$@"
SOURCE_DIR=$(cd "$(dirname "$0")/../.." && pwd)
BUILD_DIR=$(dirname "$BIN_DIR")

as_root=()
if [[ $(id -u) -ne 0 ]]; then
    sudo -n true 2>/dev/null ||
        fail "installing the package needs root, or sudo without a password"
    as_root=(sudo -n)
fi
# One package test at a time on a machine: they install the same package.
exec 8>/tmp/tev-package-test.lock
flock 8
dpkg_locked() { flock /tmp/tev-apt.lock "${as_root[@]}" "$@"; }

package_installed() {
    [[ "$(dpkg-query -W -f='${Status}' "${1:-tev-intro}" 2>/dev/null)" == "install ok installed" ]]
}
INSTALLED=0
remove_package() {
    if ((INSTALLED)) && { package_installed || package_installed tev-intro-data; }; then
        dpkg_locked dpkg -r tev-intro tev-intro-data >/dev/null
    fi
    INSTALLED=0
}
trap 'remove_package; cleanup' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

version=$(sed -n 's/^#define TEV_VERSION "\(.*\)"$/\1/p' \
    "$BUILD_DIR/embedded/version/tev_version.h")
[[ -n "$version" ]] || fail "no version in the build's tev_version.h"

# --- the packages
started=$SECONDS
made=$("$SOURCE_DIR/scripts/package" "$BUILD_DIR" | tail -n 2) || fail "scripts/package failed"
deb=$(grep '/tev-intro_[^/]*\.deb$' <<<"$made") || fail "no tev-intro package among: $made"
data_deb=$(grep '/tev-intro-data_[^/]*\.deb$' <<<"$made") ||
    fail "no tev-intro-data package among: $made"
echo "made $deb and $data_deb in $((SECONDS - started)) s"
for package in "$deb" "$data_deb"; do
    echo "--- dpkg-deb --info $(basename "$package")"
    dpkg-deb --info "$package" || fail "dpkg-deb --info $package"
done
expect_eq "$(basename "$deb")" "tev-intro_${version}_amd64.deb" "package file name"
expect_eq "$(basename "$data_deb")" "tev-intro-data_${version}_all.deb" "data package file name"
for package in "$deb" "$data_deb"; do
    expect_eq "$(dpkg-deb -f "$package" Version)" "$version" "$(basename "$package")'s version"
    expect_eq "$(dpkg-deb -f "$package" Section)" "games" "$(basename "$package")'s section"
done
expect_eq "$(dpkg-deb -f "$data_deb" Architecture)" "all" "the data package's architecture"
expect_eq "$(dpkg-deb -f "$data_deb" Depends)" "" "the data package's dependencies"
expect_eq "$(dpkg-deb -f "$deb" Suggests)" "ffmpeg" "Suggests"
expect_eq "$(dpkg-deb -f "$deb" Recommends)" "" "Recommends"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libsdl2 libfltk1.3 libopenmpt0 libpng16 libgl1 libopengl0 libglu1 libegl1 \
    libx11 "tev-intro-data (= $version)"; do
    [[ "$depends" == *"$library"* ]] || fail "Depends lacks $library: $depends"
done
echo "Depends: $depends"
# What a game's data package must not hold, and the programs' package the
# data.
dpkg-deb -c "$data_deb" | grep -E '/usr/(games|bin)/' && fail "programs in the data package"
dpkg-deb -c "$deb" | grep -E 'DATA\.PAK|\.tga$' && fail "data in the programs' package"

started=$SECONDS
# Every tag up to the pedantic ones is shown; an error or a warning fails,
# and no tag is overridden: there is no override to hide one.
for package in "$deb" "$data_deb"; do
    lintian --pedantic --fail-on error,warning "$package" >"$WORK/lintian" 2>&1
    status=$?
    echo "--- lintian --pedantic $(basename "$package")"
    cat "$WORK/lintian"
    ((status == 0)) || fail "lintian on $(basename "$package") (status $status)"
    dpkg-deb -c "$package" | grep -q 'lintian/overrides' &&
        fail "$(basename "$package") carries a lintian override"
done
echo "lintian took $((SECONDS - started)) s"

# --- installed
if package_installed || package_installed tev-intro-data; then
    echo "note: tev-intro packages were installed before this test; they are replaced and removed"
fi
INSTALLED=1
# The programs' package alone is refused: it needs its data.
dpkg_locked dpkg -r tev-intro tev-intro-data >/dev/null 2>&1
if dpkg_locked dpkg -i "$deb" >"$WORK/dpkg" 2>&1; then
    fail "dpkg -i took tev-intro without tev-intro-data"
fi
dpkg_locked dpkg -r tev-intro >/dev/null 2>&1
dpkg_locked dpkg -i "$deb" "$data_deb" >"$WORK/dpkg" 2>&1 || { cat "$WORK/dpkg"; fail "dpkg -i"; }
# Each package's files, and the folders that are its alone (which must go
# with it).
for package in tev-intro tev-intro-data; do
    while read -r path; do
        if [[ -d "$path" ]]; then
            owners=$(dpkg-query -S "$path" 2>/dev/null | sed 's/: .*//')
            [[ "$owners" == "$package" ]] && echo "$path" >>"$WORK/own-folders"
        else
            echo "$path" >>"$WORK/files-$package"
        fi
    done < <(dpkg -L "$package" | sort)
    sort -o "$WORK/files-$package" "$WORK/files-$package"
done
cat "$WORK/files-tev-intro" "$WORK/files-tev-intro-data" >"$WORK/files"

pages=(man6/tev-intro.6 man1/tev-capture.1 man1/tev-pak.1 man1/tev-textures.1)
tools=(tev-capture tev-pak tev-textures)
{
    echo /usr/games/tev-intro
    for tool in "${tools[@]}"; do echo "/usr/games/$tool"; done
    echo /usr/share/applications/tev-intro.desktop
    for side in 16 24 32 48 64 128 256; do
        echo "/usr/share/icons/hicolor/${side}x$side/apps/tev-intro.png"
    done
    echo /usr/share/metainfo/org.tevintro.TevIntro.metainfo.xml
    for page in "${pages[@]}"; do echo "/usr/share/man/$page.gz"; done
    echo /usr/share/doc/tev-intro/copyright
    echo /usr/share/doc/tev-intro/changelog.gz
} | sort >"$WORK/expected-tev-intro"
{
    echo /usr/share/games/tev-intro/DATA.PAK
    for sprite in leaf block flare tex n; do
        echo "/usr/share/games/tev-intro/data/$sprite.tga"
    done
    echo /usr/share/doc/tev-intro-data/copyright
    echo /usr/share/doc/tev-intro-data/changelog.gz
} | sort >"$WORK/expected-tev-intro-data"
for package in tev-intro tev-intro-data; do
    diff "$WORK/expected-$package" "$WORK/files-$package" >"$WORK/difference" ||
        { cat "$WORK/difference"; fail "$package's files ('<' expected, '>' installed)"; }
done
[[ -e /usr/games/tev-bench || -e /usr/bin/tev-bench ]] && fail "tev-bench is installed"
for side in 16 24 32 48 64 128 256; do
    expect_eq "$(identify -format '%wx%h' \
        "/usr/share/icons/hicolor/${side}x$side/apps/tev-intro.png")" "${side}x$side" "icon size"
done

# The metadata and the manual pages, as installed.
desktop-file-validate /usr/share/applications/tev-intro.desktop >"$WORK/desktop" 2>&1 ||
    { cat "$WORK/desktop"; fail "desktop-file-validate"; }
grep -E 'error|warning' "$WORK/desktop" && fail "desktop-file-validate warns"
appstreamcli validate --no-net /usr/share/metainfo/org.tevintro.TevIntro.metainfo.xml \
    >"$WORK/appstream" 2>&1 || { cat "$WORK/appstream"; fail "appstreamcli validate"; }
grep -E '^[EW]:' "$WORK/appstream" && fail "appstreamcli warns"
grep -q "<release version=\"$version\"" /usr/share/metainfo/org.tevintro.TevIntro.metainfo.xml ||
    fail "the metadata's release is not $version"
zcat /usr/share/doc/tev-intro/changelog.gz | head -n 1 | grep -q "^tev-intro ($version) " ||
    fail "the changelog's first entry is not $version"
for page in "${pages[@]}"; do
    file=/usr/share/man/$page.gz
    warnings=$(MANROFFSEQ='' MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null)
    [[ -z "$warnings" ]] || fail "man warns on $page: $warnings"
    name=$(basename "$page")
    lexgrog "$file" | grep -q ": \"${name%.*} - " || fail "$page has no whatis line"
    man -l "$file" 2>/dev/null | grep -q "tev-intro $version" || fail "$page lacks the version"
done
MANWIDTH=80 man 6 tev-intro 2>/dev/null | grep -q -- '--mode-switch' || fail "man 6 tev-intro"

# Every program tells the build's version, and opens nothing for it.
expect_eq "$(timeout 20 /usr/games/tev-intro --version </dev/null)" "tev-intro $version" \
    "tev-intro --version"
for tool in "${tools[@]}"; do
    expect_eq "$(timeout 20 "/usr/games/$tool" --version </dev/null)" "$tool $version" \
        "$tool --version"
done

# From an empty folder, the installed capture tool finds the installed data
# and draws the frame the build's draws at 50 s: the sprites of data/ and
# the pack's pictures are in it.
mkdir "$WORK/empty" "$WORK/built"
args=(--at 50 --fps 10 --size 160x120)
(cd "$WORK/empty" && env -u DISPLAY /usr/games/tev-capture "${args[@]}" --out frames) ||
    fail "the installed tev-capture"
(cd "$BIN_DIR" && env -u DISPLAY ./tev-capture "${args[@]}" --out "$WORK/built") ||
    fail "the build's tev-capture"
cmp -s "$WORK/empty/frames/t50.png" "$WORK/built/t50.png" ||
    fail "the installed tev-capture drew another frame at 50 s"
rm -r "$WORK/empty/frames"
# A damaged DATA.PAK in the working folder replaces nothing; --data reads it.
mkdir "$WORK/stray"
head -c 5120 "$BIN_DIR/DATA.PAK" >"$WORK/stray/DATA.PAK"
(cd "$WORK/stray" && env -u DISPLAY /usr/games/tev-capture "${args[@]}" --out "$WORK/beside") ||
    fail "the installed tev-capture beside a stray pack"
cmp -s "$WORK/beside/t50.png" "$WORK/built/t50.png" ||
    fail "a DATA.PAK in the working folder replaced the installed one"
(cd "$WORK/stray" && env -u DISPLAY /usr/games/tev-capture "${args[@]}" --data . \
    --out "$WORK/given") || fail "the installed tev-capture with --data"
[[ -f "$WORK/given/t50.png" ]] || fail "no frame with --data"
cmp -s "$WORK/given/t50.png" "$WORK/built/t50.png" &&
    fail "--data drew the installed pack's pictures, not the damaged one's"

# The installed show, from the empty folder, until Escape.
BIN_DIR=/usr/games start_show "$WORK/empty"
wait_for_dialog
click_start
wait_for_drawn_window
hold_key "$SHOW_WINDOW" Escape
wait_exit 20
expect_eq "$EXIT_STATUS" 0 "the installed show's status after Escape"
[[ -z "$(ls -A "$WORK/empty")" ]] || fail "the programs wrote into the working folder"

# --- removed
dpkg_locked dpkg -r tev-intro tev-intro-data >"$WORK/dpkg" 2>&1 ||
    { cat "$WORK/dpkg"; fail "dpkg -r"; }
INSTALLED=0
package_installed && fail "tev-intro still installed after dpkg -r"
package_installed tev-intro-data && fail "tev-intro-data still installed after dpkg -r"
for package in tev-intro tev-intro-data; do
    [[ "$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null)" == *config-files* ]] &&
        fail "$package left its configuration files behind"
done
while read -r path; do
    [[ -e "$path" || -L "$path" ]] && fail "$path is left after dpkg -r"
done < <(cat "$WORK/files" "$WORK/own-folders" 2>/dev/null)
echo "installed files:"
sed 's/^/  /' "$WORK/files"
echo PASS
