"""A brute-force model of stable sheaves on P², independent of the dyadic construction.

The exceptional classes are found by mutating exceptional collections: from (O, O(1), O(2)),
every triple reached by mutations of neighbours (the class of L_A B is ±(ch B − χ(A, B)·ch A))
and by turning the helix ((A, B, C) → (B, C, A(3))), keeping ranks ≤ R. Along the Markov tree the
largest rank of a triple only grows away from (1, 1, 1), so every exceptional class of rank ≤ R
is met. δ(μ) is the plain maximum of P(−|μ − α|) − Δ_α over the exceptional slopes of rank ≤ R
within distance 3 of μ.
"""

from fractions import Fraction
from functools import cache


def chi(v, w):
    """χ(v, w) = ∫ ch(v)^∨·ch(w)·td(P²) with td = (1, 3/2, 1)."""
    (r, c, d), (s, e, f) = v, w
    return r * s + Fraction(3, 2) * (r * e - s * c) + r * f + s * d - c * e


def twist(v, k):
    r, c, d = v
    return r, c + r * k, d + c * k + Fraction(r * k * k, 2)


def positive(v):
    r, c, d = v if v[0] > 0 else tuple(-x for x in v)
    return int(r), int(c), Fraction(d)


def normal(triple):
    """The twist of a triple whose first slope is in [0, 1)."""
    r, c, _ = triple[0]
    return tuple(twist(v, -(c // r)) for v in triple)


@cache
def exceptional_classes(max_rank, lo, hi):
    """Every exceptional class (r, c, ch2) with rank ≤ max_rank and slope in [lo, hi], by slope."""
    start = normal(((1, 0, Fraction(0)), (1, 1, Fraction(1, 2)), (1, 2, Fraction(2))))
    seen, todo = {start}, [start]
    while todo:
        a, b, c = todo.pop()
        moves = [(positive(tuple(y - chi(a, b) * x for x, y in zip(a, b))), a, c),  # L_A B, A, C
                 (b, positive(tuple(x - chi(a, b) * y for x, y in zip(a, b))), c),  # B, R_B A, C
                 (a, positive(tuple(y - chi(b, c) * x for x, y in zip(b, c))), b),
                 (a, c, positive(tuple(x - chi(b, c) * y for x, y in zip(b, c)))),
                 (b, c, twist(a, 3))]
        for triple in map(normal, moves):
            if triple not in seen and all(v[0] <= max_rank for v in triple):
                seen.add(triple)
                todo.append(triple)
    found = {twist(v, k) for triple in seen for v in triple for k in range(lo - 3, hi + 3)}
    return sorted((v for v in found if lo <= Fraction(v[1], v[0]) <= hi), key=lambda v: Fraction(v[1], v[0]))


def delta(mu, max_rank):
    """max P(−|μ − α|) − Δ_α over the exceptional α of rank ≤ max_rank with |μ − α| < 3."""
    best = None
    for r, c, _ in exceptional_classes(max_rank, int(mu // 1) - 3, int(mu // 1) + 4):
        d = abs(mu - Fraction(c, r))
        if d < 3:
            value = (1 - d) * (2 - d) / 2 - (1 - Fraction(1, r * r)) / 2
            best = value if best is None else max(best, value)
    return best


def existence(r, c, ch2, max_rank):
    """(stable, semistable, exceptional, dimension) of sheaves of class (r, c, ch2), r > 0."""
    mu = Fraction(c, r)
    disc = mu * mu / 2 - ch2 / r
    exceptional_here = [v for v in exceptional_classes(max_rank, int(mu // 1), int(mu // 1) + 1)
                        if Fraction(v[1], v[0]) == mu]
    exceptional = any(v == (r, c, ch2) for v in exceptional_here)
    multiple = any(r % v[0] == 0 and disc == mu * mu / 2 - v[2] / v[0] for v in exceptional_here)
    stable = exceptional or disc >= delta(mu, max_rank)
    dimension = r * r * (2 * disc - 1) + 1
    return stable, stable or multiple, exceptional, int(dimension) if stable else None
