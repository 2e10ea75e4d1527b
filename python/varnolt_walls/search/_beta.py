"""β₋ of a Chern character of any size, exactly (the searches leave it to the native core)."""

from __future__ import annotations

from fractions import Fraction
from math import isqrt
from typing import SupportsIndex, overload

from ..classes._arguments import ExactRow, discriminant, integer
from ..classes._chern import ChernCharacter
from ..classes._class_arguments import alone
from ..classes._errors import NoRealBetaError
from ..quadratic_irrational import QuadraticIrrational


def no_real_beta(v: ExactRow) -> bool:
    """Whether v has no real β₋, and so no pseudo-walls: c² − r·d < 0, or r = c = 0."""
    r, c, d = v
    return (r == 0 and c == 0) or discriminant(r, c, d) < 0


def exact_beta_minus(v: ExactRow) -> Fraction | QuadraticIrrational:
    """β₋ of v, given as Python ints (d a Fraction on a surface of degree n >= 3); NoRealBetaError when it
    is not real."""
    if no_real_beta(v):
        raise NoRealBetaError(v)
    r, c, d = v
    if r == 0:
        return Fraction(d) / (2 * c)
    if isinstance(d, Fraction) and d.denominator != 1:
        # β₋(r, c, d) = β₋(r, bc, b²d)/b for b = d's denominator, where b²d = b·numerator is an integer.
        b = d.denominator
        scaled = exact_beta_minus((r, c * b, d.numerator * b))
        return scaled / b if isinstance(scaled, Fraction) else QuadraticIrrational(c * b, int((c * c - r * d) * b * b), r * b)
    delta = int(discriminant(r, c, d))  # an integer here: d is one
    root = isqrt(delta)
    if root * root == delta:
        return Fraction(c - root, r)
    return QuadraticIrrational(c, delta, r)


@overload
def beta_minus(v: ChernCharacter, /) -> Fraction | QuadraticIrrational: ...
@overload
def beta_minus(r: SupportsIndex, c: SupportsIndex, d: SupportsIndex) -> Fraction | QuadraticIrrational: ...
def beta_minus(r: ChernCharacter | SupportsIndex, c: SupportsIndex | None = None,
               d: SupportsIndex | None = None) -> Fraction | QuadraticIrrational:
    """β₋ of the Chern character v = (r, c·ℓ, (d/2)·ℓ²), exactly.

    β₋ is the root (c − √(c² − r·d))/r of the twisted ch2 d/2 − β·c + β²·r/2
    for r ≠ 0 (the smaller one when r > 0), and ch2/c = d/(2c) for r = 0. The
    search for pseudo-semistabilizers works at β = β₋ and needs it rational.

    Parameters
    ----------
    r, c, d : int
        Rank, ch1 = c·ℓ and ch2 = (d/2)·ℓ² of v; any size, any integer type.
        Or a :class:`ChernCharacter` alone in their place.

    Returns
    -------
    Fraction or QuadraticIrrational
        A Fraction when β₋ is rational, else the exact (c − √Δ)/r.

    Raises
    ------
    NoRealBetaError
        A ValueError, when v has no real β₋: its Bogomolov discriminant
        c² − r·d is negative, or r = c = 0. Such a v has no pseudo-walls.

    Examples
    --------
    >>> beta_minus(1, 0, -16)
    Fraction(-4, 1)
    >>> beta_minus(0, 3, 4)
    Fraction(2, 3)
    >>> print(beta_minus(3, 2, -1), beta_minus(1, 0, -20))
    (2 - √7)/3 -2√5
    >>> from varnolt_walls import ideal_sheaf, Surface
    >>> beta_minus(ideal_sheaf(8, surface=Surface(degree=4)))  # ch2 = -2: β₋ = -2
    Fraction(-2, 1)
    """
    if isinstance(r, ChernCharacter):
        return exact_beta_minus(alone(r, c, d).row)
    return exact_beta_minus((integer("r", r), integer("c", c), integer("d", d)))  # type: ignore[arg-type]


def beta_minus_text(v: ExactRow) -> str:
    """β₋ of v as text for people, in its simplest form.

    Examples
    --------
    >>> beta_minus_text((1, 0, -2)), beta_minus_text((2, 3, 3)), beta_minus_text((2, 0, -1)), beta_minus_text((1, 0, -16))
    ('-√2', '(3 - √3)/2', '-√2/2', '-4')
    """
    return str(exact_beta_minus(v))
