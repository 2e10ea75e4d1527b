"""Arguments turned into Python ints once, at the entry points, with their names in every message.

Any integer type (bool, NumPy's int64 or uint64, an object with ``__index__``)
becomes the Python int of the same value first, so that every later step is
exact and every message shows the value as an int ("β₋ of (1, 1, -16)",
never "(1, True, -16)" or a NumPy wrap-around).
"""

from __future__ import annotations

import operator
from typing import SupportsIndex

Row = tuple[int, int, int]

INT64 = (-(2**63), 2**63 - 1)
LONGEST_SHOWN = 60  # characters of an input shown in a message


def shown(text: str) -> str:
    """`text` as a message quotes it: cut to its first and last characters when long."""
    if len(text) <= LONGEST_SHOWN:
        return text
    half = LONGEST_SHOWN // 2
    return f"{text[:half]}…{text[-half:]} ({len(text)} characters)"


def integer(name: str, value: SupportsIndex) -> int:
    """`value` as a Python int; a TypeError naming the argument when it has no integer value."""
    try:
        return operator.index(value)
    except TypeError:
        raise TypeError(f"argument '{name}': '{type(value).__name__}' object cannot be interpreted as an integer"
                        ) from None


def int64(name: str, value: SupportsIndex) -> int:
    """`value` as a Python int in the signed 64-bit range; an OverflowError naming the argument outside it."""
    number = integer(name, value)
    if not INT64[0] <= number <= INT64[1]:
        # str() of a long int is slow (and refused beyond 4300 digits): its size says enough.
        text = shown(str(number)) if number.bit_length() <= 4096 else f"an integer of {number.bit_length()} bits"
        raise OverflowError(f"argument '{name}': {text} is outside the signed 64-bit range")
    return number


def discriminant(r: int, c: int, d: int) -> int:
    """The Bogomolov discriminant Δ = c² − r·d of v = (r, c, d/2) (half the Bogomolov form)."""
    return c * c - r * d


def chern_character(r: SupportsIndex, c: SupportsIndex, d: SupportsIndex) -> Row:
    """(r, c, d) as Python ints, each in the signed 64-bit range the search works in."""
    return int64("r", r), int64("c", c), int64("d", d)


def checked_max_rank(max_rank: SupportsIndex | None) -> int | None:
    """The one check of a `max_rank` argument: None, or an int from 0 to 2^63 − 1."""
    if max_rank is None:
        return None
    bound = int64("max_rank", max_rank)
    if bound < 0:
        raise ValueError(f"max_rank must be >= 0, not {bound}")
    return bound
