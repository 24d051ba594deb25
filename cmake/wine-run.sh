#!/usr/bin/env bash
# Runs a Windows executable under Wine with the test run's prefix and quiet debug output.
# Its output reaches the caller through a relay that ends with the program. Whatever the program
# starts under Wine (a child, a service, the desktop process) inherits that output, and ctest
# waits for the last holder to end: what still holds it some seconds after the program ended is
# named, and the run fails instead of hanging.
set -u
: "${WINEDEBUG:=-all}"
export WINEDEBUG
grace=${KALVENOR_OUTPUT_GRACE:-10}

dir=$(mktemp -d "${TMPDIR:-/tmp}/wine-run.XXXXXX") || exit 1
trap 'rm -rf "$dir"' EXIT
output=$dir/output
mkfifo "$output" || exit 1
cat "$output" &
relay=$!
wine "$@" <&0 >"$output" 2>&1 &
wait $!
status=$?

for _ in $(seq $((grace * 10))); do
    kill -0 $relay 2>/dev/null || break
    sleep 0.1
done
if kill -0 $relay 2>/dev/null; then
    echo "$(basename "$1") ended $grace s ago, but processes it started still hold its output:"
    find /proc/[0-9]*/fd -maxdepth 1 -lname "$output" 2>/dev/null | cut -d/ -f3 | sort -un |
        while read -r pid; do
            # The relay reads it; the server keeps the holders' handles.
            [ "$pid" = "$relay" ] || [[ "$(cat "/proc/$pid/comm" 2>/dev/null)" == wineserver* ]] ||
                echo "  $pid $(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null)"
        done
    kill $relay
    [ $status -ne 0 ] || status=1
fi
wait $relay 2>/dev/null
exit $status
