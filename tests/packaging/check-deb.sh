#!/usr/bin/env bash
# The Debian package holds the expected files, depends on what the program
# really links, and lintian finds no error in it (its warnings are printed).
#   check-deb.sh BUILD_DIR VERSION APP_ID
set -euo pipefail
build=$1
version=$2
id=$3
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

(cd "$build" && cpack -G DEB -B "$out" >"$out/cpack.log") || { cat "$out/cpack.log"; fail "cpack"; }
deb="$out/lumaural_${version}_amd64.deb"
[ -f "$deb" ] || { ls "$out"; fail "no $deb"; }
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/lumaural ./usr/share/lumaural/languages/zh_CN.json \
    "./usr/share/applications/$id.desktop" "./usr/share/metainfo/$id.metainfo.xml" \
    "./usr/share/icons/hicolor/512x512/apps/$id.png" "./usr/share/icons/hicolor/scalable/apps/$id.svg" \
    ./usr/share/doc/lumaural/copyright ./usr/share/doc/lumaural/licenses/libjpeg-turbo ./usr/share/doc/lumaural/licenses/libarchive \
    ./usr/share/man/man1/lumaural.1.gz; do
    grep -qxF "$f" <<<"$contents" || fail "$f is not in the package"
done
if grep -E '^\./usr/bin/(languages|logo\.ico)' <<<"$contents"; then
    fail "data files beside the program"
fi

dpkg-deb -f "$deb"
depends=$(dpkg-deb -f "$deb" Depends)
for dep in libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 libqt6printsupport6 \
    libjpeg62-turbo fonts-noto-cjk libqt6sql6-psql libpq5; do
    grep -q "\b$dep\b" <<<"$depends" || fail "Depends lacks $dep: $depends"
done
[ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "no maintainer"
[ -n "$(dpkg-deb -f "$deb" Description)" ] || fail "no description"

# Lintian refuses nothing as root but says so; its tags are what matter here.
report=$(lintian --allow-root --tag-display-limit 0 "$deb" 2>&1 || true)
echo "$report"
if grep -q '^E: ' <<<"$report"; then
    fail "lintian reports errors"
fi
echo "package checks passed"
