"""Benchmarks of varnolt.pseudo_semistabilizers, run by hand after installing:

    .venv/bin/python benchmarks/run.py [--runs N] [--no-baseline]

For each case it prints the median time of the call, the number of results, the
ranks that hold them, the peak memory of the call against the memory of the
list it returns, and the floor of building the same list in CPython
(list(zip(R, C, D)) over the result's own columns). Unless --no-baseline is
given it also builds and times the per-rank enumeration (the C++ test oracle),
which visits every admissible rank (except on the cases in NO_BASELINE, where it
would take hours).
"""

import argparse
import json
import os
import resource
import shutil
import statistics
import subprocess
import sys
import time
from pathlib import Path

REPO = Path(__file__).resolve().parent.parent

CASES = [
    # small, typical
    (2, 1, -4),
    (3, 1, -5),
    (5, 3, 1),
    (4, 2, -8),
    (0, 5, 3),
    # sparse: rank 0, nearly every rank empty
    (0, 17, 30),
    (0, 23, 40),
    (0, 31, 100),
    # dense: integral β₋, nearly every rank holds candidates
    (1, 0, -10000),
    (1, 0, -40000),
    # few results, large n: (p, p − 2, p − 4) for a prime p has β₋ = (p − 4)/p, n = p and X = 2p
    (10007, 10005, 10003),
    (1000003, 1000001, 999999),
]

# Cases the per-rank enumeration cannot finish in minutes (about X³/n ranks).
NO_BASELINE = {(10007, 10005, 10003), (1000003, 1000001, 999999)}


def resident_bytes():
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")


def measure_in_this_process(v, runs):
    """One fresh process per case, so that the peak memory is the call's own."""
    import varnolt

    # The announcement goes to file descriptor 1; keep it out of the report.
    devnull = os.open(os.devnull, os.O_WRONLY)
    os.dup2(devnull, 1)

    before = resident_bytes()
    result = varnolt.pseudo_semistabilizers(*v)
    peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss * 1024
    list_bytes = resident_bytes() - before

    times = []
    for _ in range(runs):
        del result
        start = time.perf_counter()
        result = varnolt.pseudo_semistabilizers(*v)
        times.append(time.perf_counter() - start)

    columns = list(zip(*result)) or [(), (), ()]
    floors = []
    for _ in range(runs):
        start = time.perf_counter()
        rebuilt = list(zip(*columns))
        floors.append(time.perf_counter() - start)
        del rebuilt

    ranks = sum(1 for i, u in enumerate(result) if i == 0 or u[:2] != result[i - 1][:2])
    return {
        "seconds": statistics.median(times),
        "results": len(result),
        "ranks": ranks,
        "peak_bytes": peak - before,
        "list_bytes": list_bytes,
        "floor_seconds": statistics.median(floors),
    }


def measure(v, runs):
    child = subprocess.run(
        [sys.executable, __file__, "--child", json.dumps({"v": v, "runs": runs})],
        capture_output=True, text=True, check=True)
    return json.loads(child.stderr.strip().splitlines()[-1])


def build_baseline():
    cmake = shutil.which("cmake", path=str(Path(sys.executable).parent)) or shutil.which("cmake")
    build = REPO / "build" / "benchmarks"
    subprocess.run([cmake, "-S", str(REPO), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
                    "-DVARNOLT_BUILD_EXTENSION=OFF", "-DVARNOLT_BUILD_BENCHMARKS=ON"],
                   check=True, stdout=subprocess.DEVNULL)
    subprocess.run([cmake, "--build", str(build), "--target", "per_rank_baseline"],
                   check=True, stdout=subprocess.DEVNULL)
    return build / "per_rank_baseline"


def baseline(program, v):
    out = subprocess.run([str(program), *map(str, v)], capture_output=True, text=True).stdout.split()
    if out[0] == "message":
        return None
    return {"results": int(out[0]), "ranks": int(out[1]), "seconds": float(out[2])}


def megabytes(n):
    return f"{n / 2**20:8.1f}"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=5, help="timed calls per case (median)")
    parser.add_argument("--no-baseline", action="store_true", help="skip the per-rank baseline")
    parser.add_argument("--child", help=argparse.SUPPRESS)
    args = parser.parse_args()
    if args.child:
        job = json.loads(args.child)
        print(json.dumps(measure_in_this_process(tuple(job["v"]), job["runs"])), file=sys.stderr)
        return

    program = None if args.no_baseline else build_baseline()
    print(f"{'v':>16} {'time ms':>9} {'results':>9} {'ranks':>9} {'peak MB':>8} {'list MB':>8}"
          f" {'peak/list':>9} {'floor ms':>8} {'time/floor':>10}"
          + ("" if program is None else f" {'per-rank ms':>11} {'ranks visited':>13} {'speed-up':>9}"))
    for v in CASES:
        m = measure(v, args.runs)
        line = (f"{str(v):>16} {m['seconds'] * 1e3:9.3f} {m['results']:9d} {m['ranks']:9d}"
                f" {megabytes(m['peak_bytes'])} {megabytes(m['list_bytes'])}"
                f" {m['peak_bytes'] / max(m['list_bytes'], 1):9.2f} {m['floor_seconds'] * 1e3:8.3f}"
                f" {m['seconds'] / max(m['floor_seconds'], 1e-9):10.2f}")
        if program is not None and v not in NO_BASELINE:
            b = baseline(program, v)
            assert b is not None and b["results"] == m["results"], (v, b, m)
            line += (f" {b['seconds'] * 1e3:11.1f} {b['ranks']:13d}"
                     f" {b['seconds'] / max(m['seconds'], 1e-9):9.0f}")
        print(line, flush=True)


if __name__ == "__main__":
    main()
