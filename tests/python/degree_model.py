"""An exact model of the left candidates of v on a surface with Pic = ℤ·ℓ, ℓ² = n, for a rational β₋.

Every class u = (r', c', d') of the surface's lattice, d' ∈ c'² + (2/n)ℤ (c₂ integral), is
enumerated with Fractions and kept by the conditions of search_model.py: q = c' − r'·β in
(0, ch1^β(v)), r' > v.r·q/ch1^β(v), and the twisted ch2 t = ch2' − β·c' + β²·r'/2 with 0 < t at
most the least cap that applies (q²/(2r'), δ²/(2(r' − v.r)), δ·q/(v.r − 2r'), δ = ch1^β(v) − q).
Ranks: with β = m/N, t lies in (1/(2nN²))ℤ (ch2' ∈ (1/(2n))ℤ, β·c' ∈ (1/N)ℤ), so
1/(2nN²) <= t <= q²/(2r') = k²/(2N²r') gives r' <= n·k²: the model visits r' <= n·X², X = N·ch1^β(v).
"""

from fractions import Fraction
from math import floor, isqrt


def square_root(x):
    """√x for a Fraction x >= 0 that is a square of one, else None."""
    a, b = isqrt(x.numerator), isqrt(x.denominator)
    return Fraction(a, b) if a * a == x.numerator and b * b == x.denominator else None


def beta_minus(r, c, d):
    if r == 0:
        return Fraction(d) / (2 * c)
    root = square_root(c * c - r * Fraction(d))
    return None if root is None else (c - root) / r


def candidates(v, n):
    """[(r', c', d')] in the order (q, r', d'), d' a Fraction."""
    big_r, big_c, big_d = v
    beta = beta_minus(*v)
    twisted = big_c - big_r * beta
    x = int(twisted * beta.denominator)  # an integer: N·c − r·m
    found = []
    for k in range(1, x):
        q = Fraction(k, beta.denominator)
        delta = twisted - q
        for rank in range(1, n * x * x + 1):
            c1 = q + rank * beta
            if rank <= big_r * q / twisted or c1.denominator != 1:
                continue
            caps = [q * q / (2 * rank)]
            if rank > big_r:
                caps.append(delta * delta / (2 * (rank - big_r)))
            if 2 * rank < big_r:
                caps.append(delta * q / (big_r - 2 * rank))
            at_zero = 2 * (beta * c1 - beta * beta * rank / 2)  # d' at t = 0
            low, high = (n * (at_zero - c1 * c1) / 2, n * (at_zero + 2 * min(caps) - c1 * c1) / 2)
            found.extend((rank, int(c1), c1 * c1 + Fraction(2 * j, n))
                         for j in range(floor(low) + 1, floor(high) + 1))
    return found


def wall(v, u):
    """(center, radius²) of u's numerical wall against v, ch2 = d/2 on both."""
    big_r, big_c, big_d = v
    r, c, d = u
    e = big_r * c - r * big_c
    center = (big_r * Fraction(d) - r * Fraction(big_d)) / (2 * e)
    return center, center * center - (Fraction(d) * big_c - Fraction(big_d) * c) / e


def walls(v, n):
    """{(center, radius²): set of classes} of the model's candidates."""
    grouped = {}
    for u in candidates(v, n):
        grouped.setdefault(wall(v, u), set()).add(u)
    return grouped
