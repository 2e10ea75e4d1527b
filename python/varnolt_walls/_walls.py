"""The numerical walls that the candidates give, exactly."""

from __future__ import annotations

from collections.abc import Iterable
from dataclasses import dataclass
from fractions import Fraction
from math import gcd

from ._options import Point, Side, Surface
from ._search import ProgressCallback, candidates

Row = tuple[int, int, int]


@dataclass(frozen=True)
class Wall:
    """A pseudo-wall of v: the semicircle (β − center)² + α² = radius_squared, α > 0.

    `semistabilizers` are the candidates (r, c, d) that give this wall, in the
    search's order.
    """

    center: Fraction
    radius_squared: Fraction
    semistabilizers: tuple[Row, ...]


Pair = tuple[int, int]


def _lowest_terms(numerator: int, denominator: int) -> Pair:
    if denominator < 0:
        numerator, denominator = -numerator, -denominator
    g = gcd(numerator, denominator)
    return numerator // g, denominator // g


def _wall_terms(v: Row, u: Row) -> tuple[Pair, Pair]:
    """(center, radius²) of the wall of u against v, each as (numerator, denominator) in lowest terms."""
    big_r, big_c, big_d = v
    r, c, d = u
    # With ch2 = d/2 on both sides, the wall's center x = (R·ch2(u) − r·ch2(v)) / (R·c − r·C)
    # is a/(2e) and its radius² x² − 2·(ch2(u)·C − ch2(v)·c) / (R·c − r·C) is
    # (a² − 4e·b)/(4e²), for the integers below (e ≠ 0 for every candidate).
    a = big_r * d - r * big_d
    e = big_r * c - r * big_c
    b = d * big_c - big_d * c
    return _lowest_terms(a, 2 * e), _lowest_terms(a * a - 4 * e * b, 4 * e * e)


def numerical_wall(v: Row, u: Row) -> tuple[Fraction, Fraction]:
    """(center, radius²) of the numerical wall of the candidate u against v, both (r, c, d) with ch2 = d/2.

    For v = (R, C, D/2) and u = (r, c, d/2) the wall is the semicircle
    (β − x)² + α² = ρ² with x = (R·ch2(u) − r·ch2(v)) / (R·c − r·C) and
    ρ² = x² − 2·(ch2(u)·C − ch2(v)·c) / (R·c − r·C).

    >>> numerical_wall((1, 0, -16), (1, -3, 9))
    (Fraction(-25, 6), Fraction(49, 36))
    """
    center, radius_squared = _wall_terms(v, u)
    return Fraction(*center), Fraction(*radius_squared)


def group_walls(v: Row, rows: Iterable[Row]) -> list[Wall]:
    """The distinct walls of the candidates `rows` of v, largest first (then by center)."""
    # Grouped by exact integer terms: far cheaper than Fraction arithmetic per candidate.
    found: dict[tuple[Pair, Pair], list[Row]] = {}
    for u in rows:
        found.setdefault(_wall_terms(v, u), []).append(u)
    result = [Wall(Fraction(*center), Fraction(*radius_squared), tuple(us))
              for (center, radius_squared), us in found.items()]
    # float() of a Fraction is correctly rounded, hence monotone: unequal
    # floats order the exact values the same way, and only equal ones need
    # the exact (slow) comparison that follows them in the key.
    result.sort(key=lambda w: (-float(w.radius_squared), -w.radius_squared, float(w.center), w.center))
    return result


def walls(r: int, c: int, d: int, *, max_rank: int | None = None, surface: Surface = None,
          side: Side = "left", above: Point | None = None,
          progress: ProgressCallback | None = None) -> list[Wall]:
    """The distinct pseudo-walls of v = (r, c·ℓ, (d/2)·ℓ²) that its candidates give, largest first.

    Each candidate u of :func:`candidates` gives the numerical wall of u
    against v (:func:`numerical_wall`), a semicircle in the (β, α) upper
    half-plane (for rank 0 all of them share the center ch2(v)/c). Candidates
    that give the same wall are gathered in one :class:`Wall`; the walls are
    ordered by radius², largest first, then by center. Everything is exact;
    the cost is some microseconds of Python per candidate on top of
    :func:`candidates`.

    `max_rank` keeps only the candidates of rank at most `max_rank`, as for
    :func:`candidates`; it or `above` is required when β₋ is irrational,
    where the pseudo-walls are infinitely many and accumulate at β₋.
    `surface` ("P2": only classes with d ≡ c mod 2), `side` ("left" of the
    vertical wall, or "right": the mirrored left walls of the dual
    (r, −c, d), with the classes (−r', c', −d')) and `above` (only the walls
    passing over the point (β, α) or through it, a finite list for every v
    with a real β₋) are as for :func:`candidates`, as is `progress`. Raises
    the errors of :func:`candidates`.

    Examples
    --------
    Two points in the plane, the ideal sheaf (1, 0, -2): one wall, made by O(-1).

    >>> walls(1, 0, -4)
    [Wall(center=Fraction(-5, 2), radius_squared=Fraction(9, 4), semistabilizers=((1, -1, 1),))]

    Eight points: 16 walls; the one of O(-3) is centred at -(8/3 + 3/2).

    >>> found = walls(1, 0, -16)
    >>> len(found), [(str(w.center), str(w.radius_squared)) for w in found if (1, -3, 9) in w.semistabilizers]
    (16, [('-25/6', '49/36')])

    One point, β₋ = -√2: up to rank 12 the wall of O(-1), and one pseudo-wall nested under it.

    >>> [(str(w.center), str(w.radius_squared), w.semistabilizers) for w in walls(1, 0, -2, max_rank=12)]
    [('-3/2', '1/4', ((1, -1, 1), (2, -2, 2))), ('-17/12', '1/144', ((9, -12, 16), (5, -6, 7)))]

    Eight points on P²: 8 walls, the smallest made by (2, -5, 9).

    >>> found = walls(1, 0, -16, surface="P2")
    >>> [str(w.center) for w in found], found[-1].semistabilizers
    (['-17/2', '-15/2', '-13/2', '-11/2', '-5', '-9/2', '-25/6', '-41/10'], ((2, -5, 9),))

    The right wall of two points, and the walls of one point over σ(-3/2, 1/10)
    (β₋ = -√2 is irrational, yet no rank bound is needed):

    >>> walls(1, 0, -4, side="right")
    [Wall(center=Fraction(5, 2), radius_squared=Fraction(9, 4), semistabilizers=((-1, -1, -1),))]
    >>> walls(1, 0, -2, above=("-3/2", "1/10"))
    [Wall(center=Fraction(-3, 2), radius_squared=Fraction(1, 4), semistabilizers=((1, -1, 1), (2, -2, 2)))]
    """
    v = (r, c, d)
    found = candidates(r, c, d, max_rank=max_rank, surface=surface, side=side, above=above, progress=progress)
    rows: list[Row] = [(u[0], u[1], u[2]) for u in found.tolist()]
    return group_walls(v, rows)
