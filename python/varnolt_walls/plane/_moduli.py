"""Stable sheaves on the plane: the exceptional bundles, the Drézet–Le Potier function δ and, for a
Chern character v on P², whether stable or semistable sheaves of class v exist and the dimension
of their moduli space (Drézet–Le Potier, "Fibrés stables et fibrés exceptionnels sur P₂", Ann. Sci.
ÉNS 1985). The arithmetic is that of `_exceptional`; this module makes classes of it."""

from __future__ import annotations

from dataclasses import dataclass
from fractions import Fraction
from html import escape
from typing import NamedTuple, SupportsIndex

from ..classes._chern import ChernCharacter, Rational, _latex, integer, rational
from ..classes._exceptional import (MOST_DENOMINATOR_BITS, Exceptional, attaining, count_between, delta, exceptional_of, exceptionals,
                           unit_exceptionals)
from ..classes._options import Surface

PLANE = Surface(1)
# The most bundles `exceptional_bundles` lists: a wider interval or a larger max_rank is refused.
MOST_BUNDLES = 100_000


def _number(x: Fraction | int) -> str:
    """x for a message, or its size when it has too many digits to print."""
    x = Fraction(x)
    bits = max(x.numerator.bit_length(), x.denominator.bit_length())
    return str(x) if bits < 4000 else f"a number of {bits} bits"


def _bundle(e: Exceptional) -> ChernCharacter:
    return ChernCharacter._on_lattice(e.rank, e.c1, e.ch2, PLANE)


def exceptional_bundles(lo: Rational, hi: Rational, *, max_rank: SupportsIndex) -> list[ChernCharacter]:
    """The Chern characters of the exceptional bundles on P² with slope in [lo, hi] and rank at most
    `max_rank`, in increasing slope.

    An exceptional bundle E (Hom(E, E) = ℂ, Ext¹ = Ext² = 0) is determined by its slope α, and has
    rank r_α and discriminant Δ_α = (1 − 1/r_α²)/2 (Drézet–Le Potier, "Fibrés stables et fibrés
    exceptionnels sur P₂", Ann. Sci. ÉNS 1985). The slopes are the integers (the line bundles O(k))
    and, between two neighbours α < β, α.β = (α + β)/2 + (Δ_β − Δ_α)/(3 + α − β), of rank
    r_α·r_β·(3 + α − β); the ranks are the Markov numbers 1, 2, 5, 13, 29, 34, ... Each class is
    named: O(k), T(k) for the twists of the tangent bundle, E_{p/q} by slope for the others.

    Parameters
    ----------
    lo, hi : int, Fraction or str
        The interval of slopes, exactly ("p/q" as a text); lo <= hi.
    max_rank : int
        The largest rank listed, at least 1.

    Returns
    -------
    list of ChernCharacter
        On P2, by increasing slope. More than 100 000 bundles is a ValueError.

    Examples
    --------
    >>> [(v.rank, str(v.ch2), v.name) for v in exceptional_bundles(0, "1/2", max_rank=5)]
    [(1, '0', 'O'), (5, '-2', 'E_{2/5}'), (2, '-1/2', 'T(-1)')]
    """
    low, high = rational(lo, "lo"), rational(hi, "hi")
    bound = integer(max_rank, "max_rank")
    if low > high:
        raise ValueError(f"the interval [{_number(low)}, {_number(high)}] is empty: lo must be at most hi")
    if not 1 <= bound < 1 << MOST_DENOMINATOR_BITS:
        raise ValueError(f"max_rank must be at least 1 and below 2^{MOST_DENOMINATOR_BITS}, not {_number(bound)}")
    # The slopes of [n, n + 1) are those of [0, 1) plus n: the tree is built once, and counted
    # before anything is listed.
    too_many = ValueError(f"more than {MOST_BUNDLES} exceptional bundles have slope in [{_number(low)}, "
                          f"{_number(high)}] and rank at most {_number(bound)}: narrow the interval or lower max_rank")
    try:
        unit = unit_exceptionals(bound, MOST_BUNDLES)
    except OverflowError:
        raise too_many from None
    if count_between(unit, low, high) > MOST_BUNDLES:
        raise too_many
    return [_bundle(e) for e in exceptionals(low, high, unit)]


class DrezetLePotier(NamedTuple):
    """δ(μ) and the exceptional bundle that attains it (see :func:`drezet_le_potier`)."""

    delta: Fraction
    slope: Fraction
    bundle: ChernCharacter


def drezet_le_potier(mu: Rational) -> DrezetLePotier:
    """The Drézet–Le Potier function δ(μ) of P², exactly, and the exceptional slope that attains it.

    δ(μ) = sup ``P(−|μ − α|) − Δ_α`` over the exceptional slopes α with ``|μ − α| < 3``, where
    P(x) = (x + 1)(x + 2)/2 and Δ_α = (1 − 1/r_α²)/2. For a rational μ the supremum is attained by
    the one α with ``|μ − α| < x_α = (3 − √(5 + 8Δ_α))/2`` (these intervals are disjoint), found here
    by descending the dyadic construction of the exceptional slopes, with exact integer tests.
    By Drézet–Le Potier ("Fibrés stables et fibrés exceptionnels sur P₂", Ann. Sci. ÉNS 1985), a
    non-exceptional stable sheaf of slope μ and discriminant Δ exists iff Δ ≥ δ(μ).

    Parameters
    ----------
    mu : int, Fraction or str
        The slope, exactly ("p/q" as a text; a float is a TypeError). Its denominator may have
        up to 2048 bits (about 617 digits); a larger one is a ValueError.

    Returns
    -------
    DrezetLePotier
        ``delta``, the Fraction δ(μ); ``slope``, the exceptional α that attains it; ``bundle``,
        the class of its exceptional bundle on P2.

    Examples
    --------
    >>> drezet_le_potier(0)
    DrezetLePotier(delta=Fraction(1, 1), slope=Fraction(0, 1), bundle=ch(1, 0, 0, surface='P2'))
    >>> found = drezet_le_potier("2/5")
    >>> found.delta, found.bundle.name
    (Fraction(13, 25), 'E_{2/5}')
    """
    slope = rational(mu, "mu")
    e = attaining(slope)
    return DrezetLePotier(delta(slope, e), e.slope, _bundle(e))


@dataclass(frozen=True, slots=True)
class PlaneModuli:
    """What :func:`moduli` says of the sheaves of class v on P².

    Attributes
    ----------
    chern_character : ChernCharacter
        v as given.
    sheaf : ChernCharacter
        The class of the sheaves: v, or −v when v is the class of a shifted sheaf E[1] (rank < 0,
        or rank 0 and c₁ < 0).
    stable_exists, semistable_exists : bool
        Whether a (Gieseker-) stable, a semistable sheaf of class `sheaf` exists.
    exceptional : bool
        Whether `sheaf` is the class of an exceptional bundle (its one stable sheaf).
    dimension : int or None
        The dimension of the moduli space of stable sheaves (irreducible); None without them.
    expected_dimension : int
        1 − χ(v, v) = r²(2Δ − 1) + 1 (c₁² + 1 in rank 0).
    euler_characteristic : int
        χ(v) = r + 3c₁/2 + ch₂ of `sheaf`.
    discriminant : Fraction or None
        Δ = μ²/2 − ch₂/r of `sheaf`, the normalisation of δ; None in rank 0.
    delta, exceptional_slope : Fraction or None
        δ(μ) and the exceptional slope that attains it; None in rank 0.
    """

    chern_character: ChernCharacter
    sheaf: ChernCharacter
    stable_exists: bool
    semistable_exists: bool
    exceptional: bool
    dimension: int | None
    expected_dimension: int
    euler_characteristic: int
    discriminant: Fraction | None
    delta: Fraction | None
    exceptional_slope: Fraction | None

    def _verdict(self) -> str:
        """What exists, after the colon."""
        w = self.sheaf
        if w.rank == 0:
            return f"stable sheaves exist (on curves of degree {w.c1}), dimension {self.dimension}"
        if self.exceptional:
            return f"one stable sheaf, the exceptional bundle {w.name}, dimension 0"
        if self.stable_exists:
            return f"stable sheaves exist, dimension {self.dimension}"
        mu = Fraction(w.c1, w.rank)
        if self.semistable_exists:
            assert self.exceptional_slope is not None
            e = attaining(self.exceptional_slope)
            return (f"no stable sheaf; semistable ones, of class {w.rank // e.rank}·ch({_bundle(e).name}) "
                    "(a multiple of an exceptional class)")
        return f"no semistable sheaf (Δ = {self.discriminant} < δ({mu}) = {self.delta})"

    def _shift(self, minus: str) -> str:
        """", the shifts E[1] of ..." for a shifted class, else ""."""
        w = self.sheaf
        if w == self.chern_character:
            return ""
        return f", the shifts E[1] of the sheaves E of class ({w.rank}, {w.c1}, {w.ch2})".replace("-", minus)

    def __str__(self) -> str:
        v = self.chern_character
        subject = f"M({v.rank}, {v.c1}, {v.ch2})".replace("-", "−")
        return f"{subject} on P²{self._shift('−')}: {self._verdict()}"

    def _repr_html_(self) -> str:
        return escape(str(self))

    def _repr_latex_(self) -> str:
        v = self.chern_character
        verdict = self._verdict().replace("Δ", r"$\Delta$").replace("δ", r"$\delta$")
        return rf"$M({v.rank}, {v.c1}, {_latex(v.ch2)})$ on $\mathbb{{P}}^2${self._shift('-')}: {verdict}"


def moduli(v: ChernCharacter) -> PlaneModuli:
    """Whether stable and semistable sheaves of class v exist on P², and the dimension of their moduli.

    By Drézet–Le Potier ("Fibrés stables et fibrés exceptionnels sur P₂", Ann. Sci. ÉNS 1985), for
    v = (r, c, ch₂) with r > 0, slope μ = c/r and Δ = μ²/2 − ch₂/r: a non-exceptional stable sheaf
    of class v exists iff Δ ≥ δ(μ) (see :func:`drezet_le_potier`), and then the moduli space of
    stable sheaves is irreducible of dimension r²(2Δ − 1) + 1; the class of an exceptional bundle
    carries exactly that one stable sheaf, and its multiples k·v (k ≥ 2) semistable sheaves only.
    In rank 0 (sheaves on curves of degree c > 0) stable sheaves exist for every χ, in dimension
    c² + 1. A v of negative rank (or of rank 0 with c < 0) is the class of a shifted sheaf E[1]:
    the answer is that of −v.

    Parameters
    ----------
    v : ChernCharacter
        A class on P2 (``surface="P2"``); a class without a surface, or on another surface, is a
        ValueError, as is v = (0, 0, ch₂).

    Returns
    -------
    PlaneModuli
        Its text, LaTeX and HTML forms say it in one sentence.

    Examples
    --------
    >>> from varnolt_walls import ch
    >>> print(moduli(ch(2, 0, -2, surface="P2")))
    M(2, 0, −2) on P²: stable sheaves exist, dimension 5
    >>> print(moduli(ch(3, 0, -2, surface="P2")))
    M(3, 0, −2) on P²: no semistable sheaf (Δ = 2/3 < δ(0) = 1)
    """
    if not isinstance(v, ChernCharacter):
        raise TypeError(f"v must be a ChernCharacter on P2 (ch(r, c, ch2, surface='P2')), not {type(v).__name__}")
    if v.surface is None:
        raise ValueError(f"{v} has no surface: the moduli of sheaves are known on P2; give surface='P2'")
    if v.surface != PLANE:
        raise ValueError(f"{v}: no theorem on the existence of stable sheaves on {v.surface} is built in; "
                         "moduli answers on P2 (surface='P2')")
    w = -v if v.rank < 0 or (v.rank == 0 and v.c1 < 0) else v
    if w.rank == 0 and w.c1 == 0:
        raise ValueError(f"{v} has rank 0 and c1 = 0, the class of a sheaf of points: moduli takes a class of "
                         "rank ≠ 0, or of rank 0 with c1 ≠ 0 (sheaves on curves)")
    expected = int(1 - w.rank * w.rank + w.discriminant)  # 1 − χ(v, v): c² + 1 in rank 0
    if w.rank == 0:
        return PlaneModuli(v, w, True, True, False, expected, expected, w.euler_characteristic, None, None, None)
    # Δ of Drézet–Le Potier is ChernCharacter.discriminant/(2r²), and 1 − χ(v, v) = r²(2Δ − 1) + 1.
    discriminant = w.discriminant / (2 * w.rank * w.rank)
    mu = Fraction(w.c1, w.rank)
    e = attaining(mu)
    bound = delta(mu, e)
    is_exceptional = exceptional_of(w.rank, w.c1, w.ch2) is not None
    multiple = mu == e.slope and discriminant == e.discriminant
    stable = is_exceptional or discriminant >= bound
    return PlaneModuli(v, w, stable, stable or multiple, is_exceptional, expected if stable else None,
                       expected, w.euler_characteristic, discriminant, bound, e.slope)


def no_sheaf_note(v: ChernCharacter) -> str:
    """"; no Gieseker-semistable sheaf has this character" for a class on P² that carries none (for a
    shifted class v, when −v carries none), for the captions of its walls; "" otherwise, and where
    it is not known (off P², a denominator too large for δ)."""
    try:
        found = moduli(v)
    except ValueError:
        return ""
    if found.semistable_exists:
        return ""
    return "; no Gieseker-semistable sheaf has " + ("this character" if found.sheaf == v else "the character −v")
