#!/usr/bin/env bash
# Start-up of the real program: the time from starting it to its main window
# being mapped on a virtual display, with an empty data folder and with a given
# customers.json. Run it inside the isolation:
#
#   scripts/isolate --fresh-home -- bench/startup-time.sh build/bin/lumaural STORE [RUNS]
set -euo pipefail
program=$(realpath "$1")
store=$(realpath "$2")
runs=${3:-3}

export DISPLAY=:$((200 + $$ % 100))
Xvfb "$DISPLAY" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
export QT_QPA_PLATFORM=xcb

# Milliseconds until a window titled "Lumaural" is mapped.
time_to_window() {
    local data=$1 start end pid
    start=$(date +%s%N)
    XDG_DATA_HOME=$data "$program" >/dev/null 2>&1 &
    pid=$!
    until xwininfo -root -tree 2>/dev/null | grep -q '"Lumaural"'; do sleep 0.005; done
    end=$(date +%s%N)
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    echo $(((end - start) / 1000000))
}

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR + 1) / 2)]}'; }

base=$(mktemp -d)
trap 'kill "$xvfb" 2>/dev/null || true; rm -rf "$base"' EXIT
mkdir -p "$base/empty/lumaural" "$base/full/lumaural"
cp "$store" "$base/full/lumaural/customers.json"
cat "$base/full/lumaural/customers.json" >/dev/null # in the page cache, as after any use
empty=$(for _ in $(seq "$runs"); do time_to_window "$base/empty"; done | median)
full=$(for _ in $(seq "$runs"); do time_to_window "$base/full"; done | median)
echo "start-up to the first shown window (median of $runs): empty store $empty ms," \
    "with $(du -h "$store" | cut -f1) store $full ms: $((full - empty)) ms more (goal <= 1000)"
