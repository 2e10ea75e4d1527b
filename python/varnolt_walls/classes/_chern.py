"""Chern characters as researchers write them: ch = (rank, c₁, ch₂) on a surface X with
Pic X = ℤ·ℓ, ℓ² = n, with ch₁ = c₁·ℓ and ch₂ in units of ℓ².

The lattice. A class comes from a sheaf only when its rank, c₁ and its second Chern class
c₂ = c₁²·n/2 − n·ch₂ (a number of points) are integers, so ch₂ ∈ c₁²/2 + (1/n)ℤ. Without a
surface a class lives on the lattice of the search's own convention, ch₂ ∈ ½ℤ (which is the
lattice of ℓ² = 2): there c₂ needs a degree and is not defined.

The search's convention writes v as (r, c, d) with d = 2·ch₂; `row` gives it.

Sums, differences, twists, duals and shifts keep a class on its lattice: c₂ of a sum is
c₂ + c₂' + n·c₁·c₁', of −ch it is n·c₁² − c₂, of the dual it is c₂, and of the twist
e^{kℓ}·ch = (r, c₁ + r·k, ch₂ + c₁·k + r·k²/2) it is c₂ + n·(r − 1)·c₁·k + n·k²·r(r − 1)/2,
all integers.
"""

from __future__ import annotations

import operator
from dataclasses import dataclass
from fractions import Fraction
from html import escape
from typing import SupportsIndex

from ._arguments import RATIO, ExactRow, shown
from ._exceptional import exceptional_name
from ._options import Surface, SurfaceOption, checked_surface, on_surface

# What the constructors take as a rational value: any integer, a Fraction, or a text "p/q".
Rational = SupportsIndex | Fraction | str


def rational(value: object, name: str) -> Fraction:
    """`value` exactly: an integer of any integer type, a Fraction, or a text "p/q"; a float is refused."""
    if isinstance(value, str):
        text = value.strip()
        if not RATIO.fullmatch(text):
            raise ValueError(f"{name} is not an integer or a text 'p/q': {shown(value)!r}")
        return Fraction(text)
    if isinstance(value, Fraction):
        return value
    if isinstance(value, float):
        raise TypeError(f"{name} must be an int, a Fraction or a text 'p/q', not float ({name} must be exact)")
    try:
        return Fraction(operator.index(value))  # type: ignore[arg-type]
    except TypeError:
        raise TypeError(f"{name} must be an int, a Fraction or a text 'p/q', not {type(value).__name__}") from None


def integer(value: object, name: str) -> int:
    if isinstance(value, float):
        raise TypeError(f"{name} must be an integer, not float")
    try:
        return operator.index(value)  # type: ignore[arg-type]
    except TypeError:
        raise TypeError(f"{name} must be an integer, not {type(value).__name__}") from None


def _latex(x: Fraction) -> str:
    if x.denominator == 1:
        return str(x.numerator)
    return ("-" if x < 0 else "") + rf"\frac{{{abs(x.numerator)}}}{{{x.denominator}}}"


@dataclass(frozen=True, slots=True, init=False)
class ChernCharacter:
    """The Chern character ch = (rank, c₁·ℓ, ch₂·ℓ²) of an object on a surface of Picard rank one.

    Immutable, hashable and exact: `rank` and `c1` are ints, `ch2` (in units of ℓ², as papers
    write it) a Fraction. `surface` is the surface it lives on (a :class:`Surface`, or None for
    the search's own lattice ch₂ ∈ ½ℤ). A class off its surface's lattice (c₂ not an integer)
    is a ValueError. Make one with :func:`ch`, :func:`from_chern_classes`, :func:`from_mukai`,
    :func:`ideal_sheaf` or :func:`line_bundle`; every search function takes one in place of
    (r, c, d).

    >>> two_points = ch(1, 0, -2, surface="P2")
    >>> two_points, two_points.c2, two_points.row
    (ch(1, 0, -2, surface='P2'), 2, (1, 0, -4))
    >>> print(two_points.twist(1), two_points.twist(1).name)
    (1, 1, -3/2) on P2 I_Z(1), |Z| = 2
    """

    rank: int
    c1: int
    ch2: Fraction
    surface: Surface | None

    def __init__(self, rank: SupportsIndex, c1: SupportsIndex, ch2: Rational,
                 surface: SurfaceOption = None) -> None:
        set_field = object.__setattr__
        set_field(self, "rank", integer(rank, "rank"))
        set_field(self, "c1", integer(c1, "c1"))
        set_field(self, "ch2", rational(ch2, "ch2"))
        set_field(self, "surface", checked_surface(surface))
        self._check_lattice()

    @classmethod
    def _on_lattice(cls, rank: int, c1: int, ch2: Fraction, surface: Surface | None) -> ChernCharacter:
        """The class of values already checked: ints, a Fraction and a Surface, on its lattice (the
        classes of a search's walls and their quotients, made by the thousand)."""
        made = object.__new__(cls)
        set_field = object.__setattr__
        set_field(made, "rank", rank)
        set_field(made, "c1", c1)
        set_field(made, "ch2", ch2)
        set_field(made, "surface", surface)
        return made

    def _check_lattice(self) -> None:
        if self.surface is None:
            if (2 * self.ch2).denominator != 1:
                raise ValueError(f"ch2 = {self.ch2} is not in ½ℤ, the lattice without a surface (d = 2·ch2 must be "
                                 "an integer); give the surface (surface='P2' or Surface(degree=n)) for a finer one")
            return
        c2 = self._c2(self.surface.degree)
        if c2.denominator != 1:
            n = self.surface.degree
            lattice = "ℤ" if n == 1 else f"(1/{n})ℤ"
            raise ValueError(f"{self._text()} is not a class on {self.surface}: its c2 = c1²·n/2 − n·ch2 = {c2} "
                             f"is not an integer (n = {n}, ch2 must be in c1²/2 + {lattice})")

    def _c2(self, degree: int) -> Fraction:
        return Fraction(self.c1 * self.c1 * degree, 2) - degree * self.ch2

    # Numbers of the class.

    @property
    def d(self) -> int | Fraction:
        """d = 2·ch₂, the search's convention: an int where it is one."""
        d = 2 * self.ch2
        return d.numerator if d.denominator == 1 else d

    @property
    def row(self) -> ExactRow:
        """(r, c, d) with d = 2·ch₂: what the search functions take as v."""
        return self.rank, self.c1, self.d

    @property
    def degree(self) -> int:
        """n = ℓ² of the class's surface; a ValueError without one."""
        if self.surface is None:
            raise ValueError(f"{self._text()} has no surface, so no degree ℓ²: make it with surface='P2' "
                             "or surface=Surface(degree=n)")
        return self.surface.degree

    @property
    def c2(self) -> int:
        """The second Chern class c₂ = c₁²·n/2 − n·ch₂, a number of points (needs the surface)."""
        return int(self._c2(self.degree))

    @property
    def discriminant(self) -> Fraction:
        """The Bogomolov discriminant Δ = c₁² − 2·rank·ch₂, in units of (ℓ²)²/ℓ² (≥ 0 for a semistable sheaf)."""
        return self.c1 * self.c1 - 2 * self.rank * self.ch2

    @property
    def mukai(self) -> tuple[int, int, int]:
        """The Mukai vector (r, c, s) = ch·√td on a K3 surface of degree n: s = n·ch₂ + r (in points).

        A K3 surface has even degree; a ValueError on a surface of odd degree (P² among them).
        """
        n = self.degree
        if n % 2:
            raise ValueError(f"a K3 surface has even degree ℓ², not {n}: {self._text()} has no Mukai vector there")
        return self.rank, self.c1, int(n * self.ch2) + self.rank

    @property
    def name(self) -> str | None:
        """The sheaf's usual name where it has one: O(k), I_Z(k) with ``|Z|`` = c₂ of I_Z, the exceptional
        bundles of P² (T(k), E_{p/q}: see :func:`exceptional_bundles`), and their shifts [1]."""
        if abs(self.rank) != 1:
            return exceptional_name(self.rank, self.c1, self.ch2) if self.surface == Surface(1) else None
        sheaf = self if self.rank == 1 else -self
        shift = "" if self.rank == 1 else "[1]"
        points = sheaf.c1 * sheaf.c1 / Fraction(2) - sheaf.ch2  # |Z|/n: c₂ of I_Z(k) is that of I_Z
        if points == 0:
            return f"O({sheaf.c1}){shift}" if sheaf.c1 else f"O{shift}"
        if self.surface is None or points < 0:
            return None
        twist = f"({sheaf.c1})" if sheaf.c1 else ""
        count = sheaf.c2
        return f"I_Z{twist}{shift}, |Z| = {count}"

    # Operations: every result is on the same surface.

    def twist(self, k: SupportsIndex) -> ChernCharacter:
        """ch·e^{kℓ} = (r, c₁ + r·k, ch₂ + c₁·k + r·k²/2), the class of E(k)."""
        k = integer(k, "k")
        ch2 = self.ch2 + self.c1 * k + Fraction(self.rank * k * k, 2)
        return ChernCharacter(self.rank, self.c1 + self.rank * k, ch2, self.surface)

    def dual(self) -> ChernCharacter:
        """ch^∨ = (r, −c₁, ch₂), the class of the derived dual."""
        return ChernCharacter(self.rank, -self.c1, self.ch2, self.surface)

    def shift(self, times: SupportsIndex = 1) -> ChernCharacter:
        """The class of E[times]: (−1)^times·ch (a negative rank for an odd shift of a sheaf)."""
        return self if integer(times, "times") % 2 == 0 else -self

    def _same_surface(self, other: ChernCharacter) -> None:
        if other.surface != self.surface:
            raise ValueError(f"{self._text()} and {other._text()} live on different surfaces "
                             f"({self._on()} and {other._on()})")

    def __add__(self, other: object) -> ChernCharacter:
        if not isinstance(other, ChernCharacter):
            return NotImplemented
        self._same_surface(other)
        return ChernCharacter(self.rank + other.rank, self.c1 + other.c1, self.ch2 + other.ch2, self.surface)

    def __sub__(self, other: object) -> ChernCharacter:
        if not isinstance(other, ChernCharacter):
            return NotImplemented
        self._same_surface(other)
        return ChernCharacter(self.rank - other.rank, self.c1 - other.c1, self.ch2 - other.ch2, self.surface)

    def __neg__(self) -> ChernCharacter:
        return ChernCharacter(-self.rank, -self.c1, -self.ch2, self.surface)

    # Displays.

    def _text(self) -> str:
        return f"({self.rank}, {self.c1}, {self.ch2})"

    def _on(self) -> str:
        return "no surface" if self.surface is None else str(self.surface)

    def __str__(self) -> str:
        return f"{self._text()} {on_surface(self.surface)}"

    def __repr__(self) -> str:
        ch2 = str(self.ch2) if self.ch2.denominator == 1 else f"'{self.ch2}'"
        if self.surface is None:  # said, so that a class off every surface is not taken for one of P²
            return f"ch({self.rank}, {self.c1}, {ch2}, surface=None)"
        surface = "'P2'" if self.surface.degree == 1 else repr(self.surface)
        return f"ch({self.rank}, {self.c1}, {ch2}, surface={surface})"

    def _repr_latex_(self) -> str:
        return rf"$\mathrm{{ch}} = ({self.rank}, {self.c1}, {_latex(self.ch2)})$"

    def _repr_html_(self) -> str:
        return f"ch = ({self.rank}, {self.c1}, {escape(str(self.ch2))}) {escape(on_surface(self.surface))}"


def ch(rank: SupportsIndex, c1: SupportsIndex, ch2: Rational, surface: SurfaceOption = None) -> ChernCharacter:
    """The class with ch = (rank, c1·ℓ, ch2·ℓ²), ch2 in units of ℓ² (an int, a Fraction or a text "p/q").

    >>> ch(1, 0, -2, surface="P2").c2        # two points on the plane
    2
    >>> ch(2, 1, "-1/4", surface=Surface(degree=4)).c2
    3
    """
    return ChernCharacter(rank, c1, ch2, surface)


def from_chern_classes(rank: SupportsIndex, c1: SupportsIndex, c2: SupportsIndex, *,
                       surface: SurfaceOption) -> ChernCharacter:
    """The class of rank `rank` with Chern classes c₁ = c1·ℓ and c₂ = c2 points: ch₂ = c1²/2 − c2/n.

    >>> from_chern_classes(2, 3, 3, surface="P2")   # the tangent bundle of the plane
    ch(2, 3, '3/2', surface='P2')
    """
    checked = checked_surface(surface)
    if checked is None:
        raise ValueError("c2 counts points, which ch2 needs ℓ² to convert: give surface='P2' or Surface(degree=n)")
    c1, c2 = integer(c1, "c1"), integer(c2, "c2")
    return ChernCharacter(rank, c1, Fraction(c1 * c1, 2) - Fraction(c2, checked.degree), checked)


def from_mukai(r: SupportsIndex, c: SupportsIndex, s: SupportsIndex, *, degree: SupportsIndex) -> ChernCharacter:
    """The class of the Mukai vector (r, c·ℓ, s) on a K3 surface of degree n: ch₂ = (s − r)/n.

    >>> from_mukai(1, 0, -7, degree=4)        # eight points on a quartic K3
    ch(1, 0, -2, surface=Surface(degree=4))
    """
    n = integer(degree, "degree")
    surface = Surface(n)
    if n % 2:
        raise ValueError(f"a K3 surface has even degree ℓ², not {n}")
    r = integer(r, "r")
    return ChernCharacter(r, c, Fraction(integer(s, "s") - r, n), surface)


def ideal_sheaf(points: SupportsIndex, *, surface: SurfaceOption) -> ChernCharacter:
    """The class of the ideal sheaf I_Z of `points` points: ch = (1, 0, −points/ℓ²).

    >>> ideal_sheaf(8, surface=Surface(degree=4))
    ch(1, 0, -2, surface=Surface(degree=4))
    """
    if integer(points, "points") < 0:
        raise ValueError(f"an ideal sheaf has a number of points >= 0, not {points}")
    return from_chern_classes(1, 0, points, surface=surface)


def line_bundle(k: SupportsIndex, *, surface: SurfaceOption = None) -> ChernCharacter:
    """The class of O(k) = O(k·ℓ): ch = (1, k, k²/2).

    >>> line_bundle(-1, surface="P2").row
    (1, -1, 1)
    """
    k = integer(k, "k")
    return ChernCharacter(1, k, Fraction(k * k, 2), surface)
