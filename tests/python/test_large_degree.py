"""Searches bounded by rank on surfaces of large degree cost what their ranks cost: each call runs in a
child under a hang guard (before, the search visited every c' of each rank of v' = (r, λc, λ²d), about
n of them for a prime degree n, minutes at n = 10⁹), and its count is an exact model's.

The model counts, for each (r', c') of the model of bounded_model.py, the classes d' = c'² + 2j/n whose
twisted ch2 t = d'/2 − L lies in (0, least cap]: the j in (n·(L − c'²/2), n·(L − c'²/2 + cap)], found
from exact floors of numbers a + b·√Δ (Δ a Fraction), not by visiting them."""

import subprocess
import sys
from fractions import Fraction
from math import floor

import pytest

from bounded_model import Real, _ch2_bounds, _coefficient_box, _q_holds

HANG_GUARD = 60  # seconds; the searches below take milliseconds, the visits of every c' took minutes


def exact_floor(x):
    f = floor(x.approx())
    while (x - f).sign() < 0:
        f -= 1
    while (x - (f + 1)).sign() >= 0:
        f += 1
    return f


def model_count(v, n, max_rank):
    r, c, d = v
    beta = Real(Fraction(c, r), Fraction(-1, r), c * c - r * Fraction(d))
    twisted_v = c - r * beta
    count = 0
    for rank in range(1, max_rank + 1):
        coefficients = _coefficient_box(beta, twisted_v, rank)
        assert not any(_q_holds(r, twisted_v, rank, edge - rank * beta) for edge in (coefficients[0], coefficients[-1]))
        for c1 in coefficients:
            if _q_holds(r, twisted_v, rank, c1 - rank * beta):
                lower, caps = _ch2_bounds(r, beta, twisted_v, rank, c1)
                least = caps[0]
                for cap in caps[1:]:
                    least = cap if (cap - least).sign() < 0 else least
                base = (lower - Fraction(c1 * c1, 2)) * n
                count += max(0, exact_floor(base + least * n) - exact_floor(base))
    return count


def child(call):
    """What the call prints in a child interpreter, under the hang guard."""
    code = f"from fractions import Fraction\nimport varnolt_walls as vw\nprint({call})"
    run = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, timeout=HANG_GUARD)
    return run.returncode, run.stdout.strip(), run.stderr


@pytest.mark.parametrize("v, n, max_rank", [
    ((3, 1, Fraction(-1, 10**9 + 7)), 10**9 + 7, 5),
    ((3, 1, Fraction(-1, 2**31 - 1)), 2**31 - 1, 2),
    ((2, 1, Fraction(1, 999_999_937)), 999_999_937, 6),
    ((1, 0, Fraction(-2 * (2**28 - 57) + 2, 2**28 - 57)), 2**28 - 57, 3),  # 73 693 850 classes
])
def test_a_large_degree_counts_as_the_model_in_a_child(v, n, max_rank):
    status, out, err = child(f"vw.count(*{v!r}, surface=vw.Surface(degree={n}), max_rank={max_rank})")
    assert (status, err) == (0, "")
    assert int(out) == model_count(v, n, max_rank) > 0


def test_the_largest_degree_ends_at_once_where_its_values_leave_the_core():
    # (3, 1, −1/n) on n = 2³¹ − 1 at rank 3: the surds of v' = (3, n, −n) need parts beyond 128 bits.
    status, out, err = child("vw.count(3, 1, Fraction(-1, 2**31 - 1), surface=vw.Surface(degree=2**31 - 1), max_rank=5)")
    assert status == 1 and err.splitlines()[-1] == "OverflowError: arithmetic overflow: value outside the signed 64-bit range"
