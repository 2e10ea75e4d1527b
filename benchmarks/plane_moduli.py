"""Benchmark of the stable sheaves on P² at their limits, run by hand after installing:

    .venv/bin/python benchmarks/plane_moduli.py [--runs N]

Times (the median of --runs calls, process CPU time) exceptional_bundles on [0, 1] up to
rank 10⁶, drezet_le_potier at the longest descent it takes (the exceptional slope of
Fibonacci ranks F(2k−1)/F(2k+1) with a denominator of 2048 bits, one step per level of the
dyadic tree), at a μ of 600-digit denominator near 1/3, the refusal of a 2049-bit one, and
moduli of some 6000 characters of rank ≤ 12.
"""

import argparse
import statistics
import time
from collections.abc import Callable
from fractions import Fraction

from varnolt_walls import drezet_le_potier, exceptional_bundles, from_chern_classes, moduli


def timed(call: Callable[[], object], runs: int) -> float:
    times = []
    for _ in range(runs):
        start = time.process_time()
        try:
            call()
        except ValueError:
            pass
        times.append(time.process_time() - start)
    return statistics.median(times)


def fibonacci_slope(bits: int) -> Fraction:
    a, b = 1, 2  # F(1), F(3): the slope 1/2, then 2/5, 5/13, ...
    while (3 * b - a).bit_length() <= bits:
        a, b = b, 3 * b - a
    return Fraction(a, b)


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--runs", type=int, default=5)
    runs = parser.parse_args().runs
    characters = [from_chern_classes(r, c, c2, surface="P2") for r in range(1, 13) for c in range(-r, r + 1)
                  for c2 in range(-2, 33)]
    cases = {
        "exceptional_bundles(0, 1, max_rank=10**6)": lambda: exceptional_bundles(0, 1, max_rank=10**6),
        "drezet_le_potier(F(2k-1)/F(2k+1)), 2048 bits": lambda: drezet_le_potier(fibonacci_slope(2048)),
        "drezet_le_potier(1/3 + 10**-600)": lambda: drezet_le_potier(Fraction(1, 3) + Fraction(1, 10**600)),
        "drezet_le_potier(1/3**1300), refused": lambda: drezet_le_potier(Fraction(1, 3**1300)),
        f"moduli of {len(characters)} characters": lambda: [moduli(v) for v in characters],
    }
    for name, call in cases.items():
        print(f"{timed(call, runs) * 1000:10.2f} ms  {name}")


if __name__ == "__main__":
    main()
