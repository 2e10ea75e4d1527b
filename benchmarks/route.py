"""Ratios of one request's options against the plain search they amount to, in one run:

    .venv/bin/python benchmarks/route.py [--runs N]

Each option is answered inside one native call, so it should cost about what
the search it amounts to costs:
  - count and walls over σ(-101, 1) of v = (1, 0, -10000), whose proven rank
    bound is 51, against count and walls with max_rank=51 (the search the
    point turns into, without the clip of each run);
  - the right walls of v = (1, 2, -9996) against the left walls of its dual
    (1, -2, -9996), of which they are the mirror images.
Times are CPU times (time.process_time), the median of --runs calls each,
alternated so that the machine's load falls on both alike.
"""

import argparse
import statistics
import time

import varnolt_walls as vw

V = (1, 0, -10000)
POINT = (-101, 1)
RIGHT = (1, 2, -9996)
PAIRS = [
    ("count(above)", lambda: vw.count(*V, above=POINT), "count(max_rank=51)", lambda: vw.count(*V, max_rank=51)),
    ("walls(above)", lambda: vw.walls(*V, above=POINT), "walls(max_rank=51)", lambda: vw.walls(*V, max_rank=51)),
    ("walls(side=right)", lambda: vw.walls(*RIGHT, side="right"),
     "walls of the dual", lambda: vw.walls(RIGHT[0], -RIGHT[1], RIGHT[2])),
]


def cpu_seconds(function):
    start = time.process_time()
    function()
    return time.process_time() - start


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=7, help="timed calls of each (median)")
    runs = parser.parse_args().runs
    assert vw.count(*V, above=POINT) == sum(len(w.semistabilizers) for w in vw.walls(*V, above=POINT))
    print(f"{'option':>18} {'ms':>9} {'plain':>20} {'ms':>9} {'ratio':>6}")
    for name, option, plain_name, plain in PAIRS:
        option(), plain()  # warm
        times = [(cpu_seconds(option), cpu_seconds(plain)) for _ in range(runs)]
        option_s, plain_s = (statistics.median(t) for t in zip(*times))
        print(f"{name:>18} {option_s * 1e3:9.3f} {plain_name:>20} {plain_s * 1e3:9.3f} {option_s / plain_s:6.2f}")


if __name__ == "__main__":
    main()
