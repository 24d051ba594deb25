#!/bin/sh
# Runs a Windows executable under Wine with the test run's prefix and quiet debug output.
: "${WINEDEBUG:=-all}"
export WINEDEBUG
exec wine "$@"
