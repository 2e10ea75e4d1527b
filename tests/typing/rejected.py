"""Calls that type checkers must reject, each on a line whose comment starts
with "error:" (and nowhere else): the stubs must not be looser than the
module. Never run."""

import numpy as np

import varnolt
import varnolt_walls as vw

varnolt.bogomolov_form(np.float64(3.0), 2, -1)  # error: a float has no integer value
varnolt.bogomolov_form(3, "2", -1)  # error: nor has a str
varnolt.sum_as_string(1.5, 2)  # error: float for an unsigned integer
varnolt.pseudo_semistabilizers(2, 1)  # error: d missing
varnolt.pseudo_semistabilizers(2, 1, -4, 0)  # error: one argument too many
varnolt.bogomolov_form(r=3, c=2, e=-1)  # error: no parameter e
text: str = varnolt.bogomolov_form(3, 2, -1)  # error: the result is an int
total: int = varnolt.sum_as_string(1, 2)  # error: the result is a str
rank: str = varnolt.pseudo_semistabilizers(2, 1, -4)[0][0]  # error: tuple items are ints
varnolt.PanicException  # error: not an attribute of the module
vw.walls(vw.ch(1, 0, -2), 0, -4)  # error: a class takes no c, d beside it
vw.candidates(1, 0)  # error: d missing
vw.ch(1, 0, 0.5)  # error: ch2 must be exact
