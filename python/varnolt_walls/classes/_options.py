"""The options of a search beyond v, checked once into one frozen value: the rank bound, the
surface's lattice, the side of the vertical wall and the stability condition σ(β, α) that the
walls must pass over. Whether v can be searched with them is the native core's judgement."""

from __future__ import annotations

import re
from dataclasses import dataclass
from fractions import Fraction
from typing import Any, Literal, SupportsIndex

from ._arguments import ExactRow, checked_max_rank, shown

Side = Literal["left", "right"]
# What the functions take as `side`: one side of the vertical wall, or both (see _described).
SideOption = Literal["left", "right", "both"]
# A coordinate of a point σ(β, α): exact as an int, a Fraction or a text
# "a/b" or decimal; a float is taken at its exact binary value.
Coordinate = int | float | Fraction | str
Point = tuple[Coordinate, Coordinate]
ExactPoint = tuple[Fraction, Fraction]

LARGEST_DEGREE = 2**31 - 1
SIDES = ("left", "right", "both")
# The most decimal digits a coordinate may have, and the largest decimal
# exponent its text may carry: far beyond any point of interest, and small
# enough that converting it and the core's exact tests take milliseconds.
LONGEST_COORDINATE = 10_000
_EXPONENT = re.compile(r"[eE][+-]?0*(\d*)$")


@dataclass(frozen=True, slots=True)
class Surface:
    """A surface X of Picard rank one, Pic X = ℤ·ℓ, by its degree n = ℓ² (1 to 2^31 − 1).

    Its Chern characters (r, c·ℓ, ch2·ℓ²), with d = 2·ch2, are those with an
    integral c₂ = c²·n/2 − n·ch2: d ∈ c² + (2/n)ℤ. ``Surface(degree=1)`` is the
    projective plane (d ≡ c mod 2, also spelt "P2"), ``Surface(degree=2)``
    takes every integer d; on a K3 or abelian surface of degree n >= 3, or a
    surface of odd degree, d need not be an integer (a quartic K3: d ∈ c² + ½ℤ).

    The search runs in the coordinates (r, λ·c, λ²·d) (`scale` is λ, the least
    positive integer with n | 2λ²), which keep every wall. `d_scale` is s = n
    for odd n and n/2 for even n, the least s with s·d an integer for every d
    of the lattice: the third column of :func:`candidates`' array is s·d.

    >>> Surface(degree=4), Surface(degree=4).scale, Surface(degree=4).d_scale
    (Surface(degree=4), 2, 2)
    >>> str(Surface(degree=1)), str(Surface(degree=5))
    ('P2', 'ℓ² = 5')
    """

    degree: int

    def __post_init__(self) -> None:
        if isinstance(self.degree, bool) or not isinstance(self.degree, int):
            raise TypeError(f"degree must be an int, not {type(self.degree).__name__}")
        if not 1 <= self.degree <= LARGEST_DEGREE:
            raise ValueError(f"degree must be from 1 to 2^31 - 1, not {self.degree}")

    @property
    def scale(self) -> int:
        """λ, the least positive integer with n | 2λ²: ∏ p^⌈e/2⌉ over odd p^e ∥ n, times 2^⌈(e − 1)/2⌉."""
        n, scale, p = self.degree, 1, 2
        while p * p <= n:
            e = 0
            while n % p == 0:
                n, e = n // p, e + 1
            scale *= p ** ((e if p == 2 else e + 1) // 2)
            p += 1
        return scale * n if n > 2 else scale

    @property
    def d_scale(self) -> int:
        """s = n for odd n, n/2 for even n: s·d is an integer on the lattice."""
        return self.degree if self.degree % 2 else self.degree // 2

    def __str__(self) -> str:
        return "P2" if self.degree == 1 else f"ℓ² = {self.degree}"


# Where a class lives when no surface was given: the search's own lattice ch₂ ∈ ½ℤ, which is that of
# ℓ² = 2 (c₂ = c₁² − 2·ch₂ integral). Said in every caption, so that a P² user who forgot
# surface="P2" sees that the walls are not those of P².
NO_SURFACE = "the ½ℤ lattice of ℓ² = 2, no surface given"


def on_surface(surface: Surface | None) -> str:
    """Where a class lives, for people: "on P2", "on ℓ² = 4", or "on the ½ℤ lattice of ℓ² = 2, no surface given"."""
    return f"on {NO_SURFACE if surface is None else surface}"


# What the public functions take as `surface`.
SurfaceOption = Surface | Literal["P2", "p2"] | None


def checked_surface(surface: object) -> Surface | None:
    """None (the module's lattice, every integer d), a Surface, or "P2" in any case (Surface(degree=1))."""
    if surface is None or isinstance(surface, Surface):
        return surface
    if not isinstance(surface, str) or surface.upper() != "P2":
        raise ValueError(f"surface must be None, 'P2' or a Surface(degree=n), not {surface!r}")
    return Surface(1)


def checked_side(side: object) -> SideOption:
    if side not in SIDES:
        raise ValueError(f"side must be 'left', 'right' or 'both', not {side!r}")
    return "left" if side == "left" else "right" if side == "right" else "both"


def unshifted(v: ExactRow) -> ExactRow:
    """−v for the class of a shifted object E[1] (r < 0, or r = 0 and c < 0), else v: the class whose walls
    and candidates a search of v gives (Z(E[1]) = −Z(E) leaves every wall of E as it is)."""
    r, c, d = v
    return (-r, -c, -d) if r < 0 or (r == 0 and c < 0) else v


def mirrored(v: ExactRow, side: Side) -> bool:
    """Whether the walls of v on `side` are the mirror images of the left walls of its dual (r > 0, right)."""
    return side == "right" and v[0] > 0


def dual(v: ExactRow) -> ExactRow:
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

    max_rank: None or 0 to 2^63 − 1; surface: None or a Surface; side: "left",
    "right" or "both" (a native search takes one side); above: None or the exact point (β, α).
    """

    max_rank: int | None = None
    surface: Surface | None = None
    side: SideOption = "left"
    above: ExactPoint | None = None

    @classmethod
    def checked(cls, max_rank: SupportsIndex | None = None, surface: object = None, side: object = "left",
                above: object = None) -> SearchOptions:
        """The options of the public signatures, each checked (TypeError, ValueError or OverflowError)."""
        return cls(checked_max_rank(max_rank), checked_surface(surface), checked_side(side),
                   None if above is None else exact_point(above))

    def native(self) -> dict[str, Any]:
        """The keyword arguments of the native search for these options (of one side)."""
        assert self.side != "both", "a native search runs one side"
        above = None if self.above is None else tuple(
            _to_bytes(n) for x in self.above for n in (x.numerator, x.denominator))
        return {"max_rank": self.max_rank, "degree": 2 if self.surface is None else self.surface.degree,
                "right": self.side == "right", "above": above}

    @property
    def scale(self) -> int:
        """λ of the surface (1 for the module's lattice): the native rows are (r, λ·c, λ²·d)."""
        return 1 if self.surface is None else self.surface.scale

    def keywords(self) -> dict[str, Any]:
        """The options as the public functions take them."""
        return {"max_rank": self.max_rank, "surface": self.surface, "side": self.side, "above": self.above}
