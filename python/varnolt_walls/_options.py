"""The options of a search beyond v: the surface's lattice, the side of the vertical wall,
and the stability condition σ(β, α) that the walls must pass over."""

from __future__ import annotations

from fractions import Fraction
from typing import Literal

Row = tuple[int, int, int]
Surface = Literal["P2"] | None
Side = Literal["left", "right"]
# A coordinate of a point σ(β, α): exact as an int, a Fraction or a text
# "a/b" or decimal; a float is taken at its exact binary value.
Coordinate = int | float | Fraction | str
Point = tuple[Coordinate, Coordinate]
ExactPoint = tuple[Fraction, Fraction]

SURFACES = ("P2",)
SIDES = ("left", "right")


def check_surface(surface: object, v: Row) -> bool:
    """Whether the search keeps to the lattice of P² (surface "P2"); None: the half-integral lattice.

    On P² a class (r, c·ℓ, (d/2)·ℓ²) comes from a sheaf only when c₂ = c²/2 − d/2
    is an integer, that is d ≡ c (mod 2): a v off that lattice is a ValueError.
    """
    if surface is None:
        return False
    if surface not in SURFACES:
        raise ValueError(f"surface must be None or 'P2', not {surface!r}")
    r, c, d = v
    if (d - c) % 2 != 0:
        raise ValueError(f"{v} is not a Chern character on P2: c2 = c²/2 - d/2 = {Fraction(c * c - d, 2)} "
                         "is not an integer (d must be congruent to c mod 2)")
    return True


def check_side(side: object) -> Side:
    if side not in SIDES:
        raise ValueError(f"side must be 'left' or 'right', not {side!r}")
    return "left" if side == "left" else "right"


def mirrored(v: Row, side: Side) -> bool:
    """Whether the walls of v on `side` come from the mirrored search of its dual.

    The right walls of v = (r, c, d) with r > 0 are the mirror images β ↦ −β of
    the left walls of its dual (r, −c, d), and a class (r', c', d') of such a
    wall gives the class (−r', c', −d') of the right wall: its derived dual
    shifted by one. For rank 0 the walls are one family of semicircles
    centred at β₋, each on both sides of it, so both sides are that family.
    A negative rank is, up to sign, that of a shifted sheaf: both sides give
    what the search gives for v as it is.
    """
    return side == "right" and v[0] > 0


def dual(v: Row) -> Row:
    r, c, d = v
    return r, -c, d


def coordinate(value: object, name: str) -> Fraction:
    """value as an exact Fraction: an int, a Fraction, a text "a/b" or decimal, a float at its binary value."""
    if isinstance(value, bool) or not isinstance(value, int | float | Fraction | str):
        raise TypeError(f"{name} must be an int, a Fraction, a float or a text 'a/b', not {type(value).__name__}")
    try:
        return Fraction(value.strip() if isinstance(value, str) else value)
    except (ValueError, OverflowError, ZeroDivisionError) as error:
        raise ValueError(f"{name} is not a finite number: {value!r} ({error})") from None


def exact_point(above: object) -> ExactPoint:
    """The point (β, α) of `above`, exactly; α must be positive (σ(β, α) needs α > 0)."""
    if not isinstance(above, tuple | list) or len(above) != 2:
        raise TypeError(f"above must be a pair (beta, alpha), not {above!r}")
    beta, alpha = coordinate(above[0], "beta"), coordinate(above[1], "alpha")
    if alpha <= 0:
        raise ValueError(f"alpha must be > 0: σ(β, α) is a stability condition only for α > 0, not {alpha}")
    return beta, alpha


def point_in_frame(v: Row, point: ExactPoint, side: Side) -> ExactPoint:
    """The point in the frame of the left search that gives the walls of v on `side`.

    For r > 0 the walls of one side lie strictly on that side of the vertical
    wall β = c/r; a point on it or across it, which no wall of that side
    passes over, is a ValueError that says which side to ask for.
    """
    r, c, _ = v
    beta, alpha = point
    if r <= 0:
        return point
    vertical = Fraction(c, r)
    if (beta < vertical) != (side == "left") or beta == vertical:
        other = "right" if side == "left" else "left"
        where, hint = ("on", "") if beta == vertical else (f"{other} of", f" (the {other} walls are on that side)")
        raise ValueError(f"the point (β, α) = ({beta}, {alpha}) lies {where} the vertical wall β = {vertical} "
                         f"of {v}, over which no {side} wall passes{hint}")
    return (-beta, alpha) if mirrored(v, side) else point
