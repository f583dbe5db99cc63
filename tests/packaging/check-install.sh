#!/usr/bin/env bash
# cmake --install into a temporary prefix lays the program out the Linux way,
# and the installed program, started from there, finds its packs and its icon.
#   check-install.sh BUILD_DIR VERSION APP_ID
set -euo pipefail
build=$1
version=$2
id=$3
prefix=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    rm -rf "$prefix"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

expected=(
    bin/lumaural
    share/lumaural/languages/zh_CN.json share/lumaural/languages/en_US.json
    share/lumaural/languages/de_DE.json
    "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml"
    "share/icons/hicolor/scalable/apps/$id.svg"
    share/man/man1/lumaural.1.gz
    share/doc/lumaural/copyright share/doc/lumaural/changelog.gz
    share/doc/lumaural/licenses/LGPL-3 share/doc/lumaural/licenses/GPL-3
    share/doc/lumaural/licenses/libjpeg-turbo share/doc/lumaural/licenses/libarchive
)
for f in "${expected[@]}"; do
    [ -f "$prefix/$f" ] || fail "$f is not installed"
done
for size in 16 24 32 48 64 128 256 512; do
    png="$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png"
    [ -f "$png" ] || fail "no ${size} px icon"
    got=$(identify -format '%wx%h' "$png")
    [ "$got" = "${size}x${size}" ] || fail "$png is $got"
done
for stale in bin/languages bin/logo.ico; do
    [ ! -e "$prefix/$stale" ] || fail "$stale is still installed"
done
[ "$(find "$prefix/bin" -mindepth 1 | wc -l)" = 1 ] || fail "bin/ holds more than the program"

got=$("$prefix/bin/lumaural" --version)
[ "$got" = "lumaural $version" ] || fail "--version said '$got'"
"$prefix/bin/lumaural" --help | grep -q -- '--version' || fail "--help lists no --version"

# One start per language, chosen as a user would on the settings page.
config="$XDG_CONFIG_HOME/lumaural/lumaural.ini"
mkdir -p "$(dirname "$config")"
for language in english:en_US german:de_DE chinese:zh_CN; do
    printf '[Language]\nSelected=%s\n' "${language%%:*}" >"$config"
    log="$prefix/start-${language%%:*}.log"
    QT_QPA_PLATFORM=offscreen "$prefix/bin/lumaural" >"$log" 2>&1 &
    pids+=($!)
    for _ in $(seq 200); do
        grep -q 'Active language:' "$log" && break
        kill -0 "${pids[-1]}" 2>/dev/null || break
        sleep 0.1
    done
    kill "${pids[-1]}" 2>/dev/null || true
    wait "${pids[-1]}" 2>/dev/null || true
    grep -q "Language packs from \"$prefix/share/lumaural/languages\" : \"de_DE en_US zh_CN\"" "$log" ||
        { cat "$log"; fail "packs not loaded from the installed data folder"; }
    grep -q "Active language: \"${language##*:}\"" "$log" ||
        { cat "$log"; fail "did not start in ${language##*:}"; }
    grep -q "Application icon: \"$prefix/share/icons/hicolor/512x512/apps/$id.png\"" "$log" ||
        { cat "$log"; fail "installed icon not found"; }
done
echo "installed layout and start-up from $prefix are right"
