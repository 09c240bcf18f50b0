#!/usr/bin/env python3
"""Start-up to the first page's title, timed from outside the processes.

Each candidate is started in a fresh folder (XDG config, cache and data folders and HOME)
and the clock stops when `xdotool search --name` finds a window whose title holds the start
page's title. Candidates: a bare engine view on the engine's default profile, the same view
on a persistent profile with a disk cache, that view again putting the title up only at the
end of the load (as the program's caption does), that view once more as a maximized child in
a plain main window with a menu bar, a multi-document area and a status bar, sized as the
program's (the frame the program's design puts its browser window in), and the program
(splash off, start page on a local server). More builds of the program can join with
--program NAME=PATH, so a build before a change and one after it run side by side. The
candidates take turns at going first; the figures are medians of the per-round ratios.

With --returning the program's settings also hold what its first start stores (PProg and
PSec), as they do for anyone who has switched the splash off in the program itself.

With --trace the program's start-up steps (the "scoutwell.startup" logging category) are
printed for each round, in milliseconds since the process was started.

Usage (under an X display, after scripts/build.sh):
    bench/startup_title.py [--rounds N] [--build DIR] [--program NAME=PATH]... [--returning]
                              [--trace]
"""
import argparse
import http.server
import os
import re
import statistics
import subprocess
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))


class Page(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        token = self.path.strip("/").split(".")[0]
        body = ("<html><head><title>Bench Start Page %s</title></head>"
                "<body><h1>Start</h1><p>Freeware, found fast.</p></body></html>" % token).encode()
        self.send_response(200)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def fresh_env(folder):
    env = dict(os.environ)
    for var, sub in (("XDG_CONFIG_HOME", "config"), ("XDG_CACHE_HOME", "cache"),
                     ("XDG_DATA_HOME", "data")):
        env[var] = os.path.join(folder, sub)
        os.makedirs(env[var])
    env["HOME"] = folder
    return env


def title_shown(title):
    out = subprocess.run(["xdotool", "search", "--name", re.escape(title)],
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout
    return bool(out.strip())


def measure(argv, env, title, trace):
    """Milliseconds from the start of the process to the title (None when it never came),
    the trace lines as (milliseconds since start, step), and whether the process ended
    before showing the title."""
    with tempfile.TemporaryFile() as err:
        start = time.monotonic()
        proc = subprocess.Popen(argv, env=env, stdout=subprocess.DEVNULL, stderr=err)
        result = None
        while time.monotonic() - start < 30 and proc.poll() is None:
            if title_shown(title):
                result = (time.monotonic() - start) * 1000
                break
            time.sleep(0.005)
        exited = result is None and proc.poll() is not None
        if result is None:
            err.seek(0)
            tail = err.read().decode(errors="replace").splitlines()[-5:]
            print("    %s failed (exit %s): %s" % (argv[0], proc.poll(), " | ".join(tail)))
        proc.kill()
        proc.wait()
        steps = []
        if trace:
            err.seek(0)
            for line in err.read().decode(errors="replace").splitlines():
                m = re.match(r"scoutwell\.startup: ([0-9.]+) (.*)", line)
                if m:
                    steps.append((float(m.group(1)) - start * 1000, m.group(2)))
    return result, steps, exited


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--rounds", type=int, default=9)
    ap.add_argument("--build", default=os.path.join(HERE, "..", "build"))
    ap.add_argument("--program", action="append", default=[], metavar="NAME=PATH")
    ap.add_argument("--returning", action="store_true")
    ap.add_argument("--trace", action="store_true")
    args = ap.parse_args()

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Page)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    base = "http://127.0.0.1:%d/" % server.server_address[1]

    bare = os.path.join(args.build, "bench", "bench_bare_view")
    programs = [("scoutwell", os.path.join(args.build, "bin", "scoutwell"))]
    programs += [tuple(p.split("=", 1)) for p in args.program]
    floors = {"bare view": [], "persistent view": ["--persistent"],
              "load-end view": ["--persistent", "--at-load-end"],
              "frame view": ["--persistent", "--at-load-end", "--frame"]}
    names = list(floors) + [name for name, _ in programs]
    root = os.geteuid() == 0

    times = {n: [] for n in names}
    ratios = {}
    serial = 0
    for r in range(args.rounds):
        got = {}
        for k in range(len(names)):
            name = names[(r + k) % len(names)]
            serial += 1
            token = "r%dc%d" % (r + 1, serial)
            url = base + token + ".html"
            title = "Bench Start Page " + token
            with tempfile.TemporaryDirectory() as folder:
                env = fresh_env(folder)
                if name in floors:
                    # The program switches its sandbox off only as root; so do the floors.
                    if root:
                        env["QTWEBENGINE_DISABLE_SANDBOX"] = "1"
                    if args.trace:
                        env["QT_LOGGING_RULES"] = "scoutwell.startup.debug=true"
                    argv = [bare] + floors[name] + [url]
                else:
                    with open(os.path.join(env["XDG_CONFIG_HOME"], "ScoutwellV3.ini"), "w") as f:
                        f.write("[Settings]\nShowSplash=0\nStart%%20Page=%s\n" % url)
                        if args.returning:
                            f.write("PProg=0\nPSec=0\n")
                    if args.trace:
                        env["QT_LOGGING_RULES"] = "scoutwell.startup.debug=true"
                    argv = [dict(programs)[name]]
                # A start that fails outright (the X server, busy with the other engineers'
                # windows, refusing a connection) is tried again rather than counted.
                for attempt in range(3):
                    got[name], steps, exited = measure(argv, env, title, args.trace)
                    if not exited:
                        break
            for ms, step in steps:
                print("    %-16s %7.1f ms  %s" % (name, ms, step))
        print("round %d: " % (r + 1)
              + ", ".join("%s %s" % (n, "%.0f ms" % got[n] if got[n] else "-") for n in names),
              flush=True)
        if None in got.values():
            continue
        for n in names:
            times[n].append(got[n])
        for name, _ in programs:
            for floor in floors:
                ratios.setdefault((name, floor), []).append(got[name] / got[floor])
        ratios.setdefault(("persistent view", "bare view"), []).append(
            got["persistent view"] / got["bare view"])
        for name, _ in programs[1:]:
            ratios.setdefault(("scoutwell", name), []).append(got["scoutwell"] / got[name])
    if not times[names[0]]:
        print("no round finished")
        return 1
    print("median of %d rounds: " % len(times[names[0]])
          + ", ".join("%s %.0f ms" % (n, statistics.median(times[n])) for n in names))
    for (a, b), v in ratios.items():
        print("median ratio %s / %s: %.3f" % (a, b, statistics.median(v)))
    return 0


if __name__ == "__main__":
    raise SystemExit(main())
