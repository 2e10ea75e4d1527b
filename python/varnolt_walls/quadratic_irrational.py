"""An exact real number of the form (c − √Δ)/r, the shape β₋ takes when it is irrational."""

from __future__ import annotations

import importlib
import numbers
import operator
from dataclasses import dataclass
from fractions import Fraction
from math import gcd, isfinite, isqrt
from typing import Any

__all__ = ["QuadraticIrrational"]


@dataclass(frozen=True, eq=False)
class QuadraticIrrational:
    """The irrational number (c − √Δ)/r, for integers c, Δ (`discriminant`) and r.

    Δ must be positive and not a perfect square, and r non-zero, so the value is
    real and irrational. It compares exactly with other instances, ints,
    Fractions and floats, hashes by value and converts to the nearest float.
    Adding, subtracting or multiplying by a rational (int or Fraction) gives
    another exact QuadraticIrrational (or 0, times 0). It prints in its
    simplest form, shows as LaTeX in a notebook, and :meth:`to_sympy` gives
    the SymPy number.

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
    >>> print(2 * x + 1, x - Fraction(2, 3), -x)
    (7 - 2√7)/3 -√7/3 (-2 + √7)/3
    >>> print(QuadraticIrrational(0, 20, 1), QuadraticIrrational(6, 8, 4))
    -2√5 (3 - √2)/2
    """

    c: int
    discriminant: int
    r: int

    def __post_init__(self) -> None:
        # Any integer type (NumPy's included) is stored as the Python int of its value.
        for name in ("c", "discriminant", "r"):
            try:
                object.__setattr__(self, name, operator.index(getattr(self, name)))
            except TypeError:
                raise TypeError(f"{name} must be an integer, not {type(getattr(self, name)).__name__}") from None
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

    def _simplest(self) -> tuple[int, int, int, int]:
        """(a, b, m, n) with n > 0 and the value (a − b·√m)/n when r > 0, (a + b·√m)/n when r < 0:
        the square factors k² of Δ below SIMPLIFIED_FACTORS², and Δ's square root when it is
        k² times a square-free rest, moved out of the root, then gcd(a, b, n) cancelled."""
        b, m = 1, self.discriminant
        k = 2
        while k < SIMPLIFIED_FACTORS and k * k <= m:
            while m % (k * k) == 0:
                b, m = b * k, m // (k * k)
            k += 1
        a, n = (self.c, self.r) if self.r > 0 else (-self.c, -self.r)
        g = gcd(a, b, n)
        return a // g, b // g, m, n // g

    def _text(self, *, latex: bool) -> str:
        a, b, m, n = self._simplest()
        surd = ("" if b == 1 else str(b)) + (rf"\sqrt{{{m}}}" if latex else f"√{m}")
        sign = "-" if self.r > 0 else "+"
        numerator = f"{a} {sign} {surd}" if a else surd if sign == "+" else f"-{surd}"
        if n == 1:
            return numerator
        if latex:
            return rf"\frac{{{numerator}}}{{{n}}}"
        return f"({numerator})/{n}" if a else f"{numerator}/{n}"

    def __str__(self) -> str:
        return self._text(latex=False)

    def _repr_latex_(self) -> str:
        return f"${self._text(latex=True)}$"

    def to_sympy(self) -> Any:
        """The same number as a SymPy expression (needs sympy: pip install sympy).

        >>> QuadraticIrrational(0, 20, 1).to_sympy()
        -2*sqrt(5)
        """
        sympy = importlib.import_module("sympy")
        return (sympy.Integer(self.c) - sympy.sqrt(sympy.Integer(self.discriminant))) / self.r

    # Arithmetic with rationals p/q, on the form (c − √Δ)/r:
    # x + p/q = (c·q + p·r − √(q²·Δ))/(r·q) and x·p/q = (c·|p| − √(p²·Δ))/(r·q·sign(p)).
    def __add__(self, other: object) -> QuadraticIrrational:
        if not isinstance(other, numbers.Rational):
            return NotImplemented
        p, q = Fraction(other).as_integer_ratio()
        return QuadraticIrrational(self.c * q + p * self.r, q * q * self.discriminant, self.r * q)

    __radd__ = __add__

    def __neg__(self) -> QuadraticIrrational:
        return QuadraticIrrational(self.c, self.discriminant, -self.r)

    def __sub__(self, other: object) -> QuadraticIrrational:
        if not isinstance(other, numbers.Rational):
            return NotImplemented
        return self + -Fraction(other)

    def __rsub__(self, other: object) -> QuadraticIrrational:
        if not isinstance(other, numbers.Rational):
            return NotImplemented
        return -self + other

    def __mul__(self, other: object) -> QuadraticIrrational | Fraction:
        if not isinstance(other, numbers.Rational):
            return NotImplemented
        p, q = Fraction(other).as_integer_ratio()
        if p == 0:
            return Fraction(0)
        return QuadraticIrrational(self.c * abs(p), p * p * self.discriminant, self.r * q * (1 if p > 0 else -1))

    __rmul__ = __mul__


# Square factors k² of Δ with k below this are taken out of the root when
# printing: enough for every Δ a person reads, without factoring large ones.
SIMPLIFIED_FACTORS = 1000
