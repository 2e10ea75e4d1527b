"""β₋ of a Chern character, exactly."""

from __future__ import annotations

from fractions import Fraction
from math import isqrt

from .quadratic_irrational import QuadraticIrrational


def beta_minus(r: int, c: int, d: int) -> Fraction | QuadraticIrrational:
    """β₋ of the Chern character v = (r, c·ℓ, (d/2)·ℓ²), exactly.

    β₋ is the root (c − √(c² − r·d))/r of the twisted ch2 d/2 − β·c + β²·r/2
    for r ≠ 0 (the smaller one when r > 0), and ch2/c = d/(2c) for r = 0. The
    search for pseudo-semistabilizers works at β = β₋ and needs it rational.

    Parameters
    ----------
    r, c, d : int
        Rank, ch1 = c·ℓ and ch2 = (d/2)·ℓ² of v; any size.

    Returns
    -------
    Fraction or QuadraticIrrational
        A Fraction when β₋ is rational, else the exact (c − √Δ)/r.

    Raises
    ------
    ValueError
        When v has no real β₋: c² − r·d < 0, or r = c = 0.

    Examples
    --------
    >>> beta_minus(1, 0, -16)
    Fraction(-4, 1)
    >>> beta_minus(0, 3, 4)
    Fraction(2, 3)
    >>> print(beta_minus(3, 2, -1))
    (2 - √7)/3
    """
    if r == 0:
        if c == 0:
            raise ValueError("β₋ is undefined for r = c = 0")
        return Fraction(d, 2 * c)
    discriminant = c * c - r * d
    if discriminant < 0:
        raise ValueError("β₋ is not real: c² - r·d < 0")
    root = isqrt(discriminant)
    if root * root == discriminant:
        return Fraction(c - root, r)
    return QuadraticIrrational(c, discriminant, r)


def beta_minus_text(r: int, c: int, d: int) -> str:
    """β₋ as text for people: like ``str(beta_minus(r, c, d))``, without a "0 - " or a "/1".

    Examples
    --------
    >>> beta_minus_text(1, 0, -2), beta_minus_text(2, 3, 3), beta_minus_text(2, 0, -1), beta_minus_text(1, 0, -16)
    ('-√2', '(3 - √3)/2', '-√2/2', '-4')
    """
    beta = beta_minus(r, c, d)
    if isinstance(beta, Fraction) or beta.r < 0:
        return str(beta)
    numerator = f"-√{beta.discriminant}" if beta.c == 0 else f"{beta.c} - √{beta.discriminant}"
    if beta.r == 1:
        return numerator
    return f"{numerator}/{beta.r}" if beta.c == 0 else f"({numerator})/{beta.r}"
