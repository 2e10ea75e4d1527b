"""The native grouping of walls against the Python model (walls_model.py): the same walls, in the
same order, through the sequence, its slices and its table."""

import random
from fractions import Fraction

import pandas
import pytest

import varnolt_walls
from varnolt_walls import Wall
from varnolt_walls._walls import group_walls
from walls_model import model_walls

rng = random.Random(19)
SEARCHES = [((1, 0, -16), None), ((1, 0, -400), None), ((0, 5, 3), None), ((5, 3, 1), None),
            ((1, 2**31, 2**62 - 4), None),  # v twisted near the 64-bit edge
            ((1, 0, -2), 1000), ((3, 2, -1), 200), ((1, 0, -1), None)] + [
    ((rng.randint(0, 6), rng.randint(-9, 9), rng.randint(-60, -1)), 40) for _ in range(40)]


def edge_rows(v, magnitude, count):
    """Rows of small rank and ch1, ch2 of about `magnitude`, with repeats and u + v (same wall)."""
    rows = [(rng.randint(1, 5), rng.choice([-1, 1]) * (magnitude - rng.randrange(2**20)),
             rng.choice([-1, 1]) * (magnitude - rng.randrange(2**20))) for _ in range(count)]
    return rows + rows[:3] + [(r + v[0], c + v[1], d + v[2]) for r, c, d in rows[3:6]]


GROUPINGS = [  # v, rows, whether the 128-bit terms hold them
    ((1, 0, -2), edge_rows((1, 0, -2), 2**61, 200), True),  # products past 2^124: checked 128-bit steps
    ((2, -3, 7), edge_rows((2, -3, 7), 2**40, 200), True),
    ((1, 0, -2), edge_rows((1, 0, -2), 2**63 - 2**21, 50), False),  # a² beyond 2^127: Python integers
]


def as_tuples(found):
    return [(w.center, w.radius_squared, w.semistabilizers) for w in found]


def assert_equal_to_model(found, expected):
    assert len(found) == len(expected)
    assert as_tuples(found) == expected
    assert found == [Wall(*w) for w in expected] and found[1:4] == [Wall(*w) for w in expected[1:4]]
    table = found.to_pandas()
    assert list(zip(table["center"], table["radius_squared"], table["semistabilizers"])) == expected
    assert [(float(x), float(y)) for x, y, _ in expected] == list(
        zip(table["center_float"], table["radius_squared_float"]))


@pytest.mark.parametrize("v, max_rank", SEARCHES)
def test_walls_of_a_search_equal_the_python_grouping_of_its_candidates(v, max_rank):
    expected = model_walls(v, varnolt_walls.candidates(*v, max_rank=max_rank).tolist())
    assert_equal_to_model(varnolt_walls.walls(*v, max_rank=max_rank), expected)


@pytest.mark.parametrize("v, rows, native", GROUPINGS)
def test_walls_of_rows_near_the_64_bit_edge_equal_the_python_grouping(v, rows, native):
    found = group_walls(v, rows)
    assert (found._wide is None) == native
    assert_equal_to_model(found, model_walls(v, rows))


def test_walls_pickle_and_compare_as_a_list():
    import pickle
    found = varnolt_walls.walls(1, 0, -16)
    assert pickle.loads(pickle.dumps(found)) == found == list(found) != list(found)[1:]
    assert found[-1] == list(found)[-1] and found[::5] == list(found)[::5]
    assert repr(found) == repr(list(found)) and isinstance(found[0].center, Fraction)
    with pytest.raises(IndexError):
        found[16]
