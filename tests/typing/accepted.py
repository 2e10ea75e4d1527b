"""Calls that type checkers must accept: every parameter takes any object with
an integer value (SupportsIndex), NumPy integers included, and the results keep
their precise types. The typing checks also run this file, so the module must
accept at run time what the stubs accept."""

from fractions import Fraction
from typing import assert_type

import numpy as np

import varnolt
import varnolt_walls as vw


class Rank:
    def __index__(self) -> int:
        return 2


assert_type(varnolt.sum_as_string(np.uint32(4294967295), 1), str)
assert_type(varnolt.bogomolov_form(np.int64(3), True, d=np.int8(-1)), int)
stabilizers = varnolt.pseudo_semistabilizers(Rank(), np.int32(1), d=np.int16(-4))
assert_type(stabilizers, list[tuple[int, int, int]])
assert stabilizers == [(1, 0, 0), (2, 0, -1), (2, 0, 0), (3, -1, 0)]
assert varnolt.__all__ == ["sum_as_string", "bogomolov_form", "pseudo_semistabilizers"]

# The companion's functions take a class in place of (r, c, d).
two_points = vw.ch(1, 0, "-2", surface="P2")
assert_type(vw.walls(two_points, max_rank=5), vw.Walls)
assert vw.count(two_points) == vw.count(1, 0, -4, surface="P2") == len(vw.candidates(two_points))
assert_type(vw.numerical_wall(two_points, vw.line_bundle(-1, surface="P2")), tuple[Fraction, Fraction])
