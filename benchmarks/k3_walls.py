"""Benchmark of varnolt_walls.k3_walls on the Hilbert schemes of points, run by hand after installing:

    .venv/bin/python benchmarks/k3_walls.py [--runs N] [--max-degree D] [--max-n N] [--large N ...]

For every Hilbⁿ (v = (1, 0, 1 − n)) of a K3 surface of degree 2..D (even) and
n = 2..N it times k3_walls (the median of --runs calls, process CPU time, steadier
than the clock on a shared machine) and prints the median and the slowest case
over all of them, the number of cases over 5 ms, and the ten slowest with their
number of walls and the largest entry of their deciding classes. Then, for each
Hilbⁿ of degree 2 with n in --large (100, 300 and 1000 by default; one call each),
the time, the walls, the time per wall and the pairs (⟨a, v⟩, a²) asked.
"""

import argparse
import statistics
import time

from varnolt_walls import k3_walls
from varnolt_walls.k3._orbits import pairs_asked


def timed(v: tuple[int, int, int], degree: int, runs: int) -> float:
    times = []
    for _ in range(runs):
        start = time.process_time()
        k3_walls(*v, degree=degree)
        times.append(time.process_time() - start)
    return statistics.median(times)


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--max-degree", type=int, default=40)
    parser.add_argument("--max-n", type=int, default=12)
    parser.add_argument("--large", type=int, nargs="*", default=[100, 300, 1000])
    args = parser.parse_args()
    rows = []
    for degree in range(2, args.max_degree + 1, 2):
        for n in range(2, args.max_n + 1):
            v = (1, 0, 1 - n)
            found = k3_walls(*v, degree=degree)
            entry = max(abs(x) for w in found for a in w.special_classes for x in a)
            rows.append((timed(v, degree, args.runs), degree, n, len(found), entry))
    times = [row[0] for row in rows]
    print(f"{len(rows)} Hilbert schemes, degree 2..{args.max_degree}, n 2..{args.max_n}, median of {args.runs} runs")
    print(f"median {statistics.median(times) * 1e3:.3f} ms, slowest {max(times) * 1e3:.3f} ms, "
          f"over 5 ms: {sum(t > 5e-3 for t in times)}")
    print("slowest: ms  degree  n  walls  largest entry")
    for t, degree, n, count, entry in sorted(rows, reverse=True)[:10]:
        print(f"  {t * 1e3:8.3f}  {degree:6}  {n:2}  {count:5}  {entry}", flush=True)
    print("Hilbⁿ of degree 2:      n      ms   walls  ms a wall    pairs")
    for n in args.large:
        start = time.process_time()
        count = len(k3_walls(1, 0, 1 - n, degree=2, max_pairs=10**9))
        t = time.process_time() - start
        pairs, _ = pairs_asked(2 * (n - 1), 10**9)
        print(f"  {n:21} {t * 1e3:7.0f} {count:7} {t * 1e3 / count:10.4f} {pairs:8}", flush=True)


if __name__ == "__main__":
    main()
