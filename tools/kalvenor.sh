#!/usr/bin/env bash
# Kalvenor's two set-up commands, for a Debian machine (as root, so missing packages can be
# installed):
#   tools/kalvenor.sh run   installs what is missing, builds, starts the program with the
#                           simulated card under Wine (on the desktop, else under Xvfb)
#   tools/kalvenor.sh test  installs what is missing, builds, runs every test
#   tools/kalvenor.sh bench installs what is missing, builds, runs the benchmarks (not in CI)
#   tools/kalvenor.sh fuzz  installs what is missing, builds the fuzz targets and runs each for
#                           1,000,000 inputs from its seed corpus (fuzz/corpus/<target>), then
#                           the random walks of the editor (1,000 seeds) and of the real-time
#                           window (200 seeds)
#   tools/kalvenor.sh pictures  installs what is missing, builds, takes the README's pictures
#                           (docs/*.png) anew from the windows the tests show (not in CI)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${KALVENOR_BUILD_DIR:-$root/build}
jobs=$(nproc)

packages=(wine wine32:i386 wine64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix cmake ninja-build
          googletest xvfb xauth fonts-liberation fonts-wine python3 g++ clang libclang-rt-14-dev)

# The Windows tree the tests and the demo run from: 32-bit, as the program ships.
win=$build/win32 toolchain=mingw-i686

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

# A kernel that runs no 32-bit programs (some virtual machines run 64-bit user code only) runs
# no 32-bit Wine either: there the same sources are built 64-bit for the tests and the demo and
# run under 64-bit Wine, and the 32-bit program is built beside them. Run once the packages are in.
choose_windows_tree() {
    /lib/ld-linux.so.2 --help >/dev/null 2>&1 && return 0
    echo "This kernel runs no 32-bit programs: the tests and the demo run 64-bit." >&2
    win=$build/win64 toolchain=mingw-x86_64
    # "wine" is the 64-bit loader itself (the launchers would try the 32-bit one first).
    mkdir -p "$build/wine64-bin"
    local launcher
    for launcher in wine wine-stable; do
        printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' \
            >"$build/wine64-bin/$launcher"
        chmod +x "$build/wine64-bin/$launcher"
    done
    export PATH="$build/wine64-bin:$PATH"
}

build_all() {
    # Warnings fail every build.
    cmake -S "$root" -B "$win" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake" -DKALVENOR_WERROR=ON
    cmake --build "$win" -j "$jobs"
    if [ "$win" != "$build/win32" ]; then
        cmake -S "$root" -B "$build/win32" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DKALVENOR_WERROR=ON
        cmake --build "$build/win32" -j "$jobs" --target Kalvenor KalvenorSim
    fi
    # The code without Windows API, natively with AddressSanitizer and UBSan.
    cmake -S "$root" -B "$build/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKALVENOR_WERROR=ON
    cmake --build "$build/native" -j "$jobs"
}

wine_env() {
    export WINEDEBUG=${WINEDEBUG:--all}
    export WINEDLLOVERRIDES="mscoree,mshtml="
}

# A throwaway Wine prefix for this command ($1 names it), removed with its server at the end.
throwaway_prefix() {
    wine_env
    WINEPREFIX=$(mktemp -d "/tmp/kalvenor-$1.XXXXXX")
    export WINEPREFIX
    throwaway=$WINEPREFIX
}

# At the end of the command: the servers of the throwaway prefix and of the lanes end, and the
# prefixes and the lanes' logs go.
throwaway= lane_prefixes=() lane_logs=() lane_pids=()
clean_up() {
    local p
    for p in "${lane_prefixes[@]}" $throwaway; do WINEPREFIX=$p wineserver -k >/dev/null 2>&1 || true; done
    rm -rf "${lane_prefixes[@]}" "${lane_logs[@]}" $throwaway
}
trap clean_up EXIT

# The start of a script run under xvfb-run in a throwaway prefix: the prefix is made and set up,
# then one wineserver is kept alive for the whole run.
prefix_setup='
        wineboot -i >/dev/null 2>&1
        # Unmanaged windows: without a window manager each hide of a managed window waits ~2 s.
        wine reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d N /f >/dev/null 2>&1
        # A crashing program ends with its backtrace instead of waiting in the crash dialog.
        wine reg add "HKCU\\Software\\Wine\\WineDbg" /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
        # End the set-up server and everything it started: services left half-stopped keep the
        # Task Scheduler from starting, and a desktop process started before the setting above
        # keeps its managed tray window.
        wineserver -k
        wineserver -w
        wineserver -p
        # A user of the desktop for as long as this shell runs: a console program waiting for
        # input that ends with the shell (it notes in the prefix that it runs). The desktop
        # process ends a second after its last user; without this one the next program that needs
        # the desktop starts it anew and passes it the output of that program, which ctest waits
        # for until the desktop process ends.
        rm -f "$WINEPREFIX/desktop-kept"
        (cd "$WINEPREFIX" && exec wine cmd.exe /q >/dev/null 2>&1 < <(exec 2>/dev/null
            echo "type nul > desktop-kept"
            while kill -0 $$; do sleep 1; done)) &
        for _ in $(seq 600); do [ -e "$WINEPREFIX/desktop-kept" ] && break; sleep 0.1; done
        # Start the system services and the desktop process here, so that they do not inherit the
        # output pipe of a program started later (ctest would wait for them until they end).
        wineboot >/dev/null 2>&1'

# Starts script $1 (its arguments follow) in the background, in a throwaway prefix and X server of
# its own set up as above, its output to a log; the prefix, the log and the process go to
# lane_prefixes, lane_logs and lane_pids. Lanes start 2 s apart, so that each starts its own
# servers.
start_lane() {
    local script=$1
    shift
    [ ${#lane_pids[@]} -eq 0 ] || sleep 2
    lane_prefixes+=("$(mktemp -d /tmp/kalvenor-lane.XXXXXX)")
    lane_logs+=("$(mktemp /tmp/kalvenor-lane.XXXXXX.log)")
    WINEPREFIX=${lane_prefixes[-1]} xvfb-run -a -n $(( 150 + 10 * ${#lane_pids[@]} )) -s "-screen 0 1280x1024x24" \
        bash -c "$prefix_setup
        $script" _ "$@" >"${lane_logs[-1]}" 2>&1 &
    lane_pids+=($!)
}

run_tests() {
    throwaway_prefix wine
    # One ctest run over both trees.
    printf 'subdirs("native")\nsubdirs("%s")\n' "$win" > "$build/CTestTestfile.cmake"
    local status=0
    # The entries labelled apart-<lane> (the long ones of the editor) run alongside the others,
    # each lane in a prefix and X server of its own: each display still has one program at a time.
    # Each lane's ctest run keeps its records in a folder of its own.
    local lane
    for lane in a b; do
        mkdir -p "$build/apart-$lane"
        printf 'subdirs("%s")\n' "$win" > "$build/apart-$lane/CTestTestfile.cmake"
        start_lane 'ctest --test-dir "$1/apart-$2" --output-on-failure -L "^apart-$2$"' "$build" "$lane"
    done
    xvfb-run -a -s "-screen 0 1280x1024x24" bash -c "$prefix_setup"'
        ctest --test-dir "$1" --output-on-failure -j "$2" -LE "^(screen-.*|apart-.*)$"' _ "$build" "$jobs" || status=$?
    # The entries labelled screen-<size> on a screen of that size (1920x1080 and 1366x768 less a
    # taskbar), in the same prefix once the server of the screen before has ended.
    local screen
    for screen in 1920x1040 1366x728; do
        wineserver -k >/dev/null 2>&1 || true
        xvfb-run -a -s "-screen 0 ${screen}x24" bash -c "$prefix_setup"'
            ctest --test-dir "$1" --output-on-failure -L "^screen-$2$"' _ "$build" "$screen" || status=$?
    done
    local i
    for i in "${!lane_pids[@]}"; do
        wait "${lane_pids[$i]}" || status=$?
        cat "${lane_logs[$i]}"
    done
    return $status
}

# Every benchmark of bench/ under Xvfb in a throwaway prefix; each prints its medians.
run_benches() {
    throwaway_prefix bench
    xvfb-run -a -s "-screen 0 1280x1024x24" bash -c "$prefix_setup"'
        status=0
        for b in "$3"/bench/*_bench.exe; do
            wine "$b" || status=1
        done
        for b in "$2"/bench/*_bench.py; do
            python3 "$b" "$3" || status=1
        done
        exit $status' _ "$build" "$root" "$win"
}

# The demo's set-up: on the first run (no settings yet) two sample profiles for the simulated
# card, "Music" (speakers, equalizer on) and "Movie" (headphones, equalizer off), with "Music"
# as the start-up profile.
demo_profiles() {
    local root='HKCU\Software\Kalvenor'
    wine reg query "$root\Profiles" >/dev/null 2>&1 && return 0
    echo "Creating the sample profiles Music and Movie (start-up profile: Music)."
    wine reg add "$root\Profiles\Music" /v SpeakerConfig /t REG_BINARY /d 04000000 /f >/dev/null
    wine reg add "$root\Profiles\Music" /v EqEnable /t REG_BINARY /d 01 /f >/dev/null
    wine reg add "$root\Profiles\Movie" /v SpeakerConfig /t REG_BINARY /d 01000000 /f >/dev/null
    wine reg add "$root\Profiles\Movie" /v EqEnable /t REG_BINARY /d 00 /f >/dev/null
    wine reg add "$root" /v DefaultProfile /t REG_SZ /d Music /f >/dev/null
}

# What the simulated card received during the run (its driver's request log: writes only) and
# holds afterwards (its driver's live settings, the speakers' mute), and the active profile.
demo_report() {
    local sim='HKCU\Software\KalvenorSim'
    local classkey
    classkey=$(wine reg query "$sim\Driver" /v ClassKey 2>/dev/null | tr -d '\r' | awk '/ClassKey/ {print $3}')
    {
        echo "@@log"; wine reg query "$sim\Driver\Log" 2>/dev/null || true
        echo "@@settings"; [ -z "$classkey" ] || wine reg query "$classkey\Settings" 2>/dev/null || true
        echo "@@speakers"; wine reg query "$sim\Audio\speakers" 2>/dev/null || true
        echo "@@profile"; wine reg query 'HKCU\Software\Kalvenor' /v ActiveProfile 2>/dev/null || true
    } | tr -d '\r' | python3 -c '
import sys
part, writes, held, muted, active = "", [], [], "no", "(none)"
for line in sys.stdin:
    line = line.rstrip("\n")
    if line.startswith("@@"):
        part = line[2:]; continue
    f = line.split()
    if part == "log" and "|" in line:
        r = line.split("|")
        if len(r) >= 7 and r[3] == "2":
            writes.append("  property %3s  %s  (result %s)" % (r[2], r[4], r[5]))
    elif part == "settings" and len(f) >= 3 and f[1] == "REG_BINARY":
        held.append("  %-24s %s" % (f[0], f[2]))
    elif part == "speakers" and len(f) >= 3 and f[0] == "Mute":
        muted = "yes" if f[2].startswith("01") else "no"
    elif part == "profile" and len(f) >= 3 and f[0] == "ActiveProfile":
        active = " ".join(f[2:])
print("The simulated card received %d driver writes:" % len(writes))
print("\n".join(writes) if writes else "  (none: it already held these values)")
print("It now holds:")
print("\n".join(held))
print("Speakers muted: %s" % muted)
print("Active profile: %s" % active)
'
}

run_program() {
    wine_env
    export WINEPREFIX=${WINEPREFIX:-$HOME/.kalvenor-wine}
    local exe="$win/KalvenorSim.exe"
    if [ -n "${DISPLAY:-}" ]; then
        # On the desktop: the tray program. It finds the simulated card, shows its tray icon and
        # applies the start-up profile; right-click the icon for the menu, "Exit Kalvenor" ends it.
        wineboot -i >/dev/null 2>&1 || true
        demo_profiles
        echo "Right-click the tray icon: \"Profiles...\" opens the profile manager. There: New (the editor;"
        echo "save under any name), Activate (the simulated card takes the profile), \"Default Profile...\""
        echo "(the start-up profile), Delete. Exit from the menu and run this again: the start-up profile"
        echo "is applied at start."
        wine "$exe" "$@"
    else
        # No desktop: the program carries out its switches without user interface under Xvfb and
        # ends; then what the card received and holds is shown. Default switches: apply "Movie"
        # and mute the speakers.
        [ $# -gt 0 ] || set -- /noui /profile=Movie /mastermute
        echo "KalvenorSim.exe $*"
        xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
            set -e
            wineboot -i >/dev/null 2>&1 || true
            '"$(declare -f demo_profiles demo_report)"'
            demo_profiles
            wine reg delete "HKCU\Software\KalvenorSim\Driver\Log" /f >/dev/null 2>&1 || true
            wine reg delete "HKCU\Software\KalvenorSim\Driver" /v LogNext /f >/dev/null 2>&1 || true
            status=0
            wine "$0" "$@" || status=$?
            echo "Exit code: $status"
            demo_report
            exit $status' "$exe" "$@"
    fi
}

# The fuzz targets: a native clang tree with libFuzzer, AddressSanitizer and UBSan.
build_fuzz() {
    cmake -S "$root" -B "$build/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
        -DCMAKE_CXX_COMPILER=clang++ -DKALVENOR_FUZZ=ON -DKALVENOR_WERROR=ON
    cmake --build "$build/fuzz" -j "$jobs"
}

# Runs every target with its seeds ($1: libFuzzer's limit, as -runs=N or -max_total_time=S). New
# inputs go to a scratch folder, never into the repository; a crash fails the command and
# leaves its input in the build folder.
run_fuzz() {
    local status=0 target scratch log
    for target in "$build"/fuzz/fuzz/fuzz_*; do
        [ -x "$target" ] || continue
        scratch=$(mktemp -d /tmp/kalvenor-fuzz.XXXXXX)
        log="$scratch.log"
        echo "== $(basename "$target") $1"
        if "$target" "$1" -artifact_prefix="$build/fuzz/" "$scratch" \
                "$root/fuzz/corpus/$(basename "$target" | sed 's/^fuzz_//')" >"$log" 2>&1; then
            grep -E '^Done [0-9]+ runs' "$log" || true
        else
            status=1
            tail -40 "$log"
        fi
        rm -rf "$scratch" "$log"
    done
    return $status
}

# The editor's and the real-time window's random walks over many more seeds than CI's:
# KALVENOR_WALK_SEEDS (default 1000) editor seeds from KALVENOR_WALK_FROM (1) and
# KALVENOR_REALTIME_WALK_SEEDS (default 200) real-time seeds from KALVENOR_REALTIME_WALK_FROM (1),
# split over KALVENOR_WALK_JOBS processes (default half the cores), each in a throwaway prefix and
# X server of its own. A failure prints its seed and steps; KALVENOR_WALK_SEED=N
# (KALVENOR_REALTIME_WALK_SEED=N) replays it. A tenth of each part's seeds also walk at 144 dots
# per inch, where the windows scroll (KALVENOR_SCALED_WALK_SEED=N, KALVENOR_SCALED_REALTIME_WALK_SEED=N).
run_walks() {
    wine_env
    local seeds=${KALVENOR_WALK_SEEDS:-3000} from=${KALVENOR_WALK_FROM:-1}
    local rtseeds=${KALVENOR_REALTIME_WALK_SEEDS:-1000} rtfrom=${KALVENOR_REALTIME_WALK_FROM:-1}
    local parts=${KALVENOR_WALK_JOBS:-$(( jobs > 1 ? jobs / 2 : 1 ))}
    local size=$(( (seeds + parts - 1) / parts )) rtsize=$(( (rtseeds + parts - 1) / parts )) status=0 i
    for (( i = 0; i < parts && i * size < seeds; i++ )); do
        local first=$(( from + i * size )) count=$size
        (( i * size + count > seeds )) && count=$(( seeds - i * size ))
        local rtfirst=$(( rtfrom + i * rtsize )) rtcount=$rtsize
        (( i * rtsize + rtcount > rtseeds )) && rtcount=$(( rtseeds - i * rtsize ))
        (( rtcount < 0 )) && rtcount=0
        KALVENOR_WALK_FROM=$first KALVENOR_WALK_SEEDS=$count \
            KALVENOR_REALTIME_WALK_FROM=$rtfirst KALVENOR_REALTIME_WALK_SEEDS=$rtcount \
            KALVENOR_SCALED_WALK_FROM=$first KALVENOR_SCALED_WALK_SEEDS=$(( count / 10 )) \
            KALVENOR_SCALED_REALTIME_WALK_FROM=$rtfirst KALVENOR_SCALED_REALTIME_WALK_SEEDS=$(( rtcount / 10 )) \
            start_lane 'wine "$1/tests/editor/editor_tests.exe" --gtest_filter=EditorWalk.RandomWalks*:RealTimeWalk.*:EditorWalkScaled.*:RealTimeWalkScaled.*' "$win"
        echo "Walking the editor's seeds $first to $(( first + count - 1 )), the real-time window's $rtfirst to $(( rtfirst + rtcount - 1 ))."
    done
    for i in "${!lane_pids[@]}"; do
        if ! wait "${lane_pids[$i]}"; then
            status=1
            awk '/walk failed/ {p = 1} p && /(Failure|FAILED)/ {p = 0} p' "${lane_logs[$i]}"
            grep -q 'walk failed' "${lane_logs[$i]}" || tail -40 "${lane_logs[$i]}"
        fi
    done
    return $status
}

# The README's pictures. Each entry: the test executable, the scenario (a gtest filter) that
# shows the window and saves it as build/screenshots/<screenshot>.png, the screenshot, and the
# picture's name in docs/.
pictures=(
    "editor_tests ProfileManager.RowsShowOutputKeySummaryAndIconsWithTheDefaultMarked frmProfiles-rows profiles"
    "editor_tests EditorSetUp.CardWithEverythingButTheFrontPanel frmProfile-new-output editor"
    "tray_tests VolumePopupTest.ClickOpensItWithTheCardsStateAndLeavesTheCardsOutputAlone frmVolume-open volume"
    "tray_tests Options.ACapturedShortcutReplacesTheOldKeyAtOnce frmOptions-shortcuts shortcuts"
)

# Runs those scenarios under Xvfb in a throwaway prefix and writes their screenshots, scaled to
# three quarters, to docs/.
take_pictures() {
    local entry exe filter shot name targets=() runs=()
    cmake -S "$root" -B "$win" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake"
    for entry in "${pictures[@]}"; do
        read -r exe filter shot name <<<"$entry"
        targets+=("$exe")
        runs+=("$win/tests/${exe%_tests}/$exe.exe" "$filter")
        rm -f "$build/screenshots/$shot.png"
    done
    cmake --build "$win" -j "$jobs" --target $(printf '%s\n' "${targets[@]}" | sort -u)
    throwaway_prefix pictures
    # The scenarios one after the other.
    xvfb-run -a -s "-screen 0 1280x1024x24" bash -c "$prefix_setup"'
        while [ $# -gt 0 ]; do
            wine "$1" --gtest_filter="$2" --gtest_brief=1 || exit 1
            shift 2
        done' _ "${runs[@]}"
    mkdir -p "$root/docs"
    local pairs=()
    for entry in "${pictures[@]}"; do
        read -r exe filter shot name <<<"$entry"
        if [ ! -f "$build/screenshots/$shot.png" ]; then
            echo "$filter saved no $shot.png" >&2
            exit 1
        fi
        pairs+=("$build/screenshots/$shot.png=$root/docs/$name.png")
    done
    python3 - 0.75 "${pairs[@]}" <<'PYTHON'
# Reads each screenshot (8-bit RGB or RGBA PNG), reduces it by the factor with an area average and
# writes it as RGB, each row with the PNG filter that compresses best. Standard library only.
import struct, sys, zlib

def predict(kind, a, b, c):
    # a: the byte to the left, b: the byte above, c: the byte above and to the left.
    if kind == 1: return a
    if kind == 2: return b
    if kind == 3: return (a + b) // 2
    if kind == 4:
        p = a + b - c
        pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
        return a if pa <= pb and pa <= pc else b if pb <= pc else c
    return 0

def read_png(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit("%s: not a PNG file" % path)
    at, idat = 8, b""
    while at < len(data):
        n, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + n]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            if depth != 8 or colour not in (2, 6) or body[12] != 0:
                sys.exit("%s: not 8-bit RGB or RGBA without interlacing" % path)
        idat += body if kind == b"IDAT" else b""
        at += 12 + n
    step = 3 if colour == 2 else 4
    raw, stride, rows, prev = zlib.decompress(idat), width * step, [], bytearray(width * step)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a, c = (line[i - step], prev[i - step]) if i >= step else (0, 0)
            line[i] = (line[i] + predict(kind, a, prev[i], c)) & 255
        rows.append(bytes(v for i, v in enumerate(line) if i % step < 3))
        prev = line
    return width, height, rows

def shares(source, target):
    # For each target pixel: the source pixels it covers and the share of each.
    size, table = source / target, []
    for t in range(target):
        lo, hi = t * size, (t + 1) * size
        table.append([(x, (min(hi, x + 1) - max(lo, x)) / size) for x in range(int(lo), min(source, int(hi) + 1))
                      if min(hi, x + 1) > max(lo, x)])
    return table

def reduce(width, height, rows, factor):
    w, h = max(1, round(width * factor)), max(1, round(height * factor))
    across, down = shares(width, w), shares(height, h)
    narrow = [[sum(row[3 * x + ch] * s for x, s in across[i // 3]) for i, ch in ((i, i % 3) for i in range(3 * w))]
              for row in rows]
    return w, h, [bytes(min(255, int(sum(narrow[y][i] * s for y, s in parts) + 0.5)) for i in range(3 * w))
                  for parts in down]

def write_png(path, width, height, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    raw, prev = bytearray(), bytes(3 * width)
    for row in rows:
        candidates = []
        for kind in range(5):
            line = bytes((v - predict(kind, row[i - 3] if i >= 3 else 0, prev[i], prev[i - 3] if i >= 3 else 0)) & 255
                         for i, v in enumerate(row))
            candidates.append((sum(min(v, 256 - v) for v in line), kind, line))
        _, kind, line = min(candidates)
        raw += bytes([kind]) + line
        prev = row
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
                  chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))

factor = float(sys.argv[1])
for pair in sys.argv[2:]:
    source, target = pair.split("=", 1)
    width, height, rows = read_png(source)
    if factor < 1:
        width, height, rows = reduce(width, height, rows, factor)
    write_png(target, width, height, rows)
    print("%s  %dx%d" % (target, width, height))
PYTHON
}

case "${1:-}" in
    run) shift; install_missing; choose_windows_tree; build_all; run_program "$@" ;;
    # CI: every test, then a short run of each fuzz target so that they keep building and passing.
    test) install_missing; choose_windows_tree; build_all; run_tests; build_fuzz; run_fuzz -max_total_time=3 ;;
    bench) install_missing; choose_windows_tree; build_all; run_benches ;;
    fuzz) install_missing; choose_windows_tree; build_fuzz; run_fuzz -runs=1000000; build_all; run_walks ;;
    pictures) install_missing; choose_windows_tree; take_pictures ;;
    *) echo "usage: $0 run [switches...] | test | bench | fuzz | pictures" >&2; exit 2 ;;
esac
