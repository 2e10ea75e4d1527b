"""Searches bounded by rank (max_rank) against the brute-force model, over seeded Chern characters
with rational and irrational β₋, and the facts a user relies on."""

import functools
import random
from fractions import Fraction
from math import isqrt

import numpy as np
import pytest

import bounded_model
import varnolt_walls
from varnolt import pseudo_semistabilizers

IRRATIONAL = "β_ is not rational: ∞ walls"


def is_irrational(r, c, d):
    delta = c * c - r * d
    return r > 0 and delta > 0 and isqrt(delta) ** 2 != delta


def sample(seed, count, rational):
    """Seeded v of small entries with irrational (or rational) β₋, and a rank bound up to 300."""
    rng, cases = random.Random(seed), []
    while len(cases) < count:
        v = (rng.randint(0 if rational else 1, 6), rng.randint(-10, 10), rng.randint(-30, 30))
        if is_irrational(*v) == rational or bounded_model.real_beta(*v) is None:
            continue
        max_rank = rng.choice([1, 2, 5, 12, 40, 100, 300]) if len(cases) % 3 else rng.randint(1, 300)
        # Keeps the model's box (about √Δ + 7 values of c' per rank) to a few seconds per file.
        if max_rank * (isqrt(abs(v[1] ** 2 - v[0] * v[2])) + 7) <= 2500:
            cases.append((*v, max_rank))
    return cases


IRRATIONAL_CASES = sample(0xB0_12, 20, rational=False) + [(1, 0, -2, 12), (2, 3, 3, 100), (2, 0, -4, 200)]
RATIONAL_CASES = sample(0xB0_13, 16, rational=True)


def as_rows(array):
    assert isinstance(array, np.ndarray) and array.dtype == np.int64 and array.shape[1:] == (3,)
    return [tuple(int(x) for x in row) for row in array]


@functools.cache
def model(r, c, d, max_rank):
    return bounded_model.bounded_candidates(r, c, d, max_rank)


@pytest.mark.parametrize("r, c, d, max_rank", IRRATIONAL_CASES + RATIONAL_CASES)
def test_candidates_and_count_match_the_model(r, c, d, max_rank):
    status, expected = model(r, c, d, max_rank)
    assert status == "ok"
    assert as_rows(varnolt_walls.candidates(r, c, d, max_rank=max_rank)) == expected
    assert varnolt_walls.count(r, c, d, max_rank=max_rank) == len(expected)


def test_the_irrational_cases_are_not_all_empty():
    """The comparisons above must see candidates, or they prove nothing."""
    assert sum(model(*case)[1] != [] for case in IRRATIONAL_CASES) >= 16


@pytest.mark.parametrize("r, c, d, max_rank", RATIONAL_CASES)
def test_rational_bound_cuts_the_full_list(r, c, d, max_rank):
    full = pseudo_semistabilizers(r, c, d)
    top = max((u[0] for u in full), default=0)
    for bound in {max_rank, top, max(top, 1)}:
        cut = [tuple(u) for u in full if u[0] <= bound]
        assert as_rows(varnolt_walls.candidates(r, c, d, max_rank=bound)) == cut


@pytest.mark.parametrize("r, c, d", [(1, 1, -3), (3, 1, -5), (5, 3, 1), (0, 3, 4), (2, 1, -4)])
def test_rational_bound_at_x_squared_is_the_full_list(r, c, d):
    beta = bounded_model.real_beta(r, c, d).a
    x = c * beta.denominator - r * beta.numerator
    full = [tuple(u) for u in pseudo_semistabilizers(r, c, d)]
    assert as_rows(varnolt_walls.candidates(r, c, d, max_rank=x * x)) == full
    assert as_rows(varnolt_walls.candidates(r, c, d)) == full


def test_a_point_in_the_plane_has_one_wall_first():
    """(1, −1, 1/2) comes first; its wall with v = (1, 0, −1) has centre −3/2 and ρ² = 1/4."""
    found = as_rows(varnolt_walls.candidates(1, 0, -2, max_rank=12))
    assert found[0] == (1, -1, 1)
    (R, C, D), (r, c, d) = (1, 0, Fraction(-2, 2)), (found[0][0], found[0][1], Fraction(found[0][2], 2))
    slope = c * R - C * r
    centre = (d * R - D * r) / slope
    assert centre == Fraction(-3, 2)
    assert centre**2 - 2 * (C * d - c * D) / slope == Fraction(1, 4)


@pytest.mark.parametrize("v", [(1, 0, -2), (2, 3, 3), (2, 0, -4), (3, 0, -6)])
def test_irrational_beta_needs_max_rank(v):
    with pytest.raises(ValueError, match="max_rank") as raised:
        varnolt_walls.candidates(*v)
    assert "infinitely many" in str(raised.value)


@pytest.mark.parametrize("v, message", [
    ((1, 0, 1), IRRATIONAL),                   # Δ < 0: no real β₋
    ((0, 0, 5), IRRATIONAL),                   # rank 0, c = 0
    ((-1, 0, 2), IRRATIONAL),                  # negative rank, irrational β₋
    ((-2, 1, 4), "Internal logical error: Negative lower bound on r"),
])
def test_messages_of_the_search(v, message):
    with pytest.raises(RuntimeError) as raised:
        varnolt_walls.candidates(*v, max_rank=10)
    assert raised.value.args == (message,)
