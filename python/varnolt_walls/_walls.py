"""The numerical walls that the candidates give, exactly."""

from __future__ import annotations

from collections.abc import Iterable
from dataclasses import dataclass
from fractions import Fraction

from ._search import candidates

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


def numerical_wall(v: Row, u: Row) -> tuple[Fraction, Fraction]:
    """(center, radius²) of the numerical wall of u against v, both (r, c, d) with ch2 = d/2.

    With v = (R, C, D/2) and u = (r, c, d/2) and the wall's denominator
    Rc − rC non-zero (true of every candidate), the wall is centred at
    x = (R·ch2(u) − r·ch2(v)) / (Rc − rC) with radius² x² − 2·(ch2(u)·C − ch2(v)·c) / (Rc − rC).
    """
    big_r, big_c, big_d = v
    r, c, d = u
    denominator = big_r * c - r * big_c
    # ch2 = d/2 on both sides: the halves are taken into the denominators.
    center = Fraction(big_r * d - r * big_d, 2 * denominator)
    return center, center * center - Fraction(d * big_c - big_d * c, denominator)


def group_walls(v: Row, rows: Iterable[Row]) -> list[Wall]:
    """The distinct walls of the candidates `rows` of v, largest first (then by center)."""
    found: dict[tuple[Fraction, Fraction], list[Row]] = {}
    for u in rows:
        found.setdefault(numerical_wall(v, u), []).append(u)
    order = sorted(found, key=lambda wall: (-wall[1], wall[0]))
    return [Wall(center, radius_squared, tuple(found[center, radius_squared]))
            for center, radius_squared in order]


def walls(r: int, c: int, d: int) -> list[Wall]:
    """The distinct pseudo-walls of v = (r, c·ℓ, (d/2)·ℓ²) that its candidates give, largest first.

    Each candidate u of :func:`candidates` gives the numerical wall of u
    against v, a semicircle in the (β, α) upper half-plane (for rank 0 all of
    them share the center ch2(v)/c). Candidates that give the same wall are
    gathered in one :class:`Wall`; the walls are ordered by radius², largest
    first, then by center. Everything is exact (Fractions); the cost is a few
    microseconds of Python per candidate.

    Raises the errors of :func:`candidates`.

    Examples
    --------
    Two points in the plane, the ideal sheaf (1, 0, -2): one wall, made by O(-1).

    >>> walls(1, 0, -4)
    [Wall(center=Fraction(-5, 2), radius_squared=Fraction(9, 4), semistabilizers=((1, -1, 1),))]

    Eight points: 16 walls; the one of O(-3) is centred at -(8/3 + 3/2).

    >>> found = walls(1, 0, -16)
    >>> len(found), [(str(w.center), str(w.radius_squared)) for w in found if (1, -3, 9) in w.semistabilizers]
    (16, [('-25/6', '49/36')])
    """
    v = (r, c, d)
    return group_walls(v, map(tuple, candidates(r, c, d).tolist()))
