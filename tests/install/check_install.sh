#!/usr/bin/env bash
# Checks an installed VORKEL the way Debian users meet it.
#   check_install.sh install BUILD_DIR STAGE   cmake --install --strip into STAGE
#   check_install.sh deb BUILD_DIR WORK        the .deb of that build, its contents and lintian
set -euo pipefail
mode="$1"
fail() { echo "FAIL: $*"; exit 1; }

if [ "$mode" = install ]; then
    build="$2"; stage="$3"
    rm -rf "$stage"
    cmake --install "$build" --prefix "$stage/usr" --strip >/dev/null
else
    build="$2"; work="$3"
    rm -rf "$work"; mkdir -p "$work"
    # The package of the build just tested, as scripts/package makes it of its
    # Release build: the same install rules, stripped; no second build.
    (cd "$work" && cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work" >/dev/null)
    deb=$(ls "$work"/vorkel_*.deb 2>/dev/null | head -n 1)
    [ -f "$deb" ] || fail "no package was made"
    stage="$work/stage"
    dpkg-deb -x "$deb" "$stage"
    depends=$(dpkg-deb -f "$deb" Depends)
    for needed in qt6-qpa-plugins fonts-liberation libqt6widgets6 libqt6serialport6; do
        grep -q "$needed" <<<"$depends" || fail "Depends lacks $needed: $depends"
    done
    grep -q -- '-dev' <<<"$depends" && fail "Depends names a development package: $depends"
    # Made for this release: its version says which, and it depends on this
    # release's own library packages (Debian 13 renamed several).
    release=$(. /etc/os-release && echo "$VERSION_ID")
    version=$(dpkg-deb -f "$deb" Version)
    [[ "$version" == *"+deb$release" ]] || fail "version $version does not name Debian $release"
    for needed in $(sed 's/([^)]*)//g; s/|[^,]*//g; s/,/ /g' <<<"$depends"); do
        apt-cache show "$needed" >/dev/null 2>&1 || fail "Depends names $needed, which this release lacks"
    done
    [ "$(dpkg-deb -f "$deb" Description | wc -l)" -ge 4 ] || fail "no long Description"
    said=$(lintian "$deb" 2>/dev/null | grep -E '^(E|W):' || true)
    [ -z "$said" ] || fail "lintian: $said"
    echo "lintian: no error, no warning"
fi

for path in usr/bin/vorkel usr/bin/vorkel-sim usr/share/applications/vorkel.desktop \
            usr/share/icons/hicolor/scalable/apps/vorkel.svg \
            usr/share/metainfo/au.vorkel.Vorkel.metainfo.xml \
            usr/share/doc/vorkel/copyright usr/share/doc/vorkel/changelog.gz \
            usr/share/man/man1/vorkel.1.gz usr/share/man/man1/vorkel-sim.1.gz; do
    [ -e "$stage/$path" ] || fail "missing: $path"
done
for size in 16 24 32 48 64 128 256; do
    icon="$stage/usr/share/icons/hicolor/${size}x${size}/apps/vorkel.png"
    [ -e "$icon" ] || fail "missing icon of $size px"
    # PNG width and height: two big-endian numbers from byte 17 of the file.
    hex=$(od -An -tx1 -j16 -N8 "$icon" | tr -d ' \n')
    width=$((16#${hex:0:8})); height=$((16#${hex:8:8}))
    [ "$width $height" = "$size $size" ] || fail "the $size px icon is $width x $height"
done
for binary in vorkel vorkel-sim; do
    sections=$(readelf -S "$stage/usr/bin/$binary")
    grep -q '\.debug_info' <<<"$sections" && fail "$binary keeps debug information"
    grep -q '\.symtab' <<<"$sections" && fail "$binary is not stripped"
    readelf -d "$stage/usr/bin/$binary" | grep -qiE 'rpath|runpath' && fail "$binary has a RUNPATH"
done
if command -v man >/dev/null; then
    for page in vorkel vorkel-sim; do
        shown=$(MANWIDTH=80 man -l "$stage/usr/share/man/man1/$page.1.gz" 2>&1)
        grep -q "^NAME" <<<"$shown" || fail "man -l $page.1.gz: $shown"
    done
fi
desktop-file-validate "$stage/usr/share/applications/vorkel.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$stage/usr/share/metainfo/au.vorkel.Vorkel.metainfo.xml" >/dev/null ||
    fail "AppStream metainfo"
# The installed simulator names the folder it really puts its link in.
help=$("$stage/usr/bin/vorkel-sim" --help)
grep -qF "Its COM link goes into $stage/usr/bin/ports." <<<"$help" || fail "vorkel-sim --help: $help"
echo "installed layout complete ($mode)"
