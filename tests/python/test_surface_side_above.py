"""The options surface="P2", side and above, against the plain search: P² is the generic list
filtered by parity, right walls are the mirrored left walls of the dual, and `above` is a search
far beyond its proven rank bound, filtered by the point with the walls' own Fractions."""

import random
from fractions import Fraction
from math import isqrt

import numpy as np
import pytest

import varnolt
import varnolt_walls as vw
from varnolt_walls.search._walls import group_walls, numerical_wall


def irrational(r, c, d):
    return r > 0 and c * c - r * d > 0 and isqrt(c * c - r * d) ** 2 != c * c - r * d


def seeded_table():
    """(v, max_rank) for ranks 0-4 with a real β₋: rational (no bound) and irrational (bound 9)."""
    rng, table = random.Random(18), []
    while len(table) < 40:
        r, c, d = rng.randint(0, 4), rng.randint(-7, 7), rng.randint(-40, 12)
        if c * c - r * d >= 0 and (r, c) != (0, 0):
            table.append(((r, c, d), 9 if irrational(r, c, d) else None))
    return table


TABLE = seeded_table()


def rows(array):
    return [tuple(u) for u in array.tolist()]


@pytest.mark.parametrize(("v", "max_rank"), TABLE)
def test_p2_is_the_generic_search_filtered_by_parity_and_right_is_the_mirrored_dual(v, max_rank):
    r, c, d = v
    generic = rows(vw.candidates(*v, max_rank=max_rank))
    if (d - c) % 2 == 0:
        on_p2 = [u for u in generic if (u[2] - u[1]) % 2 == 0]
        assert rows(vw.candidates(*v, max_rank=max_rank, surface="P2")) == on_p2
        assert vw.count(*v, max_rank=max_rank, surface="P2") == len(on_p2)
        assert vw.walls(*v, max_rank=max_rank, surface="P2") == group_walls(v, on_p2)
    else:
        with pytest.raises(ValueError, match="not a Chern character on P2: c₂ = .* is not an integer"):
            vw.count(*v, max_rank=max_rank, surface="P2")
    right = vw.walls(*v, max_rank=max_rank, side="right")
    if r == 0:  # one concentric family: both sides are it
        assert right == vw.walls(*v, max_rank=max_rank)
        return
    mirrored = [vw.Wall(-w.center, w.radius_squared, tuple((-u[0], u[1], -u[2]) for u in w.semistabilizers))
                for w in vw.walls(r, -c, d, max_rank=max_rank)]
    assert right == sorted(mirrored, key=lambda w: (-w.radius_squared, w.center))
    assert vw.count(*v, max_rank=max_rank, side="right") == sum(len(w.semistabilizers) for w in right)


def test_the_right_wall_of_two_points_and_the_eight_points_on_p2():
    assert vw.walls(1, 0, -4, side="right") == [vw.Wall(Fraction(5, 2), Fraction(9, 4), ((-1, -1, -1),))]
    found = vw.walls(1, 0, -16, surface="P2")
    assert [str(w.center) for w in found] == ["-17/2", "-15/2", "-13/2", "-11/2", "-5", "-9/2", "-25/6", "-41/10"]
    assert (found[-1].radius_squared, found[-1].semistabilizers) == (Fraction(81, 100), ((2, -5, 9),))


def seeded_points():
    """50 (v, point) with irrational β₋, the point left of the vertical wall (anywhere for rank 0)."""
    rng, pairs = random.Random(1818), []
    while len(pairs) < 50:
        r, c, d = rng.randint(1, 4), rng.randint(-6, 6), rng.randint(-40, 6)
        if not irrational(r, c, d):
            continue
        beta = Fraction(rng.randint(8 * (c // r) - 48, 8 * (c // r) - 1), 8) if rng.random() < 0.9 else Fraction(c - 1, r)
        pairs.append(((r, c, d), (beta, Fraction(rng.randint(1, 32), rng.choice([4, 8, 16])))))
    return pairs


def search_reach(v, point):
    """A rank far beyond every candidate whose wall passes over the point, from the heights of
    the walls at β₋ in floats: the wall through the point (its centre x solves
    (β0 − x)² + α0² = (x − C/R)² − Δ/R²) is a0 high there, a candidate's wall at most
    S/√(2r·(r − R)) (S = √Δ), and walls over the point are at least as high as a0."""
    (big_r, big_c, big_d), (beta, alpha) = v, (float(point[0]), float(point[1]))
    delta = big_c * big_c - big_r * big_d
    x0 = (big_d / big_r - beta**2 - alpha**2) / (2 * (big_c / big_r - beta))
    beta_minus = (big_c - delta**0.5) / big_r
    a0_squared = (x0 - big_c / big_r) ** 2 - delta / big_r**2 - (beta_minus - x0) ** 2
    return 4 * int(big_r + (delta / a0_squared) ** 0.5) + 20


def passes_over(v, u, point):
    center, radius_squared = numerical_wall(v, u)
    return (point[0] - center) ** 2 + point[1] ** 2 <= radius_squared


@pytest.mark.parametrize(("v", "point"), seeded_points())
def test_above_is_the_search_far_beyond_its_bound_filtered_by_the_point(v, point):
    far = [u for u in rows(vw.candidates(*v, max_rank=search_reach(v, point))) if passes_over(v, u, point)]
    assert rows(vw.candidates(*v, above=point)) == far
    assert vw.count(*v, above=point) == len(far)
    walls = vw.walls(*v, above=point)
    assert sum(len(w.semistabilizers) for w in walls) == len(far)


@pytest.mark.parametrize(("above", "expected"), [
    (("-5", "1"), 17), ((-5.0, 1.0), 17), ((Fraction(-5), 1), 17),
    (("-21/2", "19/2"), 1),   # exactly on the largest wall, of centre -21/2 and radius 19/2: included
    ((-10.5, 9.500000000000002), 0),  # a float just above it, at its exact binary value
])
def test_above_takes_exact_coordinates_and_keeps_the_wall_through_the_point(above, expected):
    assert len(vw.walls(1, 0, -20, above=above)) == expected


@pytest.mark.parametrize(("call", "error", "match"), [
    (lambda: vw.walls(1, 0, -20, above=(-5, 0)), ValueError, "alpha must be > 0"),
    (lambda: vw.walls(1, 0, -20, above=(1, 1)), ValueError, "right of the vertical wall β = 0 .*the right walls are on that side"),
    (lambda: vw.walls(1, 0, -20, side="right", above=(0, 1)), ValueError, "on the vertical wall β = 0"),
    (lambda: vw.walls(1, 0, -20, above=("x", 1)), ValueError, "beta is not a finite number"),
    (lambda: vw.walls(1, 0, -20, above=(float("nan"), 1)), ValueError, "beta is not a finite number"),
    (lambda: vw.walls(1, 0, -20, above=(None, 1)), TypeError, "beta must be an int"),
    (lambda: vw.walls(1, 0, -20, above=1), TypeError, "above must be a pair"),
    (lambda: vw.walls(1, 0, -16, side="up"), ValueError, "side must be 'left', 'right' or 'both'"),
    (lambda: vw.count(1, 0, -16, surface="P3"), ValueError, "surface must be None, 'P2' or a Surface"),
    (lambda: vw.count(3, 2, 3, above=(0, 1)), vw.NoRealBetaError, "no β₋ and no wall"),  # no real β₋
    (lambda: vw.count(3, 2, -1, side="right"), vw.IrrationalBetaError, r"β₋ of ch = \(3, 2, -1/2\) is irrational"),
    (lambda: vw.count(-1, 9, -16), vw.IrrationalBetaError, r"β₋ of ch = \(-1, 9, -8\) is irrational"),
    (lambda: vw.count(1, 0, -2, above=(-1.4142135623730951, 5e-324)), OverflowError,
     r"rank up to 1.03e\+16, more than the 10\^11 ranks .*; pass max_rank or a point farther from β₋"),
    (lambda: vw.count(1, 0, -20, above=("-1e100000000", 1)), ValueError, "beta is too large a text"),
    (lambda: vw.count(1, 0, -20, above=(1, 10**20000)), ValueError, "alpha has more than 10000 digits"),
])
def test_option_errors_say_why(call, error, match):
    with pytest.raises(error, match=match):
        call()


@pytest.mark.parametrize(("v", "message"), [
    ((1, 0, 2), "β_ is not real: no walls"),  # Δ < 0
    ((0, 0, 0), "β_ is not real: no walls"),  # r = c = 0
    ((3, 2, -1), "β_ is not rational: ∞ walls"),
])
def test_varnolt_says_whether_beta_is_not_real_or_not_rational(v, message):
    with pytest.raises(RuntimeError) as raised:
        varnolt.pseudo_semistabilizers(*v)
    assert str(raised.value) == message


def test_surface_takes_any_case_and_a_bound_within_max_rank_is_searched():
    assert vw.count(1, 0, -16, surface="p2") == vw.count(1, 0, -16, surface="P2") == 10
    assert vw.count(1, 0, -2, max_rank=12, above=(-1.4142135623730951, 5e-324)) <= 4


def test_right_walls_over_a_point_are_the_mirrored_left_ones_and_the_array_is_int64():
    right = vw.candidates(1, 0, -20, side="right", above=(5, 1))
    assert right.dtype == np.int64
    assert rows(right) == [(-u[0], u[1], -u[2]) for u in rows(vw.candidates(1, 0, -20, above=(-5, 1)))]


@pytest.mark.parametrize("what", ["count", "walls", "candidates"])
def test_a_sweep_gives_each_v_its_one_by_one_result_with_the_options(what):
    vs = [(1, 0, -16), (1, 0, -20), (2, 1, -3), (0, 3, 5), (1, 1, -12)]  # the last is off P2
    options = {"surface": "P2", "side": "right", "above": ("7/2", 0.5)}
    search = {"count": vw.count, "walls": vw.walls, "candidates": vw.candidates}[what]
    for v, result in vw.sweep(vs, what, **options, jobs=2, progress=False):
        try:
            expected = search(*v, **options)
        except ValueError as error:
            assert isinstance(result, ValueError) and str(result) == str(error)
            continue
        assert rows(result) == rows(expected) if what == "candidates" else result == expected


def test_a_point_whose_bound_leaves_64_bits_says_so():
    with pytest.raises(OverflowError, match=r"rank up to 1.41e\+300, beyond the signed 64-bit range"):
        vw.count(1, 0, -4, above=(-2, 1e-300))  # just over β₋ = -2: walls of every size down to it
