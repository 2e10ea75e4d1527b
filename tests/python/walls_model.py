"""The grouping of candidates into walls as the package first did it, in Python integers: the
reference the native grouping is tested against. (center, radius², semistabilizers) per wall,
largest radius² first, then by center; each wall's candidates in the order given."""

from fractions import Fraction
from math import gcd


def _lowest_terms(numerator, denominator):
    if denominator < 0:
        numerator, denominator = -numerator, -denominator
    g = gcd(numerator, denominator)
    return numerator // g, denominator // g


def _wall_terms(v, u):
    (big_r, big_c, big_d), (r, c, d) = v, u
    a = big_r * d - r * big_d
    e = big_r * c - r * big_c
    b = d * big_c - big_d * c
    return _lowest_terms(a, 2 * e), _lowest_terms(a * a - 4 * e * b, 4 * e * e)


def model_walls(v, rows):
    found = {}
    for u in rows:
        found.setdefault(_wall_terms(v, tuple(u)), []).append(tuple(u))
    result = [(Fraction(*center), Fraction(*radius_squared), tuple(us))
              for (center, radius_squared), us in found.items()]
    result.sort(key=lambda w: (-w[1], w[0]))
    return result
