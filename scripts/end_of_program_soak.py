"""Runs programs that end while the companion's searches are under way, many
times, two at once, and counts how each run ended: a crash (a signal), a hang
(no end within a minute) or a wrong result shows as a status other than ok.

    .venv/bin/python scripts/end_of_program_soak.py [RUNS]   (default 60)

The programs: daemon threads making walls, or Wall objects, when the script
ends; an unfinished sweep with Ctrl-C once it searches; a sweep on two
processes with one worker killed after the first result, which must still
yield every v's result in order.
"""

import os
import signal
import subprocess
import sys
from collections import Counter
from concurrent.futures import ThreadPoolExecutor

DAEMONS = """
import sys, threading, time, varnolt_walls
W = varnolt_walls.walls(1, 0, -3600)
call = {"walls": lambda: varnolt_walls.walls(1, 0, -3600), "reading": lambda: W[:]}[sys.argv[1]]
def loop():
    while True:
        call()
for _ in range(3):
    threading.Thread(target=loop, daemon=True).start()
time.sleep(0.3)
"""
ABANDONED_SWEEP = """
import signal, varnolt_walls
signal.signal(signal.SIGINT, signal.default_int_handler)
results = varnolt_walls.sweep([(1, 0, -4), (0, 2000, 1), (0, 2000, 1)], jobs=2, progress=False)
next(results)
print("searching", flush=True)
"""
KILLED_WORKER = """
import os, signal, varnolt_walls
from concurrent.futures import ProcessPoolExecutor
vs = [(1, 0, -4 * k * k) for k in range(1, 41)]
with ProcessPoolExecutor(2) as pool:
    got = []
    for v, result in varnolt_walls.sweep(vs, executor=pool, max_in_flight=2, progress=False):
        if not got:
            os.kill(next(iter(pool._processes)), signal.SIGKILL)
        got.append((v, result))
assert [v for v, _ in got] == vs and all(result == varnolt_walls.count(*v) for v, result in got), got
"""
PROGRAMS = {  # name: (script, argument, SIGINT once it prints "searching", statuses that are ok)
    "daemon threads making walls": (DAEMONS, "walls", False, {0}),
    "daemon threads reading walls": (DAEMONS, "reading", False, {0}),
    "unfinished sweep, Ctrl-C": (ABANDONED_SWEEP, "", True, {0, -signal.SIGINT}),
    "sweep with a killed worker": (KILLED_WORKER, "", False, {0}),
}


def run_once(name: str) -> str:
    script, argument, interrupt, ok = PROGRAMS[name]
    child = subprocess.Popen([sys.executable, "-c", script, argument], stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL, text=True)
    try:
        if interrupt and child.stdout.readline() == "searching\n":
            os.kill(child.pid, signal.SIGINT)
        child.communicate(timeout=60)
    except subprocess.TimeoutExpired:
        child.kill()
        child.communicate()
        return "hang"
    return "ok" if child.returncode in ok else f"status {child.returncode}"


def main() -> None:
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 60
    for name in PROGRAMS:
        with ThreadPoolExecutor(2) as pool:
            ends = Counter(pool.map(run_once, [name] * runs))
        print(f"{name}: {dict(ends)}", flush=True)


if __name__ == "__main__":
    main()
