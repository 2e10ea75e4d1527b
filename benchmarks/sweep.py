"""Benchmark of varnolt_walls.sweep, run by hand after installing:

    .venv/bin/python benchmarks/sweep.py [--runs N] [--workers 1 2 ...]

Times `count` over two sets of Chern characters: the ideal sheaves of 2k²
points, (1, 0, -4k²) for k = 1 ... 100 (all with rational β₋, growing cost),
and a grid of 10,000 small v (1 <= r <= 25, 0 <= c < 20, -20 <= d < 0, with
max_rank=20 so that an irrational β₋ has a count too). Each row is the best
of --runs sweeps: a plain loop of one-by-one calls, then the sweep on its
default pool of threads and on a ProcessPoolExecutor (forkserver) of each
size in --workers (the pool's start included), with the speed-up over the
same kind of pool with one worker.
"""

import argparse
import multiprocessing
import time
from concurrent.futures import Executor, ProcessPoolExecutor

import varnolt_walls

IDEAL_SHEAVES = [(1, 0, -4 * k * k) for k in range(1, 101)]
GRID = [(r, c, d) for r in range(1, 26) for c in range(20) for d in range(-20, 0)]
SETS = {"ideal sheaves 2k² points": (IDEAL_SHEAVES, None), "grid of 10,000 small v": (GRID, 20)}


def best_seconds(run, runs):
    best = float("inf")
    for _ in range(runs):
        start = time.perf_counter()
        run()
        best = min(best, time.perf_counter() - start)
    return best


def one_by_one(vs, max_rank):
    for v in vs:
        try:
            varnolt_walls.count(*v, max_rank=max_rank)
        except ValueError:
            pass


def swept(vs, max_rank, executor: Executor | None = None, jobs=None):
    for _ in varnolt_walls.sweep(vs, max_rank=max_rank, executor=executor, jobs=jobs, progress=False):
        pass


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=3, help="sweeps per row (best)")
    parser.add_argument("--workers", type=int, nargs="+", default=[1, 2], help="pool sizes")
    args = parser.parse_args()

    print(f"{'set':<26} {'how':<22} {'seconds':>8} {'speed-up':>9}")
    for name, (vs, max_rank) in SETS.items():
        seconds = best_seconds(lambda: one_by_one(vs, max_rank), args.runs)
        print(f"{name:<26} {'one by one':<22} {seconds:8.3f}", flush=True)
        for kind in ("threads", "processes"):
            single = None
            for workers in args.workers:
                def run():
                    if kind == "threads":  # the sweep's default pool
                        swept(vs, max_rank, jobs=workers)
                    else:
                        context = multiprocessing.get_context("forkserver")
                        with ProcessPoolExecutor(workers, mp_context=context) as pool:
                            swept(vs, max_rank, executor=pool)
                seconds = best_seconds(run, args.runs)
                single = single or seconds
                print(f"{name:<26} {f'{workers} {kind}':<22} {seconds:8.3f} {single / seconds:8.2f}x", flush=True)


if __name__ == "__main__":  # the guard that process pools need
    main()
