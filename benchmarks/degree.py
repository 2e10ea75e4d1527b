"""The cost of a surface of degree ℓ² = 4 against the module's lattice, in one run:

    .venv/bin/python benchmarks/degree.py [--runs N]

A count on the quartic's lattice searches v' = (r, 2c, 4d) on the ½ℤ lattice,
visiting only the ranks that hold a class of the quartic's sublattice (half of
the c' and, of those, every other d'), and keeps that sublattice of each run in
constant time. For each v = (1, 0, d) of the quartic below, it is
compared with the ½ℤ count of the v = (1, 0, -k²) whose number of candidates is
the nearest to the quartic's (its N), and with the ½ℤ count of v' itself, the
search the quartic's amounts to. Times are CPU times (time.process_time), the
median of --runs calls each, alternated so that the machine's load falls on all
alike.
"""

import argparse
import statistics
import time

import varnolt_walls as vw

QUARTIC = vw.Surface(degree=4)
VS = [(1, 0, -2500), (1, 0, -10000), (1, 0, -40000)]


def cpu_seconds(function):
    start = time.process_time()
    function()
    return time.process_time() - start


def nearest_half_integral(target):
    """(1, 0, -k²) with the count nearest to target, by bisection on k (the count grows with k)."""
    low, high = 1, 2
    while vw.count(1, 0, -high * high) < target:
        low, high = high, 2 * high
    while high - low > 1:
        middle = (low + high) // 2
        low, high = (middle, high) if vw.count(1, 0, -middle * middle) < target else (low, middle)
    return min(((1, 0, -k * k) for k in (low, high)), key=lambda v: abs(vw.count(*v) - target))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=7, help="timed calls of each (median)")
    runs = parser.parse_args().runs
    print(f"{'v on ℓ² = 4':>16} {'N':>9} {'ms':>8} {'½ℤ v, same N':>16} {'N':>9} {'ms':>8} {'ratio':>6}"
          f" {'½ℤ v′ ms':>9} {'ratio':>6}")
    for v in VS:
        r, c, d = v
        scaled = (r, 2 * c, 4 * d)
        n = vw.count(*v, surface=QUARTIC)
        same = nearest_half_integral(n)
        calls = (lambda: vw.count(*v, surface=QUARTIC), lambda: vw.count(*same), lambda: vw.count(*scaled))
        times = [[cpu_seconds(call) for call in calls] for _ in range(runs)]
        quartic, plain, whole = (statistics.median(t) for t in zip(*times))
        print(f"{str(v):>16} {n:9} {quartic * 1e3:8.2f} {str(same):>16} {vw.count(*same):9} {plain * 1e3:8.2f}"
              f" {quartic / plain:6.2f} {whole * 1e3:9.2f} {quartic / whole:6.2f}")


if __name__ == "__main__":
    main()
