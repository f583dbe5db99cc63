#!/usr/bin/env bash
# The desktop entry and the AppStream metadata pass the distribution's own
# validators without an error, a warning or a hint.
#   check-validate.sh DESKTOP_FILE METAINFO_FILE
set -euo pipefail
desktop=$1
metainfo=$2

out=$(desktop-file-validate "$desktop" 2>&1) || { echo "$out"; exit 1; }
if [ -n "$out" ]; then
    echo "desktop-file-validate: $out"
    exit 1
fi

out=$(appstreamcli validate --no-net --pedantic "$metainfo" 2>&1) || { echo "$out"; exit 1; }
echo "$out"
if grep -qE '^[EWIP]: ' <<<"$out"; then
    echo "appstreamcli reported issues"
    exit 1
fi
echo "desktop entry and metainfo are valid"
