"""The walls over a stability condition σ(β, α): the largest rank of their candidates, and the test
whether a candidate's wall passes over the point, both exact."""

from __future__ import annotations

from fractions import Fraction

import numpy as np
from numpy.typing import NDArray

from ._options import ExactPoint, Row

# Why the search for the walls over a point P = (β0, α0) is finite, and how far it goes.
#
# Let v = (R, C, D/2) with R >= 0 and a real β₋, S = C − R·β₋ its twisted ch1 at
# β₋ (S = √Δ for R > 0, Δ = C² − R·D; S = C for R = 0), and P left of the
# vertical wall β = C/R when R > 0. A candidate u = (r, c, d/2) has
#   0 < q < S          (q = c − r·β₋),
#   r·S > R·q          (the rank condition),
#   0 < h <= q²/(2r)   (h = ch2 twisted by β₋: d/2 − β₋·c + β₋²·r/2),
#   h <= δ²/(2(r − R)) when r > R, δ = S − q.
# On the line β = β₋, ν_{β₋,α}(v) = −α²·R/(2S) and ν_{β₋,α}(u) = (h − α²·r/2)/q,
# equal exactly at α_u² = 2S·h/(r·S − R·q) > 0: u's numerical wall crosses the
# line β = β₋ at the height α_u, so it is a wall of v left of the vertical
# wall (or, for R = 0, one of the semicircles centred at β₋).
#
# The numerical walls of v on one side are nested semicircles, each with β₋
# inside its diameter, and the height at β₋ grows with the radius: for R > 0
# the wall of centre x has ρ² = (x − C/R)² − Δ/R², and its height² at β₋ is
# ρ² − (β₋ − x)² = 2S·(β₋ − x)/R; for R = 0 the walls are centred at β₋.
# Through P passes exactly one of them, W0, of height a0 at β₋ (a0² =
# 2S·(β₋ − x0)/R with x0 its centre; a0² = (β0 − β₋)² + α0² for R = 0). So u's
# wall passes over P or through it exactly when α_u² >= a0².
#
# Bound. Let r > R. Both caps on h hold, and min(q²/x, δ²/y) <= (q + δ)²/(x + y)
# for positive x, y (were both larger, q > √(m·x) and δ > √(m·y) for the
# minimum m, so (q + δ)² > m·(√x + √y)² >= m·(x + y)), so
#   h <= S²/(2·(2r − R)).
# As q < S and R >= 0, r·S − R·q >= (r − R)·S > 0. Hence
#   a0² <= α_u² = 2S·h/(r·S − R·q) <= S³/((2r − R)·(r − R)·S),
# that is  P(r)·a0² <= S²  with  P(r) = (2r − R)·(r − R),  which grows with r
# for r > R. Every candidate whose wall passes over P or through it has rank
# at most the larger of R and the largest r with P(r)·a0² <= S².
#
# Exactly: for R > 0, with y = C − R·x0 (> S, as x0 < β₋), a0² = 2S·(y − S)/R²
# turns P·a0² <= S² into 2P·y <= S·(R² + 2P), and as both sides are positive,
# into (2P·y)² <= Δ·(R² + 2P)²: rational arithmetic only.


def wall_center_through(v: Row, point: ExactPoint) -> Fraction:
    """The centre x0 of the numerical wall of v (rank > 0) through the point, left of the vertical wall.

    From (β0 − x)² + α0² = (x − C/R)² − Δ/R² and C²/R² − Δ/R² = D/R:
    x0 = (D/R − β0² − α0²) / (2·(C/R − β0)).
    """
    big_r, big_c, big_d = v
    beta, alpha = point
    return (Fraction(big_d, big_r) - beta * beta - alpha * alpha) / (2 * (Fraction(big_c, big_r) - beta))


def _within_bound(v: Row, point: ExactPoint, rank: int) -> bool:
    """Whether P(rank)·a0² <= S² (see above), for rank > R."""
    big_r, big_c, big_d = v
    p = (2 * rank - big_r) * (rank - big_r)
    if big_r == 0:
        beta, alpha = point
        height_squared = (beta - Fraction(big_d, 2 * big_c)) ** 2 + alpha * alpha
        return p * height_squared <= big_c * big_c
    y = big_c - big_r * wall_center_through(v, point)
    discriminant = big_c * big_c - big_r * big_d
    return (2 * p * y) ** 2 <= discriminant * (big_r * big_r + 2 * p) ** 2


def rank_bound(v: Row, point: ExactPoint) -> int | None:
    """The largest rank a candidate of v can have whose wall passes over the point or through it.

    None when v has no such finite bound to give: a negative rank or no real
    β₋ (the search then says what it says for v). The point must be left of
    the vertical wall when v has positive rank.
    """
    big_r, big_c, big_d = v
    if big_r < 0 or big_c * big_c - big_r * big_d < 0 or (big_r == 0 and big_c == 0):
        return None
    if big_r == 0 and big_c < 0:
        return 0  # the twisted ch1 S = C is not positive: no candidate at all
    # The largest rank r > R within the bound, by doubling and bisection.
    low, high = big_r, big_r + 1
    while _within_bound(v, point, high):
        low, high = high, 2 * high
    while high - low > 1:
        middle = (low + high) // 2
        low, high = (middle, high) if _within_bound(v, point, middle) else (low, middle)
    return low


def over_point(v: Row, rows: NDArray[np.int64], point: ExactPoint) -> NDArray[np.bool_]:
    """Which candidates u of v give a wall that passes over the point or through it.

    With a = R·d − r·D, e = R·c − r·C and b = d·C − D·c (ch2 = d/2 on both
    sides), u's wall has centre a/(2e) and radius² (a² − 4e·b)/(4e²), and
    ρ² − (β0 − a/(2e))² − α0² = (β0·a − b)/e − β0² − α0², which must be >= 0.
    Exact integer arithmetic, in Python's integers.
    """
    big_r, big_c, big_d = v
    beta, alpha = point
    threshold = beta * beta + alpha * alpha
    # Over the common denominator: (n·a − m·b)/(m·e) >= t_n/t_m for β0 = n/m.
    n, m = beta.numerator, beta.denominator
    t_n, t_m = threshold.numerator, threshold.denominator

    def passes(r: int, c: int, d: int) -> bool:
        e = big_r * c - r * big_c
        left = (n * (big_r * d - r * big_d) - m * (d * big_c - big_d * c)) * t_m
        right = t_n * m * e
        return left >= right if e > 0 else left <= right

    return np.fromiter((passes(*u) for u in rows.tolist()), dtype=np.bool_, count=len(rows))
