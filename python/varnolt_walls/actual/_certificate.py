"""The proof that a pseudo-wall W of v on P² is an actual wall, where one is within reach.

Tilt stability σ_{β,α} on P²: the heart Coh^β (sheaves F with μ_min(F) > β, and G[1] with G
torsion free, μ_max(G) ≤ β, and their extensions) and Z = −ch₂^β + (α²/2)·ch₀ + i·ch₁^β.

The lemma. Let u ⊂ v → w = v − u be the classes of W, and σ_W a point of W. If there are
σ_W-stable objects A of class u and B of class w in Coh^β (of the same phase on W, since Z(u) and
Z(w) are real multiples of Z(v) there and both lie in the upper half plane or on the negative
axis) and ext¹(B, A) > 0, a non-split extension 0 → A → E → B → 0 lies in Coh^β and is σ-stable
just on one side of W, destabilized by A on the other: on W its Jordan–Hölder factors are A and B,
so a subobject destabilizing E near W is semistable of E's phase on W, hence A, or B, which would
split the sequence. So the σ-stable objects of class v change across W: W is an actual wall.
The same holds with A and B exchanged.

Subobjects near W, for an extension E of σ_W-stable objects of Coh^β (so E is in Coh^β). Move off W
along the vertical line through σ_W = (β, α_W): the heart Coh^β stays the same, and W, a semicircle
centred on the β axis, is crossed there. The pseudo-walls of v are locally
finite, so near σ_W on one side the classes of subobjects F ⊂ E with φ_σ(F) ≥ φ_σ(E) are finitely
many; in the limit φ_W(F) ≥ φ_W(E), and φ_W(F) ≤ φ_W(E) as E is σ_W-semistable (an extension of
σ_W-semistable objects of one phase): F and E/F are σ_W-semistable of E's phase, and the
Jordan–Hölder factors of E (unique up to order) are those of F and of E/F.

The extension lemma with a multiple sub. Let A be σ_W-stable of class u₀ and B σ_W-stable of class
w = v − k·u₀ (k ≥ 1), both in Coh^β and of the same phase on W, with ext¹(B, A) ≥ k (true when
−χ(B, A) ≥ k, by the bound below). A ≇ B: their classes are not proportional, for u₀ is not
proportional to v on a pseudo-wall; so Hom(B, A) = 0 (stable, same phase). Take V ⊂ Ext¹(B, A) of
dimension k and E the extension 0 → A ⊗ V^* → E → B → 0 whose class in Ext¹(B, A) ⊗ V^* is the
inclusion V ⊂ Ext¹(B, A). Hom(−, A) gives 0 → Hom(B, A) → Hom(E, A) → Hom(A ⊗ V^*, A) = V →
Ext¹(B, A), and the last map, which sends φ to φ_* of the extension class, is that inclusion
(End A = ℂ): Hom(E, A) = 0. On W the factors of E are A (k times) and B. Where φ(A) < φ(E), just off
W on one side: a subobject F as above has factors j copies of A and perhaps B. Without B, F has
class j·u₀ and φ(F) = φ(A) < φ(E). With B and F ≠ E, E/F ≠ 0 is σ_W-semistable with only A's as
factors, so the last step of its Jordan–Hölder filtration is a quotient E/F ↠ A, and E ↠ A
contradicts Hom(E, A) = 0. So E is σ-stable on that side; on the other, A ⊂ A ⊗ V^* ⊂ E has
φ(A) > φ(E). W is an actual wall, and E is stable where φ(A) < φ(E), as with k = 1.

The extension lemma with a multiple quotient. Let A be σ_W-stable of class u, B σ_W-stable of class
w₀ with v = u + k·w₀, as above, ext¹(B, A) ≥ k, and E the extension 0 → A → E → B ⊗ V → 0 of the
inclusion V ⊂ Ext¹(B, A) in V^* ⊗ Ext¹(B, A). Hom(B, −) gives 0 → Hom(B, A) → Hom(B, E) →
Hom(B, B ⊗ V) = V → Ext¹(B, A), the last map that inclusion: Hom(B, E) = 0. Where φ(A) < φ(E) (so
φ(B) > φ(E), since Z(E) = Z(A) + k·Z(B)): a subobject F as above without A is nonzero with only B's
as factors, so the first step of its Jordan–Hölder filtration is B ⊂ F ⊂ E, against Hom(B, E) = 0.
With A, F has class u + j·w₀ with j < k unless F = E, and E = F + (k − j)·w₀ with φ(B) > φ(E) gives
φ(F) < φ(E). So E is σ-stable there, and on the other side E ↠ B ⊗ V ↠ B has φ(B) < φ(E). Again W
is actual and E is stable where φ(A) < φ(E).

ext¹(B, A) ≥ −χ(B, A): Ext^i(B, A) = 0 for i < 0 (one heart), and for i = 3 by Serre duality,
Ext³(B, A) ≅ Hom(A, B(−3)[−1])^*, which is 0 piece by piece: H⁰(A) (μ_min > β) maps to no
torsion-free H⁻¹(B(−3)) (μ_max ≤ β − 3), and every other piece is a negative Ext between sheaves.
Hence χ(B, A) = hom − ext¹ + ext² ≥ −ext¹.

The morphism lemma, for the largest wall. Let W be the largest pseudo-wall of v on the side where v
has Gieseker-stable sheaves (positive rank on the left of μ(v), or rank 0), which exist. Just above
W the σ-stable objects of class v are those sheaves E (no wall of v above W). If A of class u is a
σ_W-stable torsion-free sheaf in Coh^β with φ(A) > φ(v) below W and χ(A, E) > 0, then
hom(A, E) ≥ χ(A, E) − ext²(A, E) > 0, for ext²(A, E) = hom(E, A(−3))^* = 0 (E μ-semistable of
slope above μ(A) − 3, or torsion, and A(−3) μ-semistable torsion free), and ext³ = 0 as above. A
nonzero map from a stable A to E of smaller phase makes E unstable just below W (A stays stable
near W): the stable sheaves E leave the moduli space there, and W is an actual wall.
"""

from __future__ import annotations

from dataclasses import dataclass
from fractions import Fraction
from math import gcd, isqrt
from typing import Final, Literal

from ..classes._chern import ChernCharacter
from ..classes._options import Side
from ..plane._moduli import moduli
from ..search._walls import Wall, walls

# How a class is known to carry a σ_W-stable object in the heart at σ_W.
LINE_BUNDLE: Final = "line bundle"
SHIFTED_LINE_BUNDLE: Final = "shifted line bundle"
GIESEKER: Final = "Gieseker-stable sheaves, above all their pseudo-walls"
LARGEST: Final = "Gieseker-stable sheaves, W their largest pseudo-wall"
Reason = Literal["line bundle", "shifted line bundle", "Gieseker-stable sheaves, above all their pseudo-walls",
                 "Gieseker-stable sheaves, W their largest pseudo-wall"]
# Where the extension is stable (or the sheaves E of the morphism lemma): outside W (above it) or inside.
StableSide = Literal["above", "below"]
# Which lemma: a non-split extension of stable A and B, or a nonzero map from a stable A to the
# Gieseker-stable sheaves of v at its largest wall.
Kind = Literal["extension", "morphism"]
# Which stable object of an extension appears k = `multiplicity` times: A (A^{⊕k} ⊂ E) or B (E ↠ B^{⊕k}).
Multiple = Literal["sub", "quotient"]


@dataclass(frozen=True, slots=True)
class Certificate:
    """Why a wall is actual.

    `kind` "extension": a non-split extension 0 → A → E → B → 0 of σ_W-stable objects. `sub` and
    `quotient` are the classes of A and B (named where they have a name), with `sub_reason` and
    `quotient_reason` saying how each is known to be σ_W-stable; `chi` is χ(B, A) < 0, so
    ext¹(B, A) ≥ −χ > 0; E is σ-stable on `stable_side` of the wall ("above": outside it,
    "below": inside) and destabilized by A on the other.

    `kind` "morphism" (the largest wall of v): A of class `sub` is a σ_W-stable sheaf and `chi`
    is χ(A, E) > 0 for the Gieseker-stable sheaves E of v, so hom(A, E) > 0 and E, stable just
    above the wall, is destabilized by A below it; `quotient` is v − u, and `quotient_reason`
    says that E is Gieseker-stable above its largest pseudo-wall.

    `multiplicity` k ≥ 2 (an extension): A^{⊕k} ⊂ E → B (`multiple` "sub") or A ⊂ E → B^{⊕k}
    (`multiple` "quotient"), of v = k·sub + quotient or sub + k·quotient, with χ(B, A) ≤ −k, so
    that ext¹(B, A) ≥ k; `sub` and `quotient` are still the classes of the stable A and B.
    """

    kind: Kind
    sub: ChernCharacter
    quotient: ChernCharacter
    sub_reason: Reason
    quotient_reason: Reason
    chi: int
    stable_side: StableSide
    multiplicity: int = 1
    multiple: Multiple = "sub"

    def power(self, of: Multiple) -> str:
        """The power shown on the sub or the quotient: "^{⊕k}" on the multiple one, else ""."""
        return f"^{{⊕{self.multiplicity}}}" if self.multiplicity > 1 and self.multiple == of else ""

    def __str__(self) -> str:
        if self.kind == "morphism":
            return (f"{_called(self.sub)} ({self.sub_reason}) → E ({self.quotient_reason}), "
                    f"χ = {self.chi}, E stable {self.stable_side}")
        return (f"{_called(self.sub, self.power('sub'))} ({self.sub_reason}) ⊂ E → "
                f"{_called(self.quotient, self.power('quotient'))} ({self.quotient_reason}), "
                f"χ = {self.chi}, E stable {self.stable_side}")


def _called(u: ChernCharacter, power: str = "") -> str:
    if u.name is None:
        called = f"ch = ({u.rank}, {u.c1}, {u.ch2})"
        return f"({called}){power}" if power else called
    return u.name + power


def _primitive(u: ChernCharacter) -> tuple[int, ChernCharacter]:
    """(k, u₀) with u = k·u₀ and u₀ primitive on the lattice of P² (ch₂ − c₁²/2 ∈ ℤ)."""
    d = int(2 * u.ch2)
    g = gcd(u.rank, u.c1, d)
    for k in range(g, 1, -1):
        if g % k == 0:
            try:
                return k, ChernCharacter(u.rank // k, u.c1 // k, Fraction(d // k, 2), surface=u.surface)
            except ValueError:  # u/k is off the lattice
                continue
    return 1, u


class _Bounds:
    """The heart's conditions on β: β ≥ `low` (a shifted line bundle O(k)[1]: k ≤ β) and β < `high`
    (a sheaf with μ_min = μ > β); None where there is none."""

    def __init__(self) -> None:
        self.low: Fraction | None = None
        self.high: Fraction | None = None

    def add(self, low: Fraction | None, high: Fraction | None) -> None:
        if low is not None:
            self.low = low if self.low is None else max(self.low, low)
        if high is not None:
            self.high = high if self.high is None else min(self.high, high)

    def meet(self, wall: Wall) -> bool:
        """Whether some β of W's span (x − ρ, x + ρ) meets the conditions: the point (β, α) of W there
        has A and B in Coh^β. With a = x − ρ, b = x + ρ: a < high, low < b and low < high."""
        x, r2 = wall.center, wall.radius_squared

        def below_root(q: Fraction) -> bool:  # q < ρ, ρ = √r2 > 0
            return q < 0 or q * q < r2

        ok = self.high is None or below_root(x - self.high)
        ok = ok and (self.low is None or below_root(self.low - x))
        return ok and (self.low is None or self.high is None or self.low < self.high)


class Certifier:
    """Certifies the walls of one search, asking each class's pseudo-walls once (cached)."""

    def __init__(self) -> None:
        # Per class: the largest radius² of its left pseudo-walls when one was found, else the
        # points over which it has none.
        self._largest: dict[ChernCharacter, Fraction] = {}
        self._clear: dict[ChernCharacter, list[tuple[Fraction, Fraction]]] = {}

    def certificate(self, wall: Wall) -> Certificate | None:
        """A certificate of `wall` from one of its classes, or None: the extension lemma, the
        morphism lemma, then the extension lemma with multiplicity (so that it only adds walls)."""
        orders = [(a, b) for pair in wall.classes for a, b in ((pair.sub, pair.quotient), (pair.quotient, pair.sub))]
        for a, b in orders:
            found = self._pair(wall, a, b)
            if found is not None:
                return found
        for pair in wall.classes:
            found = self._morphism(wall, pair.sub, pair.sub + pair.quotient)
            if found is not None:
                return found
        for a, b in orders:
            found = self._multiple(wall, a, b)
            if found is not None:
                return found
        return None

    def _multiple(self, wall: Wall, a: ChernCharacter, b: ChernCharacter) -> Certificate | None:
        """The extension lemmas with a multiple sub a = k·a₀ or a multiple quotient b = k·b₀, k ≥ 2."""
        k, a0 = _primitive(a)
        found = None if k == 1 else self._pair(wall, a0, b, k, "sub")
        if found is None:
            k, b0 = _primitive(b)
            found = None if k == 1 else self._pair(wall, a, b0, k, "quotient")
        return found

    def _morphism(self, wall: Wall, a: ChernCharacter, e: ChernCharacter) -> Certificate | None:
        """The morphism lemma: A of class a → E of class e at e's largest pseudo-wall W."""
        chi = a.euler_form(e)
        k = e.rank * a.c1 - a.rank * e.c1  # below W φ(A) > φ(E) iff k < 0 (see _pair)
        if chi <= 0 or k >= 0 or a.rank <= 0 or e.rank < 0 or (e.rank == 0 and e.c1 <= 0):
            return None
        # E is a Gieseker-stable sheaf: in rank > 0 on the left of μ(E) (where it is in Coh^β), and
        # of slope above μ(A) − 3 (so that hom(E, A(−3)) = 0).
        if e.rank > 0 and (wall.center >= Fraction(e.c1, e.rank) or e.c1 * a.rank <= (a.c1 - 3 * a.rank) * e.rank):
            return None
        if not moduli(e).stable_exists:
            return None
        # A: a torsion-free sheaf known stable on W (a line bundle or Gieseker-stable); a shifted
        # line bundle has rank < 0 and is excluded above.
        bounds = _Bounds()
        reason = self._reason(a, wall, bounds)
        if reason is None or not bounds.meet(wall):
            return None
        # W is the largest pseudo-wall of E on its side: every one is inside W or W itself.
        try:
            largest = self._largest_over(e, wall)
        except LookupError:
            return None
        if largest is not None and largest > wall.radius_squared:
            return None
        return Certificate("morphism", a, e - a, reason, LARGEST, chi, "above")

    def _pair(self, wall: Wall, a: ChernCharacter, b: ChernCharacter, times: int = 1,
              multiple: Multiple = "sub") -> Certificate | None:
        """The extension lemma for stable A of class a and B of class b, one of them `times` times."""
        chi = b.euler_form(a)
        if chi > -times:
            return None
        bounds = _Bounds()
        reasons = []
        for cls in (a, b):
            found = self._reason(cls, wall, bounds)
            if found is None:
                return None
            reasons.append(found)
        if not bounds.meet(wall):
            return None
        # Off W, Im(Z(A)·conj Z(E)) = (K/2)·(α² + (β − x)² − ρ²) with K = r_E·c_A − r_A·c_E: outside W
        # φ(A) > φ(E) iff K > 0, and E is stable where φ(A) < φ(E).
        e = a * times + b if multiple == "sub" else a + b * times
        k = e.rank * a.c1 - a.rank * e.c1
        return Certificate("extension", a, b, reasons[0], reasons[1], chi, "above" if k < 0 else "below",
                           times, multiple)

    def _reason(self, cls: ChernCharacter, wall: Wall, bounds: _Bounds) -> Reason | None:
        """How objects of class `cls` are known to be σ-stable all along W, adding their heart
        condition on β to `bounds`; None where no reason applies."""
        # Line bundles O(k) and their shifts O(k)[1] are σ_{β,α}-stable wherever they lie in Coh^β
        # (Arcara–Miles, "Bridgeland stability of line bundles on surfaces", J. Pure Appl. Algebra
        # 2016: surfaces without curves of negative self-intersection, P² among them): O(k) for
        # β < k, O(k)[1] for β ≥ k.
        if abs(cls.rank) == 1:
            sheaf = cls if cls.rank == 1 else -cls
            if sheaf.ch2 * 2 == sheaf.c1 * sheaf.c1:
                if cls.rank == 1:
                    bounds.add(None, Fraction(sheaf.c1))
                    return LINE_BUNDLE
                bounds.add(Fraction(sheaf.c1), None)
                return SHIFTED_LINE_BUNDLE
        if cls.rank < 0 or (cls.rank == 0 and cls.c1 <= 0):
            return None
        # A class with Gieseker-stable sheaves (Drézet–Le Potier; rank 0: sheaves on curves). For
        # α ≫ 0 and β < μ (any β in rank 0) the σ-stable objects of the class are its
        # Gieseker-stable sheaves (the large volume limit: Bridgeland, "Stability conditions on K3
        # surfaces", Duke Math. J. 2008, §14; on Picard rank one the twist by β changes no
        # comparison of equal slopes), and they stay stable down to the largest actual wall of the
        # class on that side, which is one of its pseudo-walls. The numerical walls of a class on
        # one side of its vertical wall are nested semicircles, W among them: when every pseudo-wall
        # there is strictly inside W, the Gieseker-stable sheaves are σ-stable all along W.
        if not moduli(cls).stable_exists:
            return None
        if cls.rank > 0:
            mu = Fraction(cls.c1, cls.rank)
            if wall.center >= mu:  # W is on the right of the class's vertical wall: no sheaf there
                return None
            bounds.add(None, mu)  # a μ-semistable sheaf of slope μ is in Coh^β iff β < μ
        if not self._inside(cls, wall):
            return None
        return GIESEKER

    def _inside(self, cls: ChernCharacter, wall: Wall) -> bool:
        """Whether every left pseudo-wall of `cls` (its one family in rank 0) is strictly inside W."""
        try:
            largest = self._largest_over(cls, wall)
        except LookupError:
            return False
        return largest is None or largest < wall.radius_squared

    def _largest_over(self, cls: ChernCharacter, wall: Wall) -> Fraction | None:
        """The radius² of the largest left pseudo-wall of `cls` (its one family in rank 0), or None
        when all of them are strictly inside W; a LookupError when no complete search says it.

        The pseudo-walls of cls include its actual walls (the search's candidates are the classes
        that can destabilize), and those on one side are nested semicircles, W among its numerical
        walls. One search over a point p = (x, t) on or under W (t² ≤ ρ²) settles it: a wall of cls
        containing W or equal to it passes over p or through it, so no wall over p means all are
        strictly inside W; otherwise the first wall found, containing every other, is the largest.
        """
        r2 = wall.radius_squared
        if cls in self._largest:
            return self._largest[cls]
        for x, t in self._clear.get(cls, []):
            if (x - wall.center) ** 2 + t * t <= r2:  # a point under W over which no wall of cls passes
                return None
        point = (wall.center, _under(r2))
        side: Side = "left"
        try:
            found = walls(cls, side=side, above=point)
        except ValueError:  # a search refused (its size): no decision
            raise LookupError(cls) from None
        if not found.complete:
            raise LookupError(cls)
        if len(found) == 0:
            self._clear.setdefault(cls, []).append(point)
            return None
        self._largest[cls] = found[0].radius_squared
        return found[0].radius_squared


def _under(r2: Fraction) -> Fraction:
    """A rational t with 0 < t and t² ≤ r2 (r2 > 0), close to √r2."""
    bits = 16
    while True:
        t = Fraction(isqrt(r2.numerator * 4**bits // r2.denominator), 2**bits)
        if t > 0:
            return t
        bits *= 2
