"""The native walls against an independent model: each wall found from ν_{β,α}(u) = ν_{β,α}(v) in
Fractions, as the circle through three evaluations of that equation (not the a/e/n terms the
native code uses); the same walls in the same order, through the sequence, its slices and its
table, and numerical_wall for single pairs."""

import random
from fractions import Fraction

import pytest

import varnolt_walls
from varnolt_walls import Wall
from varnolt_walls.search._walls import group_walls

rng = random.Random(19)
SEARCHES = [((1, 0, -16), None), ((1, 0, -400), None), ((0, 5, 3), None), ((5, 3, 1), None),
            ((1, 2**31, 2**62 - 4), None),  # v twisted near the 64-bit edge
            ((1, 0, -2), 1000), ((3, 2, -1), 200), ((1, 0, -1), None)] + [
    ((rng.randint(0, 6), rng.randint(-9, 9), rng.randint(-60, -1)), 40) for _ in range(40)]
INT64_MAX = 2**63 - 1


def model_wall(v, u):
    """(center, radius²) of {ν(u) = ν(v)}, or None when it is no circle.

    With ch1^β = c − β·r and ch2^β = d/2 − β·c + β²·r/2, the equation
    (ch2^β(u) − t·r/2)·ch1^β(v) = (ch2^β(v) − t·R/2)·ch1^β(u), t = α², reads
    A·(β² + t) + B·β + K = 0: A, B, K from its values at (β, t) = (0, 0), (0, 1), (1, 0).
    """
    def nu_difference(beta, t):
        def twisted(w):
            r, c, d = w
            return Fraction(d, 2) - beta * c + beta * beta * r / 2 - t * r / 2, c - beta * r
        (ch2_u, ch1_u), (ch2_v, ch1_v) = twisted(u), twisted(v)
        return ch2_u * ch1_v - ch2_v * ch1_u

    zero, one, two = Fraction(0), Fraction(1), Fraction(2)
    k = nu_difference(zero, zero)
    a = nu_difference(zero, one) - k
    b = nu_difference(one, zero) - a - k
    assert nu_difference(two, zero) == 4 * a + 2 * b + k  # no β³ term: a circle or a line
    if a == 0:
        return None
    center = -b / (2 * a)
    return center, center * center - k / a


def model_walls(v, rows):
    found = {}
    for u in map(tuple, rows):
        found.setdefault(model_wall(v, u), []).append(u)
    return sorted(((center, radius_squared, tuple(us)) for (center, radius_squared), us in found.items()),
                  key=lambda w: (-w[1], w[0]))


def edge_rows(v, magnitude, count):
    """Rows of small rank and ch1, ch2 of about `magnitude`, with repeats and u + v (same wall)."""
    rows = [(rng.randint(1, 5), rng.choice([-1, 1]) * (magnitude - rng.randrange(2**20)),
             rng.choice([-1, 1]) * (magnitude - rng.randrange(2**20))) for _ in range(count)]
    return rows + rows[:3] + [(r + v[0], c + v[1], d + v[2]) for r, c, d in rows[3:6]]


def extreme_rows(count):
    """Rows of int64 values at the ends of the range, where a and e need 129 bits."""
    ends = [INT64_MAX, INT64_MAX - 1, -INT64_MAX - 1, -INT64_MAX, 2**62]
    return [tuple(rng.choice(ends) for _ in range(3)) for _ in range(count)]


GROUPINGS = [  # v, rows
    ((1, 0, -2), edge_rows((1, 0, -2), 2**61, 200)),  # products past 2^124: checked 128-bit steps
    ((2, -3, 7), edge_rows((2, -3, 7), 2**40, 200)),
    ((1, 0, -2), edge_rows((1, 0, -2), 2**63 - 2**21, 50)),  # a² beyond 2^127: wider integers
    ((INT64_MAX, -INT64_MAX - 1, INT64_MAX), [u for u in extreme_rows(60)
                                              if model_wall((INT64_MAX, -INT64_MAX - 1, INT64_MAX), u)]),
    ((3, 1, -5), edge_rows((3, 1, -5), 2**62, 30) + [(1, -1, 1), (2, -1, 0)]),  # wide and narrow together
]


def as_tuples(found):
    return [(w.center, w.radius_squared, w.semistabilizers) for w in found]


def assert_equal_to_model(found, expected):
    assert as_tuples(found) == expected
    assert found == [Wall(*w) for w in expected] and found[1:4] == [Wall(*w) for w in expected[1:4]]
    table = found.to_pandas()
    assert list(zip(table["center"], table["radius_squared"], table["semistabilizers"])) == expected
    assert [(float(x), float(y)) for x, y, _ in expected] == list(
        zip(table["center_float"], table["radius_squared_float"]))


@pytest.mark.parametrize("v, max_rank", SEARCHES)
def test_walls_of_a_search_equal_the_model_grouping_of_its_candidates(v, max_rank):
    expected = model_walls(v, varnolt_walls.candidates(*v, max_rank=max_rank).tolist())
    assert_equal_to_model(varnolt_walls.walls(*v, max_rank=max_rank), expected)


@pytest.mark.parametrize("v, rows", GROUPINGS)
def test_walls_of_rows_near_the_64_bit_edge_equal_the_model_grouping(v, rows):
    assert_equal_to_model(group_walls(v, rows), model_walls(v, rows))
    for u in rows[:20]:
        assert varnolt_walls.numerical_wall(v, u) == model_wall(v, u)


@pytest.mark.parametrize("v, u", [
    ((1, 0, -16), (1, 0, -16)),  # u = v
    ((2, -4, 6), (-1, 2, 40)),  # u on the line of v: R·c − r·C = 0 whatever the ch2
    ((0, 0, 5), (3, 1, 1)),  # v = 0 in rank and ch1
    ((INT64_MAX, -INT64_MAX - 1, 1), (INT64_MAX, -INT64_MAX - 1, -7)),
])
def test_a_class_on_the_line_of_v_gives_no_wall(v, u):
    assert model_wall(v, u) is None
    with pytest.raises(ValueError, match="give no wall"):
        varnolt_walls.numerical_wall(v, u)


def test_walls_pickle_and_compare_as_a_list():
    import pickle
    found = varnolt_walls.walls(1, 0, -16)
    assert pickle.loads(pickle.dumps(found)) == found == list(found) != list(found)[1:]
    assert found[-1] == list(found)[-1] and found[::5] == list(found)[::5]
    assert repr(found) == repr(list(found)) and isinstance(found[0].center, Fraction)
    with pytest.raises(IndexError):
        found[16]
