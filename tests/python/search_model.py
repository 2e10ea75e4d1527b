"""A plain Python model of the left pseudo-semistabilizer search, for differential tests.

It works from the mathematics only, with exact Python integers and fractions:

* β₋ of v = (r, c, d/2) is the smaller root (c − √(c² − r·d))/r of d/2 − β·c + β²·r/2 = 0 when
  r ≠ 0, and ch2/c = d/(2c) when r = 0 and c ≠ 0; the search needs it rational.
* With β₋ = m/n in lowest terms, X = c·n − r·m is n times the twisted ch1 of v.  A candidate
  u = (r', c', d'/2) has twisted ch1 q = c' − r'·β = k/n for k = 1 … X − 1.
* Its rank satisfies r' > v.r·k/X (strictly), r' ≤ X², and c' = (k + r'·m)/n must be an integer.
* Its ch2 lies strictly above L = r'·β²/2 + β·q and at or below L plus the least of
  q²/(2r') (r' > 0), δ²/(2(r' − v.r)) (r' > v.r) and δ·q/(v.r − 2r') (2r' < v.r), δ = X/n − q.

Results come in the order of k, then r', then d'.  The search either returns ("ok", list) or
("error", message).
"""

from fractions import Fraction
from math import floor, isqrt

IRRATIONAL = "β_ is not rational: ∞ walls"
NOT_REAL = "β_ is not real: no walls"
NEGATIVE_RANK_BOUND = "Internal logical error: Negative lower bound on r"


def beta_minus(r, c, d):
    """β₋ of (r, c, d/2) as a Fraction, or None when it is not rational."""
    if r == 0:
        return Fraction(d, 2 * c) if c != 0 else None
    discriminant = c * c - r * d
    if discriminant < 0 or isqrt(discriminant) ** 2 != discriminant:
        return None
    return Fraction(c - isqrt(discriminant), r)


def twisted_ch1_numerator(r, c, beta):
    """X = n·(c − β·r) for β = m/n in lowest terms."""
    return c * beta.denominator - r * beta.numerator


def ch2_bounds_exact(v_r, beta, x, k, rank):
    """(L, U) for one candidate rank, straight from the formulas, as Fractions."""
    n = beta.denominator
    q = Fraction(k, n)
    delta = Fraction(x, n) - q
    lower = rank * beta**2 / 2 + beta * q
    caps = []
    if rank > 0:
        caps.append(q**2 / (2 * rank))
    if rank > v_r:
        caps.append(delta**2 / (2 * (rank - v_r)))
    if 2 * rank < v_r:
        caps.append(delta * q / (v_r - 2 * rank))
    return lower, lower + min(caps)


def d_range_exact(v_r, beta, x, k, rank):
    """The integers d with L < d/2 ≤ U, from the Fraction bounds."""
    lower, upper = ch2_bounds_exact(v_r, beta, x, k, rank)
    return range(floor(2 * lower) + 1, floor(2 * upper) + 1)


def d_range_fast(v_r, beta, x, k, rank):
    """The same range, with every bound doubled and scaled by n² so that only integers remain.

    2L·n² = rank·m² + 2·m·k, and each cap doubled and scaled by n² is num/den below; the largest
    admissible d is the least of floor((2L·n²·den + num) / (n²·den)) over the caps that apply.
    """
    m, n = beta.numerator, beta.denominator
    nn = n * n
    twice_lower = rank * m * m + 2 * m * k
    caps = []
    if rank > 0:
        caps.append((k * k, rank))
    if rank > v_r:
        caps.append(((x - k) ** 2, rank - v_r))
    if 2 * rank < v_r:
        caps.append((2 * k * (x - k), v_r - 2 * rank))
    d_max = min((twice_lower * den + num) // (nn * den) for num, den in caps)
    return range(twice_lower // nn + 1, d_max + 1)


def search(r, c, d, d_range=d_range_fast):
    """The whole search for v = (r, c, d/2): ("ok", [(r', c', d'), ...]) or ("error", message)."""
    if (r == 0 and c == 0) or c * c - r * d < 0:
        return ("error", NOT_REAL)
    beta = beta_minus(r, c, d)
    if beta is None:
        return ("error", IRRATIONAL)
    m, n = beta.numerator, beta.denominator
    x = twisted_ch1_numerator(r, c, beta)
    found = []
    for k in range(1, x):  # k = 1 … X − 1
        least_rank = (r * k) // x + 1  # least integer strictly above r·k/X (X ≥ 2 here)
        if least_rank < 1:
            return ("error", NEGATIVE_RANK_BOUND)
        first = next(s for s in range(least_rank, least_rank + n) if (s * m + k) % n == 0)
        for rank in range(first, x * x + 1, n):
            ch1 = (k + rank * m) // n
            found.extend((rank, ch1, dd) for dd in d_range(r, beta, x, k, rank))
    return ("ok", found)


def search_exact(r, c, d):
    """The same search with the Fraction bounds; slow, for checking the fast form."""
    return search(r, c, d, d_range=d_range_exact)


def estimated_work(r, c, d):
    """Number of candidate ranks the model visits (0 when there is no q to try)."""
    beta = beta_minus(r, c, d)
    if beta is None:
        return 0
    x = twisted_ch1_numerator(r, c, beta)
    return max(x - 1, 0) * x * x // beta.denominator
