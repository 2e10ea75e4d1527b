"""The algebraic Mukai lattice of a K3 surface X with Pic X = ℤ·H, H² = degree, and the
rank-two lattices H_W of its walls, classified by the theorem of Bayer and Macrì.

A Mukai vector is (r, c, s) = (rank, c₁ = c·H, ch₂ + r) with
⟨(r, c, s), (r′, c′, s′)⟩ = c·c′·degree − r·s′ − r′·s, a lattice of signature (2, 1).
"""

from __future__ import annotations

from dataclasses import dataclass
from math import gcd, isqrt

from ._interrupt import poll

Mukai = tuple[int, int, int]

# The kinds of an actual wall, divisorial ones in the order they are told apart.
DIVISORIAL = ("hilbert-chow", "li-gieseker-uhlenbeck", "brill-noether")
KINDS = ("flop", *DIVISORIAL, "lagrangian", "fake")


def pairing(a: Mukai, b: Mukai, degree: int) -> int:
    return a[1] * b[1] * degree - a[0] * b[2] - b[0] * a[2]


def combination(x: int, v: Mukai, y: int, a: Mukai) -> Mukai:
    return (x * v[0] + y * a[0], x * v[1] + y * a[1], x * v[2] + y * a[2])


def _extended_gcd(a: int, b: int) -> tuple[int, int, int]:
    """(g, x, y) with a·x + b·y = g = gcd(a, b) >= 0."""
    x0, y0, x1, y1 = 1, 0, 0, 1
    while b:
        k, rest = divmod(a, b)
        a, b = b, rest
        x0, x1 = x1, x0 - k * x1
        y0, y1 = y1, y0 - k * y1
    return (a, x0, y0) if a >= 0 else (-a, -x0, -y0)


def _kernel_basis(form: Mukai) -> tuple[Mukai, Mukai]:
    """A ℤ-basis of {w ∈ ℤ³ : form·w = 0} for a primitive integer row vector form."""
    l0, l1, l2 = form
    g, x, y = _extended_gcd(l0, l1)
    if g == 0:  # form = ±(0, 0, 1)
        return (1, 0, 0), (0, 1, 0)
    # l0·a + l1·b = −l2·z needs g | z, as gcd(g, l2) = 1: z = g·k and then
    # (a, b) = −l2·k·(x, y) + j·(l1/g, −l0/g).
    return (l1 // g, -l0 // g, 0), (-l2 * x, -l2 * y, g)


@dataclass(frozen=True)
class WallLattice:
    """H_W with the basis (v, a): ⟨v, v⟩ = m, ⟨v, a⟩ = b with 0 <= b <= m/2, ⟨a, a⟩ = e.

    A class w = x·v + y·a has ⟨w, v⟩ = m·x + b·y and m·w² = (m·x + b·y)² − Δ·y²
    with Δ = b² − m·e > 0 (H_W is hyperbolic). So a class with ⟨w, v⟩ = t and
    w² = q has y² = (t² − m·q)/Δ and x = (t − b·y)/m: at most two classes, found
    exactly. Every question the theorem asks is such a pair (t, q).
    """

    v: Mukai
    a: Mukai
    m: int
    b: int
    e: int

    def classes(self, t: int, q: int) -> list[Mukai]:
        """The classes w of H_W with ⟨w, v⟩ = t and w² = q."""
        delta = self.b * self.b - self.m * self.e
        y2, rest = divmod(t * t - self.m * q, delta)
        if rest or y2 < 0 or isqrt(y2) ** 2 != y2:
            return []
        found = []
        for y in sorted({isqrt(y2), -isqrt(y2)}, reverse=True):
            x, rest = divmod(t - self.b * y, self.m)
            if not rest:
                found.append(combination(x, self.v, y, self.a))
        return found


def wall_lattice(v: Mukai, a: Mukai, degree: int) -> WallLattice:
    """H_W = the primitive rank-two sublattice containing v and a class a not on the line of v.

    It is u^⊥ for u spanning {v, a}^⊥: with the Gram matrix G of the pairing,
    ⟨w, u⟩ = 0 for w = v, a says G·u ∥ v × a, and H_W is the kernel of the row
    vector G·u, made primitive (a saturated lattice).
    """
    p = (v[1] * a[2] - v[2] * a[1], v[2] * a[0] - v[0] * a[2], v[0] * a[1] - v[1] * a[0])
    # G = [[0, 0, −1], [0, degree, 0], [−1, 0, 0]]: the row G·u, up to a factor, is p.
    g = gcd(*p)
    form = (p[0] // g, p[1] // g, p[2] // g)
    k1, k2 = _kernel_basis(form)
    # v = α·k1 + β·k2, with gcd(α, β) = 1 as v is primitive; a basis (v, a0) of H_W
    # follows from γ, δ with α·δ − β·γ = 1.
    alpha, beta = _coordinates(v, k1, k2)
    _, delta, minus_gamma = _extended_gcd(alpha, beta)
    a0 = combination(-minus_gamma, k1, delta, k2)
    m = pairing(v, v, degree)
    b = pairing(v, a0, degree)
    a0 = combination(-(b // m), v, 1, a0)  # now 0 <= b < m
    if 2 * pairing(v, a0, degree) > m:
        a0 = combination(1, v, -1, a0)  # b -> m − b
    return WallLattice(v, a0, m, pairing(v, a0, degree), pairing(a0, a0, degree))


def _coordinates(v: Mukai, k1: Mukai, k2: Mukai) -> tuple[int, int]:
    """(α, β) with v = α·k1 + β·k2, by Cramer's rule on a pair of coordinates where the minor is not 0."""
    for i, j in ((0, 1), (0, 2), (1, 2)):
        det = k1[i] * k2[j] - k1[j] * k2[i]
        if det:
            return (v[i] * k2[j] - v[j] * k2[i]) // det, (k1[i] * v[j] - k1[j] * v[i]) // det
    raise AssertionError("a kernel basis is linearly independent")


@dataclass(frozen=True)
class Verdict:
    kind: str | None  # None: no wall
    special_classes: tuple[Mukai, ...]
    codimension: int | None
    deciding: tuple[tuple[str, Mukai], ...] = ()  # every deciding class with its kind, the wall's kind first


def classify(lattice: WallLattice) -> Verdict:
    """The kind of the wall of H_W by the theorem of Bayer and Macrì (v primitive, v² > 0).

    (a) Divisorial: an isotropic w with ⟨w, v⟩ = 1 (Hilbert–Chow) or 2
        (Li–Gieseker–Uhlenbeck), or a spherical s with ⟨s, v⟩ = 0 (Brill–Noether). One
        wall may hold classes of several of these kinds; the wall is named after the first
        in that order (its `special_classes`), and `deciding` lists the primitive classes
        of each.
    (b) Otherwise a flop: v = a + b with a, b positive (a², b² >= 0, ⟨v, a⟩, ⟨v, b⟩ > 0),
        or a spherical s with 0 < ⟨s, v⟩ <= v²/2. Of a and b one has ⟨·, v⟩ <= v²/2,
        so t = ⟨a, v⟩ runs over 1..v²/2 and q = a² over max(0, 2t − v²)..t²/v²
        (b² = v² − 2t + q >= 0, and Δ > 0 needs t² − v²·q >= 0).
    (c) Otherwise no wall where we cross it (see _walls for why no wall is fake there).

    The codimension of a flop. For a decomposition v = a + b (b = v − s for a spherical s)
    the objects flopped are the extensions 0 → A → E → B → 0 of stable A, B of classes a, b
    on the wall: a P(Ext¹(B, A))-bundle over M(a) × M(b), with ext¹(B, A) = ⟨a, b⟩ (hom
    and ext² vanish between stable objects of the same phase and different classes), of
    dimension (a² + 2) + (b² + 2) + ⟨a, b⟩ − 1 (M(s) is a point: a² + 2 = 0). As
    v² + 2 = a² + b² + 2·⟨a, b⟩ + 2, its codimension is ⟨a, b⟩ − 1 = t − q − 1 (t + 1 for
    a spherical s). The flopped locus of the wall is the union over its decompositions, so
    its codimension is the least of them.
    """
    poll()
    deciding: list[tuple[str, Mukai]] = []
    for kind, t in zip(DIVISORIAL, (1, 2, 0)):
        # Twice a Hilbert–Chow class is isotropic with ⟨w, v⟩ = 2 but names no other contraction:
        # the classes listed are primitive (spherical ones and those with ⟨w, v⟩ = 1 always are).
        deciding += [(kind, w) for w in lattice.classes(t, -2 if kind == "brill-noether" else 0) if gcd(*w) == 1]
    if deciding:
        kind = deciding[0][0]
        return Verdict(kind, tuple(w for k, w in deciding if k == kind), None, tuple(deciding))
    special: list[Mukai] = []
    codimensions: list[int] = []
    for t, q, a in _flop_classes(lattice):
        special += [a] if q == -2 else [a, combination(1, lattice.v, -1, a)]
        codimensions.append(t + 1 if q == -2 else t - q - 1)
    if special:
        classes = tuple(dict.fromkeys(special))
        return Verdict("flop", classes, min(codimensions), tuple(("flop", a) for a in classes))
    return Verdict(None, (), None)


def _flop_classes(lattice: WallLattice) -> list[tuple[int, int, Mukai]]:
    """(t, q, w) for the classes w of H_W of the flop kinds of `classify` (b), in the order of (t, q), and
    for one (t, q) that of `WallLattice.classes`.

    Walked by y rather than by (t, q): w = x·v + y·a has m·w² = t² − Δ·y², and t <= m/2, q >= −2 give
    Δ·y² <= t² + 2m <= (m/2)² + 2m; for one y and sign the t ≡ b·y (mod m) in 1..m/2 is at most one
    (y = 0 gives t = m·x, never in 1..m/2).
    So a wall costs O(m/√Δ) steps, not the O(m²) pairs (t, q).
    """
    m, b, delta = lattice.m, lattice.b, lattice.b * lattice.b - lattice.m * lattice.e
    half = m // 2
    found: list[tuple[int, int, int, Mukai]] = []
    if delta <= 0:
        return []  # H_W is not hyperbolic: no wall
    for y in range(1, isqrt((half * half + 2 * m) // delta) + 1):
        for signed in (y, -y):
            t = b * signed % m
            if not 1 <= t <= half:
                continue
            q, rest = divmod(t * t - delta * y * y, m)
            assert not rest, "m·w² = t² − Δ·y²"
            if q == -2 or q >= max(0, 2 * t - m):
                x = (t - b * signed) // m
                found.append((t, q, -signed, combination(x, lattice.v, signed, lattice.a)))
    found.sort()
    return [(t, q, w) for t, q, _, w in found]
