"""The options of a search beyond v, checked once into one frozen value: the rank bound, the
surface's lattice, the side of the vertical wall and the stability condition σ(β, α) that the
walls must pass over. Whether v can be searched with them is the native core's judgement."""

from __future__ import annotations

import re
from dataclasses import dataclass
from fractions import Fraction
from typing import Any, Literal, SupportsIndex

from ._arguments import Row, checked_max_rank, shown

Surface = Literal["P2", "p2"] | None
Side = Literal["left", "right"]
# A coordinate of a point σ(β, α): exact as an int, a Fraction or a text
# "a/b" or decimal; a float is taken at its exact binary value.
Coordinate = int | float | Fraction | str
Point = tuple[Coordinate, Coordinate]
ExactPoint = tuple[Fraction, Fraction]

SURFACES = ("P2",)
SIDES = ("left", "right")
# The most decimal digits a coordinate may have, and the largest decimal
# exponent its text may carry: far beyond any point of interest, and small
# enough that converting it and the core's exact tests take milliseconds.
LONGEST_COORDINATE = 10_000
_EXPONENT = re.compile(r"[eE][+-]?0*(\d*)$")


def checked_surface(surface: object) -> Literal["P2"] | None:
    """None (every d), or "P2" in any case."""
    if surface is None:
        return None
    if not isinstance(surface, str) or surface.upper() not in SURFACES:
        raise ValueError(f"surface must be None or 'P2', not {surface!r}")
    return "P2"


def checked_side(side: object) -> Side:
    if side not in SIDES:
        raise ValueError(f"side must be 'left' or 'right', not {side!r}")
    return "left" if side == "left" else "right"


def mirrored(v: Row, side: Side) -> bool:
    """Whether the walls of v on `side` are the mirror images of the left walls of its dual (r > 0, right)."""
    return side == "right" and v[0] > 0


def dual(v: Row) -> Row:
    r, c, d = v
    return r, -c, d


def coordinate(value: object, name: str) -> Fraction:
    """value as an exact Fraction: an int, a Fraction, a text "a/b" or decimal, a float at its binary value.

    A text longer than LONGEST_COORDINATE characters or with a larger
    exponent, and a value of more digits, is refused before it is converted.
    """
    if isinstance(value, bool) or not isinstance(value, int | float | Fraction | str):
        raise TypeError(f"{name} must be an int, a Fraction, a float or a text 'a/b', not {type(value).__name__}")
    if isinstance(value, str):
        value = value.strip()
        exponent = _EXPONENT.search(value)
        if len(value) > LONGEST_COORDINATE or (exponent and len(exponent[1]) > 5
                                               or exponent and int(exponent[1] or 0) > LONGEST_COORDINATE):
            raise ValueError(f"{name} is too large a text: {shown(value)} (at most {LONGEST_COORDINATE} "
                             f"characters, and exponents up to {LONGEST_COORDINATE})")
    try:
        number = Fraction(value)
    except (ValueError, OverflowError, ZeroDivisionError) as error:
        raise ValueError(f"{name} is not a finite number: {value!r} ({error})") from None
    # 10^LONGEST_COORDINATE has 33,220 bits.
    if max(number.numerator.bit_length(), number.denominator.bit_length()) > 33_220:
        raise ValueError(f"{name} has more than {LONGEST_COORDINATE} digits in its numerator or denominator")
    return number


def exact_point(above: object) -> ExactPoint:
    """The point (β, α) of `above`, exactly (whether α > 0 is the core's judgement)."""
    if not isinstance(above, tuple | list) or len(above) != 2:
        raise TypeError(f"above must be a pair (beta, alpha), not {above!r}")
    return coordinate(above[0], "beta"), coordinate(above[1], "alpha")


def _to_bytes(n: int) -> bytes:
    return n.to_bytes((n.bit_length() + 8) // 8, "little", signed=True)


@dataclass(frozen=True, slots=True)
class SearchOptions:
    """A search's options, checked: what every layer hands on and the native search takes.

    max_rank: None or 0 to 2^63 − 1; surface: None or "P2"; side: "left" or
    "right"; above: None or the exact point (β, α).
    """

    max_rank: int | None = None
    surface: Literal["P2"] | None = None
    side: Side = "left"
    above: ExactPoint | None = None

    @classmethod
    def checked(cls, max_rank: SupportsIndex | None = None, surface: object = None, side: object = "left",
                above: object = None) -> SearchOptions:
        """The options of the public signatures, each checked (TypeError, ValueError or OverflowError)."""
        return cls(checked_max_rank(max_rank), checked_surface(surface), checked_side(side),
                   None if above is None else exact_point(above))

    def native(self) -> dict[str, Any]:
        """The keyword arguments of the native search for these options."""
        above = None if self.above is None else tuple(
            _to_bytes(n) for x in self.above for n in (x.numerator, x.denominator))
        return {"max_rank": self.max_rank, "p2": self.surface == "P2", "right": self.side == "right",
                "above": above}

    def keywords(self) -> dict[str, Any]:
        """The options as the public functions take them."""
        return {"max_rank": self.max_rank, "surface": self.surface, "side": self.side, "above": self.above}
