#!/usr/bin/env bash
# The runner of the Wine test programs ($1), with a stand-in for wine: the program's output and
# exit status come through, and a process it leaves holding its output fails the run within
# seconds of the program's end instead of keeping ctest waiting.
set -u
runner=$1
bin=$(mktemp -d)
left=()
trap 'kill "${left[@]}" 2>/dev/null; rm -rf "$bin"' EXIT
failures=0

# A wine that prints its arguments, leaves behind what WINE_LEAVES says for as long as it says
# (a process with the same output) and ends with WINE_STATUS.
cat >"$bin/wine" <<'EOF'
#!/usr/bin/env bash
echo "ran $*"
[ -z "${WINE_LEAVES:-}" ] || setsid sleep "$WINE_LEAVES" &
exit "${WINE_STATUS:-0}"
EOF
chmod +x "$bin/wine"

# case: leaves (seconds) | status of the program | status expected | output expected | longest run (s)
cases=(
    "|0|0|ran prog.exe --flag|2"
    "|3|3|ran prog.exe --flag|2"
    # The desktop process started by a program ends about a second after it.
    "1|0|0|ran prog.exe --flag|4"
    "60|0|1|still hold its output|6"
    "60|5|5|still hold its output|6"
)
for entry in "${cases[@]}"; do
    IFS='|' read -r leaves status want text limit <<<"$entry"
    start=$SECONDS
    out=$(PATH="$bin:$PATH" WINE_LEAVES=$leaves WINE_STATUS=$status KALVENOR_OUTPUT_GRACE=2 \
        "$runner" prog.exe --flag 2>&1)
    got=$?
    took=$((SECONDS - start))
    # What was named is left running: end it here.
    if [ "$leaves" = 60 ]; then
        pid=$(sed -n 's/^  \([0-9]*\) sleep 60.*/\1/p' <<<"$out")
        if [ -n "$pid" ]; then left+=("$pid"); else echo "case $entry: the process left is not named"; fi
    fi
    if [ "$got" != "$want" ] || [[ "$out" != *"$text"* ]] || [ "$took" -gt "$limit" ]; then
        echo "case $entry: status $got after $took s, output:"
        echo "$out"
        failures=$((failures + 1))
    fi
done
[ $failures -eq 0 ] && echo "all ${#cases[@]} cases passed"
exit $((failures > 0))
