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
            raise ValueError(f"{self._ch()} is not a class on {self.surface}: its c₂ = c₁²·n/2 − n·ch₂ = {c2} "
                             f"is not an integer (n = {n}, ch₂ must be in c₁²/2 + {lattice})")

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
            raise ValueError(f"{self._ch()} has no surface, so no degree ℓ²: make it with surface='P2' "
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
            raise ValueError(f"a K3 surface has even degree ℓ², not {n}: {self._ch()} has no Mukai vector there")
        return self.rank, self.c1, int(n * self.ch2) + self.rank

    @property
    def slope(self) -> Fraction | None:
        """The slope μ = c₁/rank (in units of ℓ), of μ-stability; None in rank 0.

        Papers set μ = +∞ for a sheaf of rank 0 (a torsion sheaf: every sheaf of positive rank has a
        smaller slope). A Fraction has no ∞, so rank 0 gives None, which no comparison takes by mistake.
        """
        return None if self.rank == 0 else Fraction(self.c1, self.rank)

    @property
    def euler_characteristic(self) -> int:
        """χ(v) = χ(O, E) = Σ (−1)^i h^i(E) for E of class v: :meth:`euler_form` of O and v.

        On P² (Riemann–Roch) χ = r + 3c₁/2 + ch₂; on a K3 surface of degree n (even, as for
        `mukai`) χ = 2r + n·ch₂ = r + s for the Mukai vector (r, c, s). A ValueError elsewhere.
        """
        self._todd_degree()
        return ChernCharacter._on_lattice(1, 0, Fraction(0), self.surface).euler_form(self)

    def euler_form(self, other: ChernCharacter) -> int:
        """The Euler form χ(E, F) = Σ (−1)^i ext^i(E, F) of E of this class and F of class `other`.

        It is ∫ ch(E)^∨·ch(F)·td(X). With ch(E) = (r, c, s), ch(F) = (r', c', s') (s, s' = ch₂ in
        units of ℓ², ℓ² = n):

        * on P² (td = 1 + (3/2)ℓ + pt): χ(E, F) = r·s' + s·r' − c·c' + (3/2)·(r·c' − c·r') + r·r';
        * on a K3 surface of even degree n (td = 1 + 2·pt, as for `mukai`):
          χ(E, F) = n·(r·s' + s·r' − c·c') + 2·r·r' = −⟨v(E), v(F)⟩, the Mukai pairing
          ⟨(r, c, s), (r', c', s')⟩ = n·c·c' − r·s' − r'·s of the Mukai vectors.

        An integer for classes on their lattice: on P² the lattice is spanned by the classes of
        O, O(1) and O_p, and on a K3 the Mukai vectors are integral. A ValueError without a surface
        (no Todd class), on another degree, or for classes on different surfaces.
        """
        if not isinstance(other, ChernCharacter):
            raise TypeError(f"euler_form takes a ChernCharacter, not {type(other).__name__}")
        self._same_surface(other)
        n = self._todd_degree()
        r, c, s, r2, c2, s2 = self.rank, self.c1, self.ch2, other.rank, other.c1, other.ch2
        pairing = r * s2 + s * r2 - c * c2  # the degree-two part of ch(E)^∨·ch(F)
        if n == 1:
            chi = pairing + Fraction(3, 2) * (r * c2 - c * r2) + r * r2
        else:
            chi = n * pairing + 2 * r * r2
        assert chi.denominator == 1  # see the docstring: integral on the lattice
        return int(chi)

    def _todd_degree(self) -> int:
        """n = ℓ² of a surface whose Todd class is known here: P² (n = 1) or a K3 surface (n even)."""
        if self.surface is None or (self.surface.degree % 2 and self.surface.degree != 1):
            raise ValueError(f"{self._ch()} is on {self._on()}: χ is known on P2 (surface='P2') and on K3 surfaces "
                             "(Surface(degree=n), n even)")
        return self.surface.degree

    @property
    def name(self) -> str | None:
        """The name of a sheaf of this class, where the class has a usual one; it reads "the class of":
        "O_p" is the class of the sheaf O_p of a point. None where there is no such name.

        O(k); I_Z(k) with ``|Z|`` = c₂ of I_Z; O_p, and O_Z with ``|Z|`` for a class of points
        (rank 0, c₁ = 0); on P² the exceptional bundles (T(k), E_{p/q}: see
        :func:`exceptional_bundles`; Ω(k) = T(k − 3)), O_L(k) for a line L, "O_C(k), deg C = m" for
        a curve C of degree m ≥ 2, and "torsion sheaf of ch (0, m, ch₂)" for a class of rank 0 that
        is no O_C(k); and the shifts [1] of all these.
        """
        if self.rank == 0:
            return self._torsion_name()
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

    def _torsion_name(self) -> str | None:
        """The name of a class of rank 0 (or of its shift [1]: c₁ < 0, or c₁ = 0 and ch₂ < 0).

        Points: a sheaf of rank 0 with c₁ = 0 has a support of dimension 0 (a support curve would
        give c₁ its positive degree), so it is of length ch₂ in points, on any surface: of length 1
        it is O_p, for a point p. Curves, on P²: O_C(k) for a curve C of degree m is the quotient
        O(k)/O(k − m), of ch = ch(O(k)) − ch(O(k − m)) = (0, m, k·m − m²/2). So (0, m, s) is the class
        of O_C(k) exactly when m divides s + m²/2 (an integer on the lattice, c₂ = m²/2 − s). For
        m = 1 that is every class, and a pure sheaf F of it is O_L(k) for a line L: its support is a
        line L, with multiplicity one, so F has length one at the generic point of L; there the
        line's equation F → F(1) vanishes, so its image lies at points, and is zero as F(1) is
        pure. So F is a sheaf on L ≅ P¹ of rank one without torsion. For m ≥ 2 the class does not
        determine the sheaf (O_L(a) ⊕ O_L'(b) with a + b = 2k − 1 has the class of O_C(k), C a conic).
        """
        sheaf, shift = (self, "") if self.c1 > 0 or (self.c1 == 0 and self.ch2 > 0) else (-self, "[1]")
        m, s = sheaf.c1, sheaf.ch2
        if m == 0:
            if self.surface is None or s == 0:
                return None
            count = int(self.surface.degree * s)  # ch₂ in points: an integer on the lattice
            return f"O_p{shift}" if count == 1 else f"O_Z{shift}, |Z| = {count}"
        if self.surface != Surface(1):
            return None
        k, rest = divmod(s + Fraction(m * m, 2), m)
        if rest:
            return f"torsion sheaf of ch (0, {m}, {s}){shift}"
        twist = f"({k})" if k else ""
        return f"O_L{twist}{shift}" if m == 1 else f"O_C{twist}{shift}, deg C = {m}"

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
            raise ValueError(f"{self._ch()} and {other._ch()} live on different surfaces "
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

    def __mul__(self, times: object) -> ChernCharacter:
        """k·ch for an integer k (``2 * E``, ``E * 2``): the class of E^⊕k; a Fraction or a float is
        no multiple on the lattice (a TypeError)."""
        if isinstance(times, (bool, float)) or not hasattr(times, "__index__"):
            return NotImplemented
        k = integer(times, "k")
        return ChernCharacter._on_lattice(k * self.rank, k * self.c1, k * self.ch2, self.surface)

    __rmul__ = __mul__

    # Displays.

    def _text(self) -> str:
        return f"({self.rank}, {self.c1}, {self.ch2})"

    def _ch(self) -> str:
        """The class in a message: "ch = (1, 0, -2)"."""
        return f"ch = {self._text()}"

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
