"""An exact real number of the form (c − √Δ)/r, the shape β₋ takes when it is irrational."""

from __future__ import annotations

import numbers
from dataclasses import dataclass
from fractions import Fraction
from math import isfinite, isqrt

__all__ = ["QuadraticIrrational"]


@dataclass(frozen=True, eq=False)
class QuadraticIrrational:
    """The irrational number (c − √Δ)/r, for integers c, Δ (`discriminant`) and r.

    Δ must be positive and not a perfect square, and r non-zero, so the value is
    real and irrational. It compares exactly with other instances, ints,
    Fractions and floats, hashes by value and converts to the nearest float.

    Examples
    --------
    >>> x = QuadraticIrrational(2, 7, 3)
    >>> print(x)
    (2 - √7)/3
    >>> float(x)
    -0.21525043702153018
    >>> x == QuadraticIrrational(-2, 7, -3), x == QuadraticIrrational(4, 28, 6)
    (False, True)
    >>> Fraction(-11, 50) < x < Fraction(-21, 100)
    True
    """

    c: int
    discriminant: int
    r: int

    def __post_init__(self) -> None:
        if not all(isinstance(n, int) for n in (self.c, self.discriminant, self.r)):
            raise TypeError("c, discriminant and r must be ints")
        if self.r == 0:
            raise ValueError("r must not be 0")
        if self.discriminant <= 0 or isqrt(self.discriminant) ** 2 == self.discriminant:
            raise ValueError("the discriminant must be positive and not a perfect square")

    def _key(self) -> tuple[Fraction, int, Fraction]:
        # The value is a + s·√D with a = c/r, s = −sign(r) and D = Δ/r². As D is
        # not the square of a rational, two such forms are equal exactly when
        # their (a, s, D) are: if a + s√D = a' + s'√D', squaring s√D − s'√D' =
        # a' − a makes √(D·D') rational, so D' = t²·D, then √D·(s − s'·t) is
        # rational, so s = s'·t, t = ±1 and D = D'.
        return Fraction(self.c, self.r), -1 if self.r > 0 else 1, Fraction(self.discriminant, self.r**2)

    def _bounds(self, scale: int) -> tuple[Fraction, Fraction]:
        # root < √Δ·scale < root + 1 strictly, since Δ·scale² is no square; so
        # the value lies strictly between the two fractions below.
        root = isqrt(self.discriminant * scale * scale)
        first = Fraction(self.c * scale - root - 1, self.r * scale)
        second = Fraction(self.c * scale - root, self.r * scale)
        return (first, second) if first < second else (second, first)

    def _order(self, other: object) -> int | None:
        """The sign of self − other, or None when other is not a real number."""
        if isinstance(other, QuadraticIrrational):
            if self._key() == other._key():
                return 0
        elif isinstance(other, numbers.Rational):
            other = Fraction(other)
        elif isinstance(other, float) and isfinite(other):
            other = Fraction(other)
        else:
            return None
        # Narrow both enclosing intervals until they part: they must, as the
        # two values differ (an irrational never equals a rational).
        scale = 1
        while True:
            low, high = self._bounds(scale)
            other_low, other_high = other._bounds(scale) if isinstance(other, QuadraticIrrational) else (other, other)
            if high <= other_low:
                return -1
            if other_high <= low:
                return 1
            scale <<= 32

    def __eq__(self, other: object) -> bool:
        order = self._order(other)
        return NotImplemented if order is None else order == 0

    def __hash__(self) -> int:
        return hash(self._key())

    def __lt__(self, other: object) -> bool:
        order = self._order(other)
        return NotImplemented if order is None else order < 0

    def __le__(self, other: object) -> bool:
        order = self._order(other)
        return NotImplemented if order is None else order <= 0

    def __gt__(self, other: object) -> bool:
        order = self._order(other)
        return NotImplemented if order is None else order > 0

    def __ge__(self, other: object) -> bool:
        order = self._order(other)
        return NotImplemented if order is None else order >= 0

    def __float__(self) -> float:
        # Both ends of an enclosing interval rounding to the same float means
        # the value does too; an irrational is never a halfway point, so the
        # narrowing ends.
        scale = 1 << 64
        while True:
            low, high = self._bounds(scale)
            if float(low) == float(high):
                return float(low)
            scale <<= 64

    def __str__(self) -> str:
        return f"({self.c} - √{self.discriminant})/{self.r}"
