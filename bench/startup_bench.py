#!/usr/bin/env python3
"""Start-up cost of KalvenorSim.exe against a bare tray program (minimal_tray.exe), in one Wine
prefix under one X server, alternately, each at least 15 times, while a copy of the bare program
runs throughout as a session's programs do. Prints the medians and the
median of the paired ratios of
  - launch to the tray icon being added (the moment comes from Wine's +systray trace, whose
    +timestamp clock is the monotonic clock this script reads at launch),
  - the whole process of "/noui /profile=<name>" against the bare program with "/exit",
  - idle private memory (anonymous resident) 10 s after start.
Usage: startup_bench.py <build/win32> [runs]"""
import os, re, shutil, signal, statistics, subprocess, sys, tempfile, time

build = sys.argv[1]
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 15
sim = os.path.join(build, "KalvenorSim.exe")
bare = os.path.join(build, "bench", "minimal_tray.exe")
ADD = re.compile(r"^\s*(\d+)\.(\d+):.*dwMessage = 0\b")


def now_ms():
    return time.clock_gettime(time.CLOCK_MONOTONIC_RAW) * 1000.0


def launch_to_icon(exe, args):
    env = dict(os.environ, WINEDEBUG="+timestamp,+systray")
    start = now_ms()
    p = subprocess.Popen(["wine", exe] + args, env=env, stderr=subprocess.PIPE, stdout=subprocess.DEVNULL,
                         text=True, errors="replace")
    took = None
    for line in p.stderr:
        m = ADD.match(line)
        if m:
            took = int(m.group(1)) * 1000 + int(m.group(2)) - start
            break
    stop(p)
    return took


def stop(p):
    subprocess.run(["wine", "taskkill", "/f", "/im", os.path.basename(p.args[1])], stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    try:
        p.wait(timeout=10)
    except subprocess.TimeoutExpired:
        p.kill()
        p.wait()


def whole(exe, args):
    start = now_ms()
    subprocess.run(["wine", exe] + args, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   env=dict(os.environ, WINEDEBUG="-all"))
    return now_ms() - start


prefix = ("WINEPREFIX=" + os.environ.get("WINEPREFIX", "")).encode()


def idle_memory_kb(exe):
    p = subprocess.Popen(["wine", exe], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                         env=dict(os.environ, WINEDEBUG="-all"))
    time.sleep(10)
    name = os.path.basename(exe)
    kb = None
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                cmd = f.read().replace(b"\0", b" ").decode(errors="replace")
            if name not in cmd or "taskkill" in cmd:
                continue
            # Only the program of this run's prefix, not one that other work has started.
            with open(f"/proc/{pid}/environ", "rb") as f:
                if prefix not in f.read().split(b"\0"):
                    continue
            with open(f"/proc/{pid}/status") as f:
                for line in f:
                    if line.startswith("RssAnon:"):
                        kb = max(kb or 0, int(line.split()[1]))
        except OSError:
            continue
    stop(p)
    return kb


def report(title, unit, ours, theirs):
    ratios = [a / b for a, b in zip(ours, theirs) if a and b]
    print(f"{title}: KalvenorSim {statistics.median(ours):.1f} {unit}, bare tray {statistics.median(theirs):.1f} "
          f"{unit}, median ratio {statistics.median(ratios):.2f}x over {len(ratios)} pairs")


def session_program():
    """Starts a copy of the bare program that stays for the whole run, as the programs of a user's
    session do: the desktop process (which holds the notification area) then lives throughout,
    instead of ending between runs and starting again with whichever program comes next."""
    folder = tempfile.mkdtemp(prefix="kalvenor-bench-")
    exe = os.path.join(folder, "session_tray.exe")
    shutil.copy(bare, exe)
    p = subprocess.Popen(["wine", exe], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                         env=dict(os.environ, WINEDEBUG="-all"))
    time.sleep(2)
    return p, folder


def load():
    return "load average %.2f %.2f %.2f" % os.getloadavg()


def main():
    # Other work on the machine skews the times: the load is printed beside them.
    print("before:", load())
    session, folder = session_program()
    subprocess.run(["wine", "reg", "add", r"HKCU\Software\Kalvenor\Profiles\Bench", "/v", "EqEnable", "/t",
                    "REG_BINARY", "/d", "00", "/f"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # Warm-up: the prefix's services and the file cache.
    launch_to_icon(bare, [])
    launch_to_icon(sim, [])
    ours, theirs = [], []
    for _ in range(runs):
        ours.append(launch_to_icon(sim, []))
        theirs.append(launch_to_icon(bare, []))
    report("launch to tray icon", "ms", [x for x in ours if x], [x for x in theirs if x])
    ours, theirs = [], []
    for _ in range(runs):
        ours.append(whole(sim, ["/noui", "/profile=Bench"]))
        theirs.append(whole(bare, ["/exit"]))
    report("/noui /profile=Bench whole process", "ms", ours, theirs)
    ours, theirs = [], []
    for _ in range(3):
        ours.append(idle_memory_kb(sim))
        theirs.append(idle_memory_kb(bare))
    report("idle private memory after 10 s", "kB", [x for x in ours if x], [x for x in theirs if x])
    print("after:", load())
    stop(session)
    shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
