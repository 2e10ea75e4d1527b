"""Searches bounded by rank on surfaces of large degree cost what their ranks cost (each runs in a child
under a hang guard: visiting every c' of each rank of v' = (r, λc, λ²d) took minutes at n = 10⁹), with the
count of an exact model: for each (r', c') of bounded_model.py, the d' = c'² + 2j/n whose twisted ch2
d'/2 − L lies in (0, least cap], counted by exact floors of numbers a + b·√Δ, not visited."""

import subprocess
import sys
from fractions import Fraction
from math import floor

import pytest

from bounded_model import Real, _ch2_bounds, _coefficient_box, _q_holds


def exact_floor(x):
    f = floor(x.approx())
    return f - ((x - f).sign() < 0) + ((x - (f + 1)).sign() >= 0)  # approx() is within 2^-39 of x


def model_count(r, c, d, n, max_rank):
    beta = Real(Fraction(c, r), Fraction(-1, r), c * c - r * Fraction(d))
    twisted_v, count = c - r * beta, 0
    for rank in range(1, max_rank + 1):
        for c1 in _coefficient_box(beta, twisted_v, rank):
            if _q_holds(r, twisted_v, rank, c1 - rank * beta):
                lower, caps = _ch2_bounds(r, beta, twisted_v, rank, c1)
                least = min(caps, key=lambda cap: sum((cap - other).sign() > 0 for other in caps))
                base = (lower - Fraction(c1 * c1, 2)) * n
                count += max(0, exact_floor(base + least * n) - exact_floor(base))
    return str(count)


OVERFLOW = ("OverflowError: the search of ch = (3, 1, -1/4294967294) on ℓ² = 2147483647, rank ≤ 5 stopped, it met "
            "numbers too large for its exact integer arithmetic (arithmetic overflow")


@pytest.mark.parametrize("v, n, max_rank, error", [
    ((3, 1, Fraction(-1, 10**9 + 7)), 10**9 + 7, 5, ""),
    ((3, 1, Fraction(-1, 2**31 - 1)), 2**31 - 1, 2, ""),
    ((2, 1, Fraction(1, 999_999_937)), 999_999_937, 6, ""),
    ((1, 0, Fraction(-2 * (2**28 - 57) + 2, 2**28 - 57)), 2**28 - 57, 3, ""),  # 73 693 850 classes
    # At rank 3 the surds of v' = (3, n, −n) need parts beyond 128 bits: a clear error at once.
    ((3, 1, Fraction(-1, 2**31 - 1)), 2**31 - 1, 5, OVERFLOW),
])
def test_a_large_degree_costs_its_ranks_and_counts_as_the_model(v, n, max_rank, error):
    code = f"from fractions import Fraction\nimport varnolt_walls as vw\nprint(vw.count(*{v!r}, surface=vw.Surface(degree={n}), max_rank={max_rank}))"
    run = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, timeout=60)  # a hang guard
    last_error = run.stderr.strip().splitlines()[-1] if run.stderr else ""
    assert (run.stdout.strip(), last_error[:len(error)]) == ("" if error else model_count(*v, n, max_rank), error)
    assert ("pass a smaller max_rank" in last_error) == bool(error)
