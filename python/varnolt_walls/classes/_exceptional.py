"""Exceptional slopes on the plane and the Drézet–Le Potier function δ, in exact integer arithmetic.

A class on P² is v = (r, c, ch₂) with slope μ = c/r and discriminant Δ = μ²/2 − ch₂/r. Its
exceptional bundles (Drézet–Le Potier, "Fibrés stables et fibrés exceptionnels sur P₂", Ann. Sci.
ÉNS 1985) are determined by their slope α, of rank r_α and Δ_α = (1 − 1/r_α²)/2. Every integer
is one (O(k)); between two neighbours α < β of the dyadic construction the next one is

    α.β = (α + β)/2 + (Δ_β − Δ_α)/(3 + α − β),   of rank r_α·r_β·(3 + α − β),

and t ↦ ε(t) (ε(n) = n, ε((2p + 1)/2^(q+1)) = ε(p/2^q).ε((p + 1)/2^q)) is an increasing bijection
from the dyadic numbers onto the exceptional slopes. The intervals I_α = (α − x_α, α + x_α),
x_α = (3 − √(5 + 8Δ_α))/2, are disjoint, every rational μ lies in one of them, and there
δ(μ) = P(−|μ − α|) − Δ_α with P(x) = (x + 1)(x + 2)/2. Those are the paper's statements; what this
module adds is proved where it is used:

(R) The rank of α.β is at least twice each of r_α and r_β. Both lie in one [n, n + 1], so
    β − α ≤ 1 and 3 + α − β ≥ 2: r_α·r_β·(3 + α − β) ≥ 2·r_α·r_β ≥ 2·max(r_α, r_β).

(B) If μ = p/q (lowest terms) lies in I_α then r_α ≤ q. Write α = c/r, in lowest terms: with
    ch₂ = c²/2 − c₂, χ(v, v) = r² − c² + r·c² − 2r·c₂ = 1, so gcd(r, c) = 1. Let N = |p·r − c·q|.
    If N = 0 then α = μ and r = q. Otherwise N ≥ 1 and the test of `in_interval` gives N·(3qr − N) < q² with N ≤ 3qr/2,
    where N·(3qr − N) is increasing in N, so 3qr − 1 ≤ N·(3qr − N) < q²: r < q/3 + 1/(3q) ≤ q.

Everything is exact: a comparison with the square root is made between integers, squared.
"""

from __future__ import annotations

from bisect import bisect_left
from collections.abc import Iterator
from fractions import Fraction
from typing import NamedTuple

# The largest denominator of μ, in bits, that `attaining` takes: 2048 bits (about 617 digits).
# By (R) and (B) its descent takes at most log₂ q ≤ 2048 steps, each a few products of integers
# of at most 2·2048 bits: a tenth of a second at worst. A larger denominator is refused, not slow.
MOST_DENOMINATOR_BITS = 2048


class Exceptional(NamedTuple):
    """The exceptional bundle of slope c1/rank: its rank and first Chern class (coprime)."""

    rank: int
    c1: int

    @property
    def slope(self) -> Fraction:
        return Fraction(self.c1, self.rank)

    @property
    def discriminant(self) -> Fraction:
        """Δ_α = (1 − 1/r_α²)/2."""
        return (1 - Fraction(1, self.rank * self.rank)) / 2

    @property
    def ch2(self) -> Fraction:
        """ch₂ = r_α·(α²/2 − Δ_α) = (c² − r² + 1)/(2r)."""
        return Fraction(self.c1 * self.c1 - self.rank * self.rank + 1, 2 * self.rank)

    def twist(self, k: int) -> Exceptional:
        return Exceptional(self.rank, self.c1 + k * self.rank)


def child(a: Exceptional, b: Exceptional) -> Exceptional:
    """a.b for neighbours a < b of the dyadic construction, in integers.

    With t = 3 + α − β the rank is r_α·r_β·t = 3·r_α·r_β + c_α·r_β − c_β·r_α, and
    c = rank·(α + β)/2 + r_α·r_β·(1/r_α² − 1/r_β²)/2 = (rank·(c_α·r_β + c_β·r_α) + r_β² − r_α²)/(2·r_α·r_β),
    an integer since a.b is the slope of a bundle of that rank.
    """
    rank = 3 * a.rank * b.rank + a.c1 * b.rank - b.c1 * a.rank
    c1, remainder = divmod(rank * (a.c1 * b.rank + b.c1 * a.rank) + b.rank * b.rank - a.rank * a.rank,
                           2 * a.rank * b.rank)
    if remainder:
        raise ArithmeticError(f"{a} and {b} are not neighbours of the dyadic construction")
    return Exceptional(rank, c1)


def in_interval(p: int, q: int, e: Exceptional) -> bool:
    """Whether μ = p/q (q > 0) lies in I_α = (α − x_α, α + x_α), exactly.

    With d = |μ − α| = N/(q·r), N = |p·r − c·q|, and 5 + 8Δ_α = (9r² − 4)/r²: d < x_α means
    √(9r² − 4)/r < 3 − 2d. The right side must be positive (2N < 3qr); then both sides squared,
    times q²r²: (9r² − 4)·q² < (3qr − 2N)², that is N·(3qr − N) < q². (No rational μ is at an end of
    I_α: 9r² − 4 is never a square, as (3r − s)(3r + s) = 4 has no solution with r ≥ 1.)
    """
    r = e.rank
    n = abs(p * r - e.c1 * q)
    return 2 * n < 3 * q * r and n * (3 * q * r - n) < q * q


def attaining(mu: Fraction) -> Exceptional:
    """The exceptional α with μ in I_α, the one that attains δ(μ), found by descending the dyadic tree.

    Why the descent ends at it: let α* be the exceptional slope with μ ∈ I_α*, and let a < b be the
    ends of the current interval, with a < μ < b and μ in neither I_a nor I_b. If α* ≤ a, then
    α* < a < μ (α* ≠ a as μ ∉ I_a), so a ∈ (α*, μ) ⊂ I_α*, while a ∈ I_a: two of the disjoint
    intervals meet. So α* > a, and likewise α* < b. Since ε is increasing, α* = ε(t*) with t*
    between the dyadic numbers of a and b; each step replaces (a, b) by the half of the dyadic
    interval that holds t* (or stops at its midpoint t*), and t* has a finite dyadic level. By (R)
    the ranks met double at every step and by (B) r_α* ≤ q, so at most log₂ q steps are taken:
    a rank above q would contradict the paper's theorem and raises ArithmeticError.

    A denominator of more than MOST_DENOMINATOR_BITS bits is a ValueError.
    """
    q = mu.denominator
    if q.bit_length() > MOST_DENOMINATOR_BITS:
        raise ValueError(f"μ has a denominator of {q.bit_length()} bits; δ(μ) is computed for denominators of "
                         f"at most {MOST_DENOMINATOR_BITS} bits (its descent takes up to one step per bit)")
    n, p = divmod(mu.numerator, q)  # μ = n + p/q, 0 ≤ p < q: the tree of [n, n + 1] is that of [0, 1] + n
    a, b = Exceptional(1, 0), Exceptional(1, 1)
    for e in (a, b):
        if in_interval(p, q, e):
            return e.twist(n)
    while True:
        middle = child(a, b)
        if middle.rank > q:
            raise ArithmeticError(f"no exceptional slope of rank at most {q} attains δ({mu})")
        if in_interval(p, q, middle):
            return middle.twist(n)
        if p * middle.rank < middle.c1 * q:
            b = middle
        else:
            a = middle


def delta(mu: Fraction, e: Exceptional) -> Fraction:
    """P(−|μ − α|) − Δ_α, which is δ(μ) for the α that `attaining` gives."""
    d = abs(mu - e.slope)
    return (1 - d) * (2 - d) / 2 - e.discriminant


def unit_exceptionals(max_rank: int, most: int) -> list[Exceptional]:
    """The exceptional slopes in [0, 1) of rank at most max_rank, increasing; OverflowError beyond `most`.

    [0, 1] is subdivided in order (left part, middle, right part), with an explicit stack. A middle
    a.b of rank above max_rank is not descended into: by (R) every slope strictly between a and b
    other than a.b is a descendant of a.b, of a still larger rank. By (R) the subdivision is at most
    log₂(max_rank) + 1 deep, and the stack holds at most two entries per level.
    """
    found = [Exceptional(1, 0)]
    stack: list[tuple[Exceptional, Exceptional] | Exceptional] = [(Exceptional(1, 0), Exceptional(1, 1))]
    while stack:
        top = stack.pop()
        if isinstance(top, Exceptional):
            found.append(top)
            if len(found) > most:
                raise OverflowError(most)
            continue
        a, b = top
        middle = child(a, b)
        if middle.rank <= max_rank:
            stack += [(middle, b), middle, (a, middle)]  # taken from the end: left part first
    return found


def count_between(unit: list[Exceptional], lo: Fraction, hi: Fraction) -> int:
    """How many twists of the slopes of `unit` (all those in [0, 1), increasing) lie in [lo, hi]."""
    slopes = [e.slope for e in unit]

    def below(x: Fraction) -> int:  # those in [0, x) less those in [x, 0), for x ≥ 0 and x < 0 alike
        n = x.numerator // x.denominator
        return n * len(unit) + bisect_left(slopes, x - n)

    n = hi.numerator // hi.denominator
    i = bisect_left(slopes, hi - n)
    at_hi = i < len(slopes) and slopes[i] == hi - n
    return below(hi) - below(lo) + at_hi


def exceptionals(lo: Fraction, hi: Fraction, unit: list[Exceptional]) -> Iterator[Exceptional]:
    """The twists of the slopes of `unit` (all those in [0, 1) of some rank bound) in [lo, hi], increasing."""
    for n in range(lo.numerator // lo.denominator, hi.numerator // hi.denominator + 1):
        for e in unit:
            if lo <= e.slope + n <= hi:
                yield e.twist(n)


def exceptional_of(rank: int, c1: int, ch2: Fraction) -> Exceptional | None:
    """The exceptional bundle whose class is (rank, c1, ch2) on P², rank > 0; None for any other class."""
    if rank <= 0 or ch2 != Exceptional(rank, c1).ch2:
        return None
    try:
        found = attaining(Fraction(c1, rank))
    except ValueError:  # a denominator too large to decide: no name
        return None
    return found if found == (rank, c1) else None


def exceptional_name(rank: int, c1: int, ch2: Fraction) -> str | None:
    """The name of an exceptional class of rank ≥ 2 on P², or of its shift [1] (negative rank).

    T(k) for the twists of the tangent bundle (rank 2, ch(T) = (2, 3, 3/2), slope k + 3/2),
    E_{p/q} for the others, named by their slope p/q (so E_{7/5} = E_{2/5}(1)); None for others.
    """
    found = exceptional_of(abs(rank), abs(rank) // rank * c1, abs(rank) // rank * ch2) if rank else None
    if found is None or found.rank < 2:
        return None
    shift = "" if rank > 0 else "[1]"
    if found.rank == 2:
        k = (found.c1 - 3) // 2
        return f"T({k}){shift}" if k else f"T{shift}"
    return f"E_{{{found.slope}}}{shift}"
