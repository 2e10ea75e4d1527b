"""A brute-force model of the actual walls of a Mukai vector on a K3 surface of Picard rank one.

Every class a = (ra, ca, sa) with |ra| <= R, |ca| <= C and ⟨a, v⟩ in [−v², v²] is put on its
numerical wall with v (centre and radius² from the formulas of the setting, in Fractions),
the classes are grouped by wall, and the theorem is applied literally to each group: the
classes of H_W that the box holds. A wall whose deciding classes lie outside the box is
seen with a weaker kind, or not at all; the tests compare only what the box can see.
"""

from fractions import Fraction
from math import gcd, isqrt

RANK = {"hilbert-chow": 0, "li-gieseker-uhlenbeck": 1, "brill-noether": 2, "flop": 3}


def pair(a, b, degree):
    return a[1] * b[1] * degree - a[0] * b[2] - b[0] * a[2]


def numerical_wall(v, a, degree):
    """(centre, radius²) of the wall of v and a, or None for the vertical wall or no wall."""
    (r, c, s), (ra, ca, sa) = v, a
    den = ra * c - r * ca
    if den == 0:
        return None
    x = Fraction(-(sa * r - s * ra), degree * den)
    rho2 = x * x - Fraction(2 * (s * ca - sa * c), degree * den)
    return (x, rho2) if rho2 > 0 else None


def kind_of(v, classes, degree):
    """The theorem on the classes of one wall: the kind it can prove, or None."""
    return verdict_of(v, classes, degree)[0]


def verdict_of(v, classes, degree):
    """(kind, codimension, {divisorial kind: its classes}) of one wall from its classes: the flopped locus of
    a decomposition v = a + b is a P(Ext¹(B, A))-bundle over M(a) × M(b), of codimension ⟨a, b⟩ − 1, and the
    wall's is the least of them."""
    m = pair(v, v, degree)
    kinds, codimensions, divisorial = [], [], {}
    for a in classes:
        t, q = pair(a, v, degree), pair(a, a, degree)
        b = tuple(x - y for x, y in zip(v, a))
        for kind, (tk, qk) in (("hilbert-chow", (1, 0)), ("li-gieseker-uhlenbeck", (2, 0)), ("brill-noether", (0, -2))):
            if (t, q) == (tk, qk) and gcd(*a) == 1:
                kinds.append(kind)
                divisorial.setdefault(kind, set()).add(a)
        if q == -2 and 0 < 2 * t <= m or q >= 0 and pair(b, b, degree) >= 0 and 0 < t < m:
            kinds.append("flop")
            codimensions.append(pair(a, b, degree) - 1)
    kind = min(kinds, key=RANK.get, default=None)
    return kind, min(codimensions) if kind == "flop" else None, divisorial


def model_walls(v, degree, box, verdict=False, right=False):
    """{centre: (radius², kind)} of the walls left (or `right`) of the vertical wall that the box shows as actual
    walls ((radius², kind, codimension, divisorial classes) with `verdict`)."""
    r, c, s = v
    m = pair(v, v, degree)
    R, C = box
    groups = {}
    for ra in range(-R, R + 1):
        for ca in range(-C, C + 1):
            for t in range(-m, m + 1):
                sa, rest = divmod(ca * c * degree - ra * s - t, r)
                a = (ra, ca, sa)
                wall = None if rest else numerical_wall(v, a, degree)
                if wall is not None and (wall[0] > Fraction(c, r) if right else wall[0] < Fraction(c, r)):
                    groups.setdefault(wall, []).append(a)
    found = {x: (rho2, *verdict_of(v, group, degree)) for (x, rho2), group in groups.items()}
    return {x: w if verdict else w[:2] for x, w in found.items() if w[1] is not None}


def model_lagrangian(v, degree, box, side=1):
    """The centre c_w/r_w of an isotropic w ⊥ v in the box left (side −1: right) of the vertical wall, or None."""
    r, c, s = v
    for rw in range(1, box[0] + 1):
        for cw in range(-box[1], box[1] + 1):
            sw, rest = divmod(cw * c * degree - rw * s, r)
            if not rest and cw * cw * degree == 2 * rw * sw and (Fraction(cw, rw) - Fraction(c, r)) * side < 0:
                return Fraction(cw, rw)
    return None


def square(n):
    return n >= 0 and isqrt(n) ** 2 == n


def model_orbit_starts(d, k, unit, first_left):
    """The first member left of the vertical wall of every orbit of X² − d·Y² = k (k > 0), from every
    solution with 2·d·Y² <= k·(x1 − 1), found by trying each Y: every orbit has one there."""
    x1 = unit[0]
    found = set()
    y = 0
    while 2 * d * y * y <= k * (x1 - 1):
        x = isqrt(k + d * y * y)
        if x * x == k + d * y * y:
            found |= {first_left((x, y)), first_left((x, -y))}
        y += 1
    return found


def least_pell_unit(d):
    """The least x + y·√d > 1 with x² − d·y² = 1 (d > 0 not a square), by the textbook continued
    fraction of √d: the convergents p/q, the first with p² − d·q² = 1."""
    a0 = isqrt(d)
    m, den, a = 0, 1, a0
    p0, p1, q0, q1 = 1, a0, 0, 1
    while p1 * p1 - d * q1 * q1 != 1:
        m = den * a - m
        den = (d - m * m) // den
        a = (a0 + m) // den
        p0, p1, q0, q1 = p1, a * p1 + p0, q1, a * q1 + q0
    return p1, q1


def hilbert_movable_slope(d, n):
    """μ with Mov(Hilbⁿ) = ⟨H̃, H̃ − μ·B⟩ on degree 2d (Bayer–Macrì): √(d/(n − 1)) if it is rational, else
    d·y/((n − 1)·x) for the least (n − 1)·x² − d·y² = 1, else d·y/x for the least x² − d·(n − 1)·y² = 1 with
    x ≡ ±1 (mod n − 1). Read off the powers x_k + y_k·√(d(n − 1)) of the least unit: the first squares to
    one with x_k + 1 = 2·(n − 1)·x², x_k − 1 = 2·d·y², in the same order; x_k ≡ 1 (mod n − 1) for k the
    order of the unit modulo n − 1, at most (n − 1)²."""
    big_d = d * (n - 1)
    if square(big_d):
        return Fraction(isqrt(big_d), n - 1)
    x1, y1 = least_pell_unit(big_d)
    powers, (x, y) = [], (x1, y1)
    for _ in range((n - 1) ** 2 + 2):
        powers.append((x, y))
        x, y = x * x1 + big_d * y * y1, x * y1 + y * x1
    for x, y in powers:
        if (x + 1) % (2 * (n - 1)) == 0 and square((x + 1) // (2 * (n - 1))) and square((x - 1) // (2 * d)) \
                and (x - 1) % (2 * d) == 0:
            return Fraction(d * isqrt((x - 1) // (2 * d)), (n - 1) * isqrt((x + 1) // (2 * (n - 1))))
    return next(Fraction(d * y, x) for x, y in powers if x % (n - 1) in (1, (n - 2) % (n - 1)))



def model_totally_semistable(v, degree, box):
    """{centre: (totally semistable, kind)} of the walls of v the box shows (⟨a, v⟩ >= −2·v²), at σ0 where the wall
    meets the semicircle of normals n ⊥ v: an isotropic w with ⟨w, v⟩ = 1 or a spherical s with ⟨s, v⟩ < 0 and
    Re Z(s)/Z(v) > 0, for Z(w) = −⟨(1, z, degree·z²/2), w⟩ = A + iα·B (A, B rational) at z = β + iα, exactly."""
    r, c, s = v
    m = pair(v, v, degree)
    groups = {}
    for ra in range(-box[0], box[0] + 1):
        for ca in range(-box[1], box[1] + 1):
            for t in range(-2 * m, m + 1):
                sa, rest = divmod(ca * c * degree - ra * s - t, r)
                wall = None if rest else numerical_wall(v, (ra, ca, sa), degree)
                if wall is not None:
                    groups.setdefault(wall[0], []).append((ra, ca, sa))
    found = {}
    for x, group in groups.items():
        n = [m * ai - pair(group[0], v, degree) * vi for ai, vi in zip(group[0], v)]
        beta = Fraction(n[1], n[0])
        alpha2 = Fraction(2 * n[2], degree * n[0]) - beta * beta
        assert alpha2 > 0

        def z(w):
            return (-(beta * w[1] * degree - w[2] - w[0] * degree * (beta * beta - alpha2) / 2),
                    -(w[1] - w[0] * beta) * degree)
        (av, bv) = z(v)
        found[x] = (any(pair(w, w, degree) == 0 and pair(w, v, degree) == 1 or pair(w, w, degree) == -2
                        and pair(w, v, degree) < 0 and z(w)[0] * av + alpha2 * z(w)[1] * bv > 0 for w in group),
                    kind_of(v, group, degree))
    return found
