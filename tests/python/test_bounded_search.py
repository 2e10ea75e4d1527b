"""Searches bounded by rank (max_rank): candidates and count against the brute-force model of
bounded_model over seeded v with rational and irrational β₋, the rational list cut at the bound,
and the outcomes a user relies on."""

import contextlib
import functools
import itertools
import os
import random
import re
import subprocess
import sys
from fractions import Fraction
from math import isqrt

import numpy as np
import pytest

import bounded_model
import varnolt_walls
from varnolt import pseudo_semistabilizers
from varnolt_walls import NoRealBetaError

# Under the sanitizer stage AddressSanitizer's allocator ends the process on a
# request it cannot meet, where the system's allocator makes it bad_alloc.
NEEDS_REAL_ALLOCATOR = pytest.mark.skipif("libasan" in os.environ.get("LD_PRELOAD", ""),
                                          reason="AddressSanitizer aborts on an impossible allocation")

IRRATIONAL = "β_ is not rational: ∞ walls"
INT64_MAX = 2**63 - 1
EDGE_C = isqrt(INT64_MAX)  # c² − 2 is the largest such d that fits: values near 2^63 throughout


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
        # Keeps the model's box (about √Δ + 7 values of c' per rank) small: a few seconds in all.
        if max_rank * (isqrt(abs(v[1] ** 2 - v[0] * v[2])) + 7) <= 1500:
            cases.append((*v, max_rank))
    return cases


IRRATIONAL_CASES = sample(0xB0_12, 12, rational=False) + [
    (1, 0, -2, 12), (2, 3, 3, 100), (2, 0, -4, 200), (3, 0, -6, 300),
    (1, 2**31, 2**62 - 2, 4), (1, EDGE_C, EDGE_C**2 - 2, 1),  # ch2 of the candidates near 2^63
]
RATIONAL_CASES = sample(0xB0_13, 10, rational=True)


def as_rows(array):
    assert isinstance(array, np.ndarray) and array.dtype == np.int64 and array.shape[1:] == (3,)
    return [tuple(int(x) for x in row) for row in array]


@functools.cache
def model(r, c, d, max_rank):
    """The model's candidates of v; of −v for the class of a shifted object (r < 0, or r = 0 and c < 0)."""
    if r < 0 or (r == 0 and c < 0):
        r, c, d = -r, -c, -d
    return bounded_model.bounded_candidates(r, c, d, max_rank)


def outcome(function, *args, **kwargs):
    try:
        result = function(*args, **kwargs)
    except Exception as error:
        return type(error), str(error)
    return "ok", as_rows(result) if isinstance(result, np.ndarray) else [tuple(u) for u in result]


@pytest.mark.parametrize("r, c, d, max_rank", IRRATIONAL_CASES + RATIONAL_CASES)
def test_candidates_and_count_match_the_model(r, c, d, max_rank):
    status, expected = model(r, c, d, max_rank)
    assert status == "ok"
    assert as_rows(varnolt_walls.candidates(r, c, d, max_rank=max_rank)) == expected
    assert varnolt_walls.count(r, c, d, max_rank=max_rank) == len(expected)


def test_the_irrational_cases_are_not_all_empty():
    """The comparisons above must see candidates, or they prove nothing."""
    assert sum(model(*case)[1] != [] for case in IRRATIONAL_CASES) >= 12


@pytest.mark.parametrize("r, c, d, max_rank", RATIONAL_CASES + [(r, c, d, 1) for r, c, d in
                                                                 [(3, 1, -5), (5, 3, 1), (0, 3, 4), (3, 1, -1)]])
def test_a_rational_bound_cuts_the_full_list(r, c, d, max_rank):
    """Below X² the full list without the ranks above the bound; at X² (all ranks) the full list."""
    if r == 0 and c < 0:  # a shifted class, whose search is that of −v
        c, d = -c, -d
    beta = bounded_model.real_beta(r, c, d).a
    x = c * beta.denominator - r * beta.numerator
    full = [tuple(u) for u in pseudo_semistabilizers(r, c, d)]
    top = max((u[0] for u in full), default=0)
    for bound in {max_rank, top - 1, top, x * x}:
        if bound >= 0:
            cut = [u for u in full if u[0] <= bound]
            assert as_rows(varnolt_walls.candidates(r, c, d, max_rank=bound)) == cut
    assert as_rows(varnolt_walls.candidates(r, c, d, max_rank=x * x)) == full


def test_a_point_in_the_plane_has_its_one_wall_first():
    """(1, −1, 1/2) comes first; its wall against v = (1, 0, −1) has centre −3/2 and ρ² = 1/4."""
    found = as_rows(varnolt_walls.candidates(1, 0, -2, max_rank=12))
    assert found[0] == (1, -1, 1)
    (big_r, big_c, big_d), (r, c, d) = (1, 0, Fraction(-2, 2)), (1, -1, Fraction(1, 2))
    slope = c * big_r - big_c * r
    centre = (d * big_r - big_d * r) / slope
    assert (centre, centre**2 - 2 * (big_c * d - c * big_d) / slope) == (Fraction(-3, 2), Fraction(1, 4))
    largest = varnolt_walls.walls(1, 0, -2, max_rank=12)[0]
    assert (largest.center, largest.radius_squared, largest.semistabilizers[0]) == (-1.5, 0.25, (1, -1, 1))


@pytest.mark.parametrize("function", [varnolt_walls.candidates, varnolt_walls.count, varnolt_walls.walls])
@pytest.mark.parametrize("v", [(1, 0, -2), (2, 3, 3), (2, 0, -4), (3, 0, -6)])
def test_an_irrational_beta_without_max_rank_says_to_pass_it(function, v):
    with pytest.raises(ValueError) as raised:
        function(*v)
    message = str(raised.value)
    assert all(part in message for part in ("is irrational", "accumulate at β₋", "max_rank=R", "above=(β, α)"))


@pytest.mark.parametrize("v, max_rank, error, message", [
    ((1, 0, -2), -1, ValueError, "max_rank must be >= 0, not -1"),
    ((2, 1, -4), -5, ValueError, "max_rank must be >= 0, not -5"),
    ((1, 0, 1), 10, NoRealBetaError, "the Bogomolov discriminant c₁² - 2·r·ch₂ of ch = (1, 0, 1/2) is -1"),  # Δ < 0
    ((0, 0, 5), 10, NoRealBetaError, "ch = (0, 0, 5/2) has r = c₁ = 0, so there is no β₋"),
    ((1, 0, 1), None, NoRealBetaError, "the Bogomolov discriminant"),  # not irrational: no bound helps
    ((1, 2**32, 1), 3, OverflowError, "the search of ch = (1, 4294967296, 1/2) on the ½ℤ"),  # Δ beyond 64 bits
    ((1, EDGE_C, EDGE_C**2 - 2), 2, OverflowError, f"the search of ch = (1, {EDGE_C}, {Fraction(EDGE_C**2 - 2, 2)})"),
])
def test_outcomes_that_are_not_lists(v, max_rank, error, message):
    for function in (varnolt_walls.candidates, varnolt_walls.count):
        with pytest.raises(error) as raised:
            function(*v, max_rank=max_rank)
        assert str(raised.value).startswith(message) and "max_rank=R" not in str(raised.value)


def test_the_overflow_above_hides_a_candidate_beyond_64_bits():
    """Raising there is right: the model's list holds a ch2 that no int64 can carry."""
    status, rows = model(1, EDGE_C, EDGE_C**2 - 2, 2)
    assert status == "ok" and max(u[2] for u in rows) > INT64_MAX


@pytest.mark.parametrize("v", [(-1, 0, 2), (-2, 1, 4), (-1, 0, 4), (-1, 1, 3), (-3, -5, 8), (-2, -7, 1),
                               (-2, -3, -3), (-1, 9, -16), (0, -1, 3), (0, -2, -3), (0, -3, 7)])
@pytest.mark.parametrize("max_rank", [0, 3, 40])
def test_a_shifted_class_has_the_walls_of_its_negative(v, max_rank):
    """Z(E[1]) = −Z(E): the candidates of v (r < 0, or r = 0 and c < 0) on each side are the model's of −v,
    the right ones (r ≠ 0) the mirrored left ones of its dual (r, c, −d) as (−r', c', −d')."""
    r, c, d = v
    assert outcome(varnolt_walls.candidates, *v, max_rank=max_rank) == model(*v, max_rank)
    if r:
        status, rows = model(-r, c, -d, max_rank)
        assert outcome(varnolt_walls.candidates, *v, max_rank=max_rank, side="right") == (
            status, [(-u[0], u[1], -u[2]) for u in rows])


# Children under a 1.5 GB address-space limit: a search whose result would pass it stops early
# with a MemoryError that gives its figures (the search's memory follows what it finds, not
# max_rank, so the bounded search gets there only through its candidates).
MEMORY_REFUSALS = [
    [sys.executable, "-c", "import varnolt_walls; varnolt_walls.walls(1, 0, -160000)"],
    [sys.executable, "-c", "import varnolt_walls; varnolt_walls.candidates(1, 0, -160000, max_rank=10**9)"],
    [sys.executable, "-m", "varnolt_walls", "1", "0", "-160000"],
]


@NEEDS_REAL_ALLOCATOR
@pytest.mark.parametrize("command", MEMORY_REFUSALS)
def test_a_result_beyond_memory_is_refused_with_its_figures(command):
    child = subprocess.run(["bash", "-c", 'ulimit -v 1500000 && exec "$@"', "child", *command],
                           capture_output=True, text=True, timeout=600)
    last = child.stderr.strip().splitlines()[-1]
    assert child.returncode == 1 and last.startswith(("MemoryError: ", "varnolt-walls: error: "))
    assert re.search(r"after finding \d+ candidates: .* needs \d+ bytes .* only \d+ more bytes$", last)


@pytest.mark.parametrize("max_rank", [None, 5])
def test_no_small_search_ends_in_a_runtime_error(max_rank):
    """Every v of small entries and any rank: a count or a documented refusal, never an internal error."""
    for v in itertools.product(range(-4, 5), range(-8, 9), range(-20, 21)):
        with contextlib.suppress(NoRealBetaError, varnolt_walls.IrrationalBetaError):
            varnolt_walls.count(*v, max_rank=max_rank)
