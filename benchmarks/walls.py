"""Benchmarks of varnolt_walls.candidates and count, run by hand after installing:

    .venv/bin/python benchmarks/walls.py [--runs N] [--long] [--walls-only]

Times are the process's CPU time (time.process_time), steadier than the clock
on a shared machine. For each case of benchmarks/run.py it prints the median time of
varnolt.pseudo_semistabilizers, of the CPython floor of building the same list
of tuples (list(zip(R, C, D)) over the result's own columns), of
varnolt_walls.candidates and of varnolt_walls.count, the ratio floor /
candidates, and the bytes per candidate of the array. Then, for searches
bounded by rank (a hundred points in the plane, whose β₋ is irrational), the
median time of count and candidates with max_rank = 10^3, 10^4 and 10^5 (and
of count per rank walked), and the ratio to count(1, 0, -10000) in the same
run.
Then the same search on P² against the generic lattice (count and candidates
of the ideal sheaves of 5 000 and 20 000 points), and walls over a point
(no rank bound given: the search runs up to the rank bound the core proves).
Then, `--runs` times each, the ratios within one run for the walls of
(1, 0, -14400): walls / candidates, walls and reading every wall's center,
radius² and semistabilizers / candidates, and to_pandas / candidates, each call
timed once, with the times it divides. The first large call of a fresh
interpreter takes longer (the runs before these warm it up), and where the
allocator hands candidates memory that an earlier call has touched, it takes
about half as long: candidates's time shows which. Then, in children,
the peak memory (VmHWM) of candidates(1, 0, -2, max_rank=10**8) and of
count(1, 0, -2, max_rank=R) for R = 10^7, 10^8 (and 10^9 with --long), which
stays flat whatever R. With --walls-only it runs the walls' ratios alone
(after one untimed call of each to warm the interpreter up).
"""

import argparse
import gc
import os
import statistics
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from run import CASES  # noqa: E402  (the same cases as the main benchmark)

# A hundred points in the plane: β₋ = -√200 is irrational.
BOUNDED_CASES = [((1, 0, -200), 10**k) for k in (3, 4, 5)]
P2_CASES = [(1, 0, -10000), (1, 0, -40000), (0, 31, 101)]
# (v, point): a hundred points under σ(-15, 1) and nearer β₋ ≈ -14.14; the tangent bundle of P².
ABOVE_CASES = [((1, 0, -200), (-15, 1)), ((1, 0, -200), (-14.3, 0.05)), ((2, 3, 3), (0, "1/10"))]


WALLS_CASE = (1, 0, -14400)
MEMORY_CALLS = ["candidates(1, 0, -2, max_rank=10**8)", "count(1, 0, -2, max_rank=10**7)",
                "count(1, 0, -2, max_rank=10**8)"]
LONG_MEMORY_CALLS = ["count(1, 0, -2, max_rank=10**9)"]


def walls_ratios(varnolt_walls):
    """walls, reading every wall, to_pandas: each as a ratio to candidates, timed back to back."""
    start = time.process_time()
    varnolt_walls.candidates(*WALLS_CASE)
    candidates_s = time.process_time() - start
    start = time.process_time()
    found = varnolt_walls.walls(*WALLS_CASE)
    walls_s = time.process_time() - start
    for wall in found:
        wall.center, wall.radius_squared, wall.semistabilizers
    read_s = time.process_time() - start
    start = time.process_time()
    found.to_pandas()
    pandas_s = time.process_time() - start
    count = len(found)
    del found
    gc.collect()
    return (f"candidates {candidates_s * 1e3:.0f} ms, walls {walls_s * 1e3:.0f} ms = {walls_s / candidates_s:.1f}x, "
            f"walls + read {read_s * 1e3:.0f} ms = {read_s / candidates_s:.1f}x, "
            f"to_pandas {pandas_s / candidates_s:.1f}x ({count} walls)")


def peak_memory(call):
    """Peak resident memory (VmHWM, which starts afresh at exec, unlike ru_maxrss) and CPU
    time of varnolt_walls.CALL in a fresh interpreter."""
    code = (f"import re, time, varnolt_walls\nstart = time.process_time()\nvarnolt_walls.{call}\n"
            "status = open('/proc/self/status').read()\n"
            "print(time.process_time() - start, re.search(r'VmHWM:\\s*(\\d+)', status).group(1))")
    seconds, kib = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True,
                                  check=True).stdout.split()
    return f"{int(kib) / 1024:7.1f} MB in {float(seconds):7.2f} s"


def median_seconds(function, runs):
    times = []
    for _ in range(runs):
        start = time.process_time()
        result = function()
        times.append(time.process_time() - start)
        del result
    return statistics.median(times)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=5, help="timed calls per case (median)")
    parser.add_argument("--long", action="store_true", help="also count(1, 0, -2, max_rank=10**9) (about a minute)")
    parser.add_argument("--walls-only", action="store_true",
                        help=f"only the ratios to candidates of the walls of {WALLS_CASE}")
    args = parser.parse_args()

    import varnolt
    import varnolt_walls

    if args.walls_only:
        walls_ratios(varnolt_walls)  # the first large calls of a fresh interpreter take longer
        print(f"walls of {WALLS_CASE}, ratios to candidates within one run:", flush=True)
        for _ in range(args.runs):
            print("  " + walls_ratios(varnolt_walls), flush=True)
        return

    # pseudo_semistabilizers announces on file descriptor 1: keep the report on a copy of it.
    report = os.fdopen(os.dup(1), "w")
    os.dup2(os.open(os.devnull, os.O_WRONLY), 1)

    print(f"{'v':>16} {'results':>9} {'tuples ms':>10} {'floor ms':>9} {'array ms':>9}"
          f" {'floor/array':>11} {'count ms':>9} {'bytes/row':>9}", file=report, flush=True)
    for v in CASES:
        tuples = varnolt.pseudo_semistabilizers(*v)
        columns = list(zip(*tuples)) or [(), (), ()]
        del tuples
        array = varnolt_walls.candidates(*v)
        n = len(array)
        tuples_s = median_seconds(lambda: varnolt.pseudo_semistabilizers(*v), args.runs)
        floor_s = median_seconds(lambda: list(zip(*columns)), args.runs)
        array_s = median_seconds(lambda: varnolt_walls.candidates(*v), args.runs)
        count_s = median_seconds(lambda: varnolt_walls.count(*v), args.runs)
        print(f"{str(v):>16} {n:9d} {tuples_s * 1e3:10.3f} {floor_s * 1e3:9.3f} {array_s * 1e3:9.3f}"
              f" {floor_s / max(array_s, 1e-9):11.1f} {count_s * 1e3:9.3f}"
              f" {array.nbytes / max(n, 1):9.0f}", file=report, flush=True)

    print(f"\n{'v':>16} {'max_rank':>9} {'results':>9} {'count ms':>9} {'ns/rank':>8} {'array ms':>9}"
          f" {'count / count(1, 0, -10000)':>28}", file=report, flush=True)
    for v, max_rank in BOUNDED_CASES:
        n = varnolt_walls.count(*v, max_rank=max_rank)
        count_s = median_seconds(lambda: varnolt_walls.count(*v, max_rank=max_rank), args.runs)
        array_s = median_seconds(lambda: varnolt_walls.candidates(*v, max_rank=max_rank), args.runs)
        unbounded_s = median_seconds(lambda: varnolt_walls.count(1, 0, -10000), args.runs)
        print(f"{str(v):>16} {max_rank:9d} {n:9d} {count_s * 1e3:9.3f} {count_s / max_rank * 1e9:8.1f}"
              f" {array_s * 1e3:9.3f} {count_s / unbounded_s:28.2f}", file=report, flush=True)

    print(f"\nwalls of {WALLS_CASE}, ratios to candidates within one run:", file=report, flush=True)
    for _ in range(args.runs):
        print("  " + walls_ratios(varnolt_walls), file=report, flush=True)

    print("\npeak memory (VmHWM) of one call in a child:", file=report, flush=True)
    for call in MEMORY_CALLS + (LONG_MEMORY_CALLS if args.long else []):
        print(f"  {call:45} {peak_memory(call)}", file=report, flush=True)
    surfaces(varnolt_walls, args.runs, report)


def surfaces(varnolt_walls, runs, report):
    """P² against the generic lattice, and walls over a point."""
    print(f"\n{'v':>16} {'results':>9} {'P2':>9} {'count ms':>9} {'P2 ms':>9} {'array ms':>9} {'P2 ms':>9}",
          file=report, flush=True)
    for v in P2_CASES:
        timed = [median_seconds(lambda: search(*v, surface=surface), runs)
                 for search in (varnolt_walls.count, varnolt_walls.candidates) for surface in (None, "P2")]
        print(f"{str(v):>16} {varnolt_walls.count(*v):9d} {varnolt_walls.count(*v, surface='P2'):9d}"
              + "".join(f" {s * 1e3:9.3f}" for s in timed), file=report, flush=True)
    print(f"\n{'v':>16} {'point':>14} {'results':>9} {'walls':>6} {'walls ms':>9}", file=report, flush=True)
    for v, point in ABOVE_CASES:
        walls_s = median_seconds(lambda: varnolt_walls.walls(*v, above=point), runs)
        print(f"{str(v):>16} {str(point):>14} {varnolt_walls.count(*v, above=point):9d}"
              f" {len(varnolt_walls.walls(*v, above=point)):6d} {walls_s * 1e3:9.3f}", file=report, flush=True)


if __name__ == "__main__":
    main()
