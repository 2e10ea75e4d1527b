"""Calls that type checkers must accept: every parameter takes any object with
an integer value (SupportsIndex), NumPy integers included, and the results keep
their precise types. The typing checks also run this file, so the module must
accept at run time what the stubs accept."""

from typing import assert_type

import numpy as np

import varnolt


class Rank:
    def __index__(self) -> int:
        return 2


assert_type(varnolt.sum_as_string(np.uint32(4294967295), 1), str)
assert_type(varnolt.bogomolov_form(np.int64(3), True, d=np.int8(-1)), int)
stabilizers = varnolt.pseudo_semistabilizers(Rank(), np.int32(1), d=np.int16(-4))
assert_type(stabilizers, list[tuple[int, int, int]])
assert stabilizers == [(1, 0, 0), (2, 0, -1), (2, 0, 0), (3, -1, 0)]
assert varnolt.__all__ == ["sum_as_string", "bogomolov_form", "pseudo_semistabilizers"]
