"""Arguments turned into Python ints once, at the entry points, with their names in every message.

Any integer type (bool, NumPy's int64 or uint64, an object with ``__index__``)
becomes the Python int of the same value first, so that every later step is
exact and every message shows the value as an int ("β₋ of (1, 1, -16)",
never "(1, True, -16)" or a NumPy wrap-around).
"""

from __future__ import annotations

import operator
import re
from fractions import Fraction
from typing import SupportsIndex

Row = tuple[int, int, int]
# v on a surface of any degree: d = 2·ch2/ℓ² exact, an int when it is one.
ExactRow = tuple[int, int, int | Fraction]
# What the public functions take as d: any integer, or on a Surface a Fraction or a text "p/q".
ExactD = SupportsIndex | Fraction | str

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


def discriminant(r: int, c: int, d: int | Fraction) -> int | Fraction:
    """The Bogomolov discriminant Δ = c² − r·d of v = (r, c, d/2) (half the Bogomolov form)."""
    return c * c - r * d


def chern_character(r: SupportsIndex, c: SupportsIndex, d: SupportsIndex) -> Row:
    """(r, c, d) as Python ints, each in the signed 64-bit range the search works in."""
    return int64("r", r), int64("c", c), int64("d", d)


# An exact rational as text: "p" or "p/q", q > 0.
RATIO = re.compile(r"[+-]?\d+(/0*[1-9]\d*)?")


def exact_d(d: object) -> int | Fraction:
    """d as an int, or as a Fraction in lowest terms when it is not an integer: from an int, a Fraction or a
    text "p/q"; numerator and denominator in the signed 64-bit range the search works in."""
    if isinstance(d, str):
        text = d.strip()
        if not RATIO.fullmatch(text):
            raise ValueError(f"argument 'd' is not an integer or a text 'p/q': {shown(d)!r}")
        d = Fraction(text)
    if isinstance(d, Fraction):
        if d.denominator == 1:
            return int64("d", d.numerator)
        int64("d", d.numerator), int64("d", d.denominator)
        return d
    if isinstance(d, float):
        raise TypeError("argument 'd' must be an int, a Fraction or a text 'p/q', not float (d must be exact)")
    return int64("d", d)  # type: ignore[arg-type]


def lattice_row(v: ExactRow, scale: int) -> Row:
    """v in the search's coordinates (r, λ·c, λ²·d) for λ = scale (an integer for v on the lattice)."""
    r, c, d = v
    scaled = Fraction(d) * scale * scale
    return r, c * scale, scaled.numerator if scaled.denominator == 1 else int(scaled)


def shown_v(v: ExactRow) -> str:
    """A row (r, c, d) as it is: "(1, 0, -7/2)"."""
    return f"({v[0]}, {v[1]}, {v[2]})"


def shown_ch(v: ExactRow) -> str:
    """The row v = (r, c, d) as people read it, ch = (r, c₁, ch₂) with ch₂ = d/2: "ch = (1, 0, -7/4)"."""
    return f"ch = ({v[0]}, {v[1]}, {Fraction(v[2]) / 2})"


def checked_max_rank(max_rank: SupportsIndex | None) -> int | None:
    """The one check of a `max_rank` argument: None, or an int from 0 to 2^63 − 1."""
    if max_rank is None:
        return None
    bound = int64("max_rank", max_rank)
    if bound < 0:
        raise ValueError(f"max_rank must be >= 0, not {bound}")
    return bound
