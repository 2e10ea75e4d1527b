"""A brute-force Python model of the search bounded by rank, for differential tests.

It works from the conditions only, with Python integers, Fractions and exact sign tests of
numbers a + b·√Δ (a, b Fractions), never with the search's scaled bounds:

* β = β₋ of v = (r, c, d/2): (c − √Δ)/r with Δ = c² − r·d when r ≠ 0 and Δ ≥ 0 (Δ may be a
  square, then β is rational), d/(2c) when r = 0 and c ≠ 0.
* A candidate u = (r', c', d'/2) with 1 ≤ r' ≤ R has q = c' − r'·β and S = c − r·β with
  0 < q < S and r' > r·q/S; its twisted ch2 t = d'/2 − β·c' + β²·r'/2 satisfies 0 < t ≤ the least
  of q²/(2r'), δ²/(2(r' − r)) when r' > r and δ·q/(r − 2r') when 2r' < r, with δ = S − q.
* For every rank, c' and d' run over a box found from close rational approximations (isqrt)
  and widened by a margin;
  each condition is then decided exactly, and the box edges are checked to fail, so the box
  holds every candidate.

The results are sorted by q (exactly), then r', then d'.  `bounded_candidates` returns
("ok", list of (r', c', d')) or ("error", message); a negative rank defers to the unbounded model.
"""

from fractions import Fraction
from functools import cmp_to_key
from math import ceil, floor, isqrt

from search_model import search as unbounded_search

NOT_REAL = "β_ is not real: no walls"
MARGIN = 3
PRECISION = 40


class Real:
    """The exact real number a + b·√radicand, with Fraction parts."""

    def __init__(self, a, b, radicand):
        self.a, self.b, self.radicand = Fraction(a), Fraction(b), radicand

    def __add__(self, other):
        other = self._lift(other)
        return Real(self.a + other.a, self.b + other.b, self.radicand)

    __radd__ = __add__

    def __neg__(self):
        return Real(-self.a, -self.b, self.radicand)

    def __sub__(self, other):
        return self + (-self._lift(other))

    def __rsub__(self, other):
        return self._lift(other) - self

    def __mul__(self, other):
        other = self._lift(other)
        return Real(self.a * other.a + self.b * other.b * self.radicand,
                    self.a * other.b + self.b * other.a, self.radicand)

    __rmul__ = __mul__

    def __truediv__(self, k):
        return Real(self.a / k, self.b / k, self.radicand)

    def _lift(self, x):
        return x if isinstance(x, Real) else Real(x, 0, self.radicand)

    def sign(self):
        """Sign of a + b·√D: the common sign of a and b, else compare a² with b²·D."""
        sa = (self.a > 0) - (self.a < 0)
        sb = (self.b > 0) - (self.b < 0) if self.radicand else 0
        if sb == 0 or sa == sb:
            return sa or sb
        if sa == 0:
            return sb
        square_a, square_b = self.a * self.a, self.b * self.b * self.radicand
        return sa if square_a > square_b else sb if square_a < square_b else 0

    def approx(self):
        """A Fraction within 2^-39 of the value, at any magnitude (a float would not do near 2^63)."""
        scaled = self.b * self.b * self.radicand * 4**PRECISION
        root = Fraction(isqrt(floor(scaled)), 2**PRECISION)
        return self.a + (root if self.b > 0 else -root)


def real_beta(r, c, d):
    """β₋ of v as a Real, or None when v has no real β₋."""
    if r == 0:
        return Real(Fraction(d, 2 * c), 0, 0) if c != 0 else None
    discriminant = c * c - r * d
    if discriminant < 0:
        return None
    root = isqrt(discriminant)
    if root * root == discriminant:
        return Real(Fraction(c - root, r), 0, 0)
    return Real(Fraction(c, r), Fraction(-1, r), discriminant)


def _q_holds(v_r, twisted_v, rank, q):
    """0 < q < S and v.r·q < r'·S: the conditions that do not involve d'."""
    return q.sign() > 0 and (twisted_v - q).sign() > 0 and (rank * twisted_v - v_r * q).sign() > 0


def _ch2_bounds(v_r, beta, twisted_v, rank, c1):
    """(L, caps) of (r', c'): the twisted ch2 is t = d'/2 − L with L = β·c' − β²·r'/2, and the
    conditions on d' are 0 < t and t ≤ every cap."""
    q = c1 - rank * beta
    delta = twisted_v - q
    caps = [q * q / (2 * rank)]
    if rank > v_r:
        caps.append(delta * delta / (2 * (rank - v_r)))
    if 2 * rank < v_r:
        caps.append(delta * q / (v_r - 2 * rank))
    return beta * c1 - beta * beta * rank / 2, caps


def _ch2_holds(bounds, d1):
    lower, caps = bounds
    twisted_ch2 = Fraction(d1, 2) - lower
    return twisted_ch2.sign() > 0 and all((cap - twisted_ch2).sign() >= 0 for cap in caps)


def _holds(v_r, beta, twisted_v, rank, c1, d1):
    """Whether (rank, c1, d1) meets every condition, each decided by one exact sign."""
    return (_q_holds(v_r, twisted_v, rank, c1 - rank * beta)
            and _ch2_holds(_ch2_bounds(v_r, beta, twisted_v, rank, c1), d1))


def _coefficient_box(beta, twisted_v, rank):
    low = (rank * beta).approx()
    return range(floor(low) - MARGIN, ceil(low + twisted_v.approx()) + MARGIN + 1)


def _ch2_box(beta, twisted_v, rank, c1):
    """d' box: 0 < t ≤ q²/(2r') < S²/(2r') puts d' in (2L, 2L + S²/r']."""
    q = c1 - rank * beta
    twice_lower = (2 * beta * q + beta * beta * rank).approx()
    width = twisted_v.approx() ** 2 / rank
    return range(floor(twice_lower) - MARGIN, ceil(twice_lower + width) + MARGIN + 1)


def _cmp_by_q(beta):
    def compare(u, w):
        order = ((u[1] - w[1]) - (u[0] - w[0]) * beta).sign()
        return order or (u[0] > w[0]) - (u[0] < w[0]) or (u[2] > w[2]) - (u[2] < w[2])
    return compare


def bounded_candidates(r, c, d, max_rank):
    """("ok", candidates of rank ≤ max_rank in order) or ("error", message)."""
    if r < 0:
        status, result = unbounded_search(r, c, d)
        return (status, [u for u in result if u[0] <= max_rank]) if status == "ok" else (status, result)
    beta = real_beta(r, c, d)
    if beta is None:
        return ("error", NOT_REAL)
    twisted_v = c - r * beta
    if twisted_v.sign() <= 0:  # no q with 0 < q < S
        return ("ok", [])
    found = []
    for rank in range(1, max_rank + 1):
        coefficients = _coefficient_box(beta, twisted_v, rank)
        for c1 in coefficients:
            # The conditions on q do not involve d': when they fail, no d' of this c' holds.
            if not _q_holds(r, twisted_v, rank, c1 - rank * beta):
                continue
            bounds = _ch2_bounds(r, beta, twisted_v, rank, c1)
            ch2s = _ch2_box(beta, twisted_v, rank, c1)
            found.extend((rank, c1, d1) for d1 in ch2s if _ch2_holds(bounds, d1))
            assert not _ch2_holds(bounds, ch2s[0]) and not _ch2_holds(bounds, ch2s[-1])
        for edge in (coefficients[0], coefficients[-1]):
            assert not _q_holds(r, twisted_v, rank, edge - rank * beta)
    found.sort(key=cmp_to_key(_cmp_by_q(beta)))
    return ("ok", found)
