#!/usr/bin/env bash
# Runs inside the namespace; checks that neither the wrapper nor a test binary
# ever goes on when isolation is missing.
#   check-refusal.sh <path to scripts/isolate> <path to a test binary>
set -u
isolate=$1
test_binary=$2
status=0

# The wrapper without the tools to isolate must refuse and not run the command.
marker=$(mktemp)
rm -f "$marker"
env -u LUMAURAL_ISOLATED PATH=/nonexistent /bin/bash "$isolate" -- /usr/bin/touch "$marker" 2>/dev/null
rc=$?
if [ "$rc" != 97 ] || [ -e "$marker" ]; then
    echo "FAIL: wrapper without unshare returned $rc and ran=$([ -e "$marker" ] && echo yes || echo no)"
    status=1
fi

# A test binary started without the wrapper's mark must refuse.
env -u LUMAURAL_ISOLATED "$test_binary" >/dev/null 2>&1
rc=$?
if [ "$rc" != 97 ]; then
    echo "FAIL: test binary outside the wrapper returned $rc"
    status=1
fi

[ "$status" = 0 ] && echo "isolation refusal: 2 passed, 0 failed"
exit "$status"
