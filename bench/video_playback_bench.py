#!/usr/bin/env python3
"""CPU and memory of each shell while it plays the 720p test video, against a bare Qt
WebEngine view playing the 720p film page (bench/webengine_floor --play), one after the
other on one private X display, in one run:
  python3 bench/video_playback_bench.py [BUILD_FOLDER] [SECONDS]
Pallomar opens the film as a user would (a click on the film link in its library); TovanTV
plays its first channel, whose stream is the 720p loop. Pallomar is measured twice: while
its ten-second play cover is still up over the film (its loading bar animates, and the
engine draws that page in software at the bar's frame rate beside the film), and once the
cover is down, when only the film plays. CPU is the user and system time of
the program and all its engine helpers over the measured seconds, as a share of one core;
memory is the sum of their proportional set sizes at the end. Figures to read, never
asserted."""
import os
import signal
import subprocess
import sys
import time

here = os.path.dirname(os.path.abspath(__file__))
build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "../build/default"))
seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 10
page_input = os.path.join(here, "../tools/page_input.py")
tick = os.sysconf("SC_CLK_TCK")


def tree(root):
    """The process and everything below it."""
    children = {}
    for name in os.listdir("/proc"):
        if name.isdigit():
            try:
                with open("/proc/%s/stat" % name) as f:
                    parent = int(f.read().rsplit(")", 1)[1].split()[1])
                children.setdefault(parent, []).append(int(name))
            except OSError:
                pass
    found, todo = [], [root]
    while todo:
        pid = todo.pop()
        found.append(pid)
        todo += children.get(pid, [])
    return found


def cpu_ticks(pids):
    total = 0
    for pid in pids:
        try:
            with open("/proc/%d/stat" % pid) as f:
                fields = f.read().rsplit(")", 1)[1].split()
            total += int(fields[11]) + int(fields[12])
        except OSError:
            pass
    return total


def pss_mb(pids):
    total = 0
    for pid in pids:
        try:
            with open("/proc/%d/smaps_rollup" % pid) as f:
                for line in f:
                    if line.startswith("Pss:"):
                        total += int(line.split()[1])
        except OSError:
            pass
    return total / 1024


def measure(name, argv, env, page_part, ready, settle):
    """Starts the program, brings it to playing, and measures it for `seconds`."""
    port = 9400 + len(name)
    env = dict(env, QTWEBENGINE_REMOTE_DEBUGGING="127.0.0.1:%d" % port)
    program = subprocess.Popen(argv, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                               start_new_session=True)
    try:
        for step in ready:
            subprocess.run(["python3", page_input, str(port)] + step, check=True, timeout=60)
        video = "document.querySelector('video')"
        subprocess.run(["python3", page_input, str(port), page_part, "wait",
                        video + ".currentTime > 1 && !" + video + ".paused"], check=True, timeout=60)
        time.sleep(settle)  # past the start: playing steadily
        pids = tree(program.pid)
        before, start = cpu_ticks(pids), time.time()
        time.sleep(seconds)
        pids = tree(program.pid)
        cpu = (cpu_ticks(pids) - before) / tick / (time.time() - start)
        memory = pss_mb(pids)
        playing = subprocess.run(["python3", page_input, str(port), page_part, "eval", "!" + video + ".paused"],
                                 capture_output=True, text=True).stdout.strip()
        return cpu, memory, playing
    finally:
        os.killpg(program.pid, signal.SIGTERM)
        program.wait(timeout=20)


def main():
    xvfb = subprocess.Popen(["Xvfb", ":71", "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
                            stderr=subprocess.DEVNULL)
    sim = subprocess.Popen([os.path.join(build, "tools/portal-sim/portal-sim"), "--port", "0"],
                           stdout=subprocess.PIPE, text=True)
    try:
        host = sim.stdout.readline().split()[-1]
        time.sleep(0.5)
        env = dict(os.environ, DISPLAY=":71", QT_QPA_PLATFORM="xcb",
                   QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu")
        for role in ("PORTAL_PRIMARY_SERVER", "FILM_MIRROR_SERVER", "PORTAL_BACKUP_SERVER",
                     "FILM_BACKUP_SERVER", "TV_SITE_SERVER"):
            env[role] = host
        film = "http://%s/play/tovan/film1.html" % host
        folder = os.path.join(build, "ProgramFolder")
        film_link = [["/box", "wait", "document.readyState == 'complete'"], ["Playloading", "wait", "true"],
                     ["/box", "click", "film-tovan"]]
        runs = [
            ("floor", [os.path.join(build, "bench/webengine_floor"), film, "--play"], "film1", [], 2),
            ("Pallomar", [os.path.join(folder, "Pallomar")], "film1", film_link, 10),
            ("Pallomar+cover", [os.path.join(folder, "Pallomar")], "film1", film_link, 0),
            ("TovanTV", [os.path.join(folder, "TovanTV")], "tovanT", [], 2),
        ]
        results = {}
        for name, argv, part, ready, settle in runs:
            results[name] = measure(name, argv, env, part, ready, settle)
            cpu, memory, playing = results[name]
            print("%-14s cpu %5.1f%% of a core  memory (PSS) %6.1f MB  still playing: %s"
                  % (name, 100 * cpu, memory, playing), flush=True)
        floor_cpu, floor_memory, _ = results["floor"]
        for name in ("Pallomar", "Pallomar+cover", "TovanTV"):
            cpu, memory, _ = results[name]
            print("%-14s / floor: cpu %.2fx  memory %.2fx" % (name, cpu / floor_cpu, memory / floor_memory))
    finally:
        sim.terminate()
        xvfb.terminate()


if __name__ == "__main__":
    main()
