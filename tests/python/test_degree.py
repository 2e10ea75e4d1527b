"""Surfaces of any degree ℓ² = n: the candidates, count and walls equal an exact model that
enumerates the lattice d ∈ c² + (2/n)ℤ itself (degree_model.py); P² and ℓ² = 2 give today's
answers; a v off the lattice is refused with its c₂."""

import random
from fractions import Fraction

import pytest

import varnolt_walls as vw
from bounded_model import bounded_candidates
from degree_model import beta_minus, candidates, wall, walls
from varnolt_walls import Surface


def seeded_table():
    """(n, v): two v per degree 1 … 8 with a rational β₋ and at most 7 values of q."""
    rng, table = random.Random(28), []
    for n in range(1, 9):
        found = 0
        while found < 2:
            r, c, j = rng.randint(0, 2), rng.randint(-3, 3), rng.randint(-14, -1)
            d = c * c + Fraction(2 * j, n)
            if (r, c) == (0, 0) or c * c - r * d < 0 or (beta := beta_minus(r, c, d)) is None:
                continue
            if 2 <= (c - r * beta) * beta.denominator <= 7:
                table.append((n, (r, c, d)))
                found += 1
    return table


@pytest.mark.parametrize(("n", "v"), seeded_table())
def test_candidates_walls_and_walls_over_a_point_are_the_models(n, v):
    surface, expected = Surface(degree=n), candidates(v, n)
    rows = [(r, c, Fraction(d, surface.d_scale)) for r, c, d in vw.candidates(*v, surface=surface).tolist()]
    assert rows == expected and vw.count(*v, surface=surface) == len(expected)
    found = {(w.center, w.radius_squared): set(w.semistabilizers) for w in vw.walls(*v, surface=surface)}
    assert found == walls(v, n)
    if found:
        center, radius_squared = max(found, key=lambda key: key[1])  # under the largest wall, near its top
        point = (center, Fraction(1, 10))
        over = {u for u in expected if (center - wall(v, u)[0]) ** 2 + point[1] ** 2 <= wall(v, u)[1]}
        assert {u for w in vw.walls(*v, surface=surface, above=point) for u in w.semistabilizers} == over


# The same answers as the module's lattice (degree 2) and P2 (degree 1), for rational and irrational β₋.
SAME = [((1, 0, -16), None), ((2, 1, -12), None), ((2, 1, -4), None), ((1, 0, -2), 9), ((3, 2, -1), 7), ((0, 2, 5), None)]


@pytest.mark.parametrize(("v", "max_rank"), SAME)
def test_degrees_one_and_two_are_p2_and_the_module_lattice(v, max_rank):
    for old, degree in (("P2", 1), (None, 2)):
        if old == "P2" and (v[2] - v[1]) % 2:
            continue
        for side in ("left", "right"):
            now = vw.candidates(*v, max_rank=max_rank, surface=Surface(degree=degree), side=side)
            assert now.tolist() == vw.candidates(*v, max_rank=max_rank, surface=old, side=side).tolist()
            assert vw.walls(*v, max_rank=max_rank, surface=Surface(degree=degree), side=side) == \
                vw.walls(*v, max_rank=max_rank, surface=old, side=side)


# An irrational β₋ with a rank bound: the ½ℤ lattice's bounded list of v' = (r, λc, λ²d), on the
# sublattice of the surface and mapped back (the scaling keeps every condition of the search).
@pytest.mark.parametrize(("n", "v", "max_rank"), [(4, (1, 0, Fraction(-3, 2)), 12), (3, (2, 1, Fraction(-5, 3)), 9),
                                                  (5, (1, 1, Fraction(-1, 5)), 10)])
def test_irrational_beta_with_a_rank_bound_is_the_scaled_bounded_list(n, v, max_rank):
    scale, (r, c, d) = Surface(degree=n).scale, v
    status, scaled = bounded_candidates(r, c * scale, int(d * scale * scale), max_rank)
    expected = [(u, w // scale, Fraction(x, scale * scale)) for u, w, x in scaled
                if w % scale == 0 and (n * (Fraction(w, scale) ** 2 - Fraction(x, scale * scale)) / 2).denominator == 1]
    s = Surface(degree=n).d_scale
    rows = [(r1, c1, Fraction(d1, s)) for r1, c1, d1 in vw.candidates(*v, surface=Surface(degree=n), max_rank=max_rank).tolist()]
    assert status == "ok" and rows == expected


@pytest.mark.parametrize(("n", "v", "c2"), [(4, (1, 0, "-1/3"), "2/3"), (4, (1, 1, Fraction(1, 4)), "3/2"),
                                            (3, (1, 0, -1), "3/2"), (1, (1, 0, -1), "1/2"), (6, (2, 1, "1/2"), "3/2")])
def test_off_lattice_is_refused_with_its_c2(n, v, c2):
    for function in (vw.count, vw.candidates, vw.walls):
        with pytest.raises(ValueError, match=rf"c[2₂] = .* = {c2} is not an integer"):
            function(*v, surface=Surface(degree=n))


# An irrational β₋ over a point: the walls of a far search (rank 200, beyond the bound the point proves)
# that pass over it.
@pytest.mark.parametrize(("n", "v", "point"), [(4, (1, 0, "-3/2"), ("-5/4", "1/20")), (3, (2, 1, "-5/3"), ("-1/2", "1/10")),
                                               (6, (1, 0, "-1/3"), ("-7/12", "1/20"))])
def test_walls_over_a_point_are_the_far_walls_that_pass_over_it(n, v, point):
    beta, alpha = map(Fraction, point)
    far = [w for w in vw.walls(*v, surface=Surface(degree=n), max_rank=200)
           if (beta - w.center) ** 2 + alpha**2 <= w.radius_squared]
    assert vw.walls(*v, surface=Surface(degree=n), above=point) == far and far
