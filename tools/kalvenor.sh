#!/usr/bin/env bash
# Kalvenor's two set-up commands, for a Debian machine (as root, so missing packages can be
# installed):
#   tools/kalvenor.sh run   installs what is missing, builds, starts the program with the
#                           simulated card under Wine (on the desktop, else under Xvfb)
#   tools/kalvenor.sh test  installs what is missing, builds, runs every test
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${KALVENOR_BUILD_DIR:-$root/build}
jobs=$(nproc)

packages=(wine wine32:i386 wine64 g++-mingw-w64-i686-posix cmake ninja-build googletest
          xvfb xauth fonts-liberation fonts-wine python3 g++)

install_missing() {
    local missing=() p
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null | grep -qx installed || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages: ${missing[*]}. Run this command as root to install them." >&2
        exit 1
    fi
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
}

build_all() {
    # Warnings fail the build in CI.
    local werror=OFF
    [ "${CI:-}" = "true" ] && werror=ON
    cmake -S "$root" -B "$build/win32" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DKALVENOR_WERROR=$werror
    cmake --build "$build/win32" -j "$jobs"
    # The code without Windows API, natively with AddressSanitizer and UBSan.
    cmake -S "$root" -B "$build/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKALVENOR_WERROR=$werror
    cmake --build "$build/native" -j "$jobs"
}

wine_env() {
    export WINEDEBUG=${WINEDEBUG:--all}
    export WINEDLLOVERRIDES="mscoree,mshtml="
}

run_tests() {
    wine_env
    # A throwaway prefix with one wineserver kept alive for the whole run.
    WINEPREFIX=$(mktemp -d /tmp/kalvenor-wine.XXXXXX)
    export WINEPREFIX
    trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX"' EXIT
    # One ctest run over both trees.
    printf 'subdirs("native")\nsubdirs("win32")\n' > "$build/CTestTestfile.cmake"
    xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
        wineboot -i >/dev/null 2>&1
        # Unmanaged windows: without a window manager each hide of a managed window waits ~2 s.
        wine reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d N /f >/dev/null 2>&1
        wineserver -p
        ctest --test-dir "$1" --output-on-failure -j "$2"' _ "$build" "$jobs"
}

run_program() {
    wine_env
    export WINEPREFIX=${WINEPREFIX:-$HOME/.kalvenor-wine}
    local exe="$build/win32/KalvenorSim.exe"
    if [ -n "${DISPLAY:-}" ]; then
        wine "$exe" "$@"
    else
        xvfb-run -a -s "-screen 0 1280x1024x24" wine "$exe" "$@"
    fi
}

case "${1:-}" in
    run) shift; install_missing; build_all; run_program "$@" ;;
    test) install_missing; build_all; run_tests ;;
    *) echo "usage: $0 run [switches...] | test" >&2; exit 2 ;;
esac
