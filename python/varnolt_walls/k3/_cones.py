"""The divisor classes of the walls of v and the nef, movable and effective cones of M_H(v).

Divisors as Mukai vectors. After Bayer and Macrì, NS(M_σ(v)) ⊗ ℚ is v^⊥ through Mukai's map
θ_v, and we write a divisor class as the vector w ∈ v^⊥ that θ_v sends to it. Here v^⊥ has
rank two and signature (1, 1) (the Mukai lattice has signature (2, 1) and v² > 0), so its
positive classes form two opposite open cones; two positive classes lie in the same one
exactly when they pair positively (reverse Cauchy–Schwarz). The positive cone is the one
holding h0 = −(0, r, c·degree), the ray of the vertical wall: for the Hilbert scheme
(v = (1, 0, 1 − n)) h0 = (0, −1, 0) = H̃, nef and not ample (Hilbert–Chow). Every class
that ℓ (below) gives lies on that side, for every v: with Z(w) = −⟨Ω, w⟩ (see _walls),
Ω = (1, z, degree·z²/2) and ζ = z − c/r = a + i·α, Z(h0) = degree·r·ζ and −Z(v) =
(m − K·ζ²)/(2r) with m = v², K = degree·r², so ⟨w_σ, h0⟩ = Im(Z(h0)/(−Z(v))) =
2K·Im(ζ/(m − K·ζ²)) = 2K·α·(m + K·|ζ|²)/|m − K·ζ²|² > 0.

The ray of a wall. Bayer–Macrì's map ℓ sends σ to θ_v(w_σ), w_σ ∈ v^⊥ the class with
⟨w_σ, ·⟩ = Im(−Z(·)/Z(v)); w_σ lies in the positive plane P(σ) spanned by Re Ω and Im Ω.
On the wall of H_W = u^⊥ (u ∈ v^⊥, u² > 0) the normal n(σ) lies in H_W, so u ⊥ n, u ∈ P,
and P ∩ v^⊥ is the line of u: every σ on the wall goes to the ray of u. The wall with
centre x (x < c/r) has u ∥ u_x = (1, x, (x·c·degree − s)/r): u_x ⊥ v, and its centre is
c_u/r_u = x (see _walls). ⟨u_x, h0⟩ = degree·(c − r·x) > 0, so u_x is the orientation into
the positive cone; u_x depends affinely on x and tends to the line of h0 as x → −∞ (the
large-volume limit), so the rays of the walls come in from h0 in the order of their
centres. The point where the walls shrink to radius 0 (a Lagrangian fibration) gives the
isotropic u_x there.

The cones. The chambers between consecutive walls are the ample cones of the birational
models of M_H(v) (Bayer–Macrì: ℓ maps each chamber of Stab onto the ample cone of its
model, and the moduli spaces are the same across a non-wall). The Gieseker chamber lies
next to the vertical wall, so when that is an actual wall (its lattice holds v and the
point class (0, 0, 1)) Nef = ⟨h0, ray of the first wall⟩. When the vertical wall is
divisorial, the movable cone is the union of the closed chambers from h0 to the first
divisorial contraction or Lagrangian fibration, the end that _walls finds: Mov = ⟨h0,
ray of the end⟩. When the vertical wall is a flop, or no wall, the chambers go on right of
it (σ with β > c/r, every one of which ℓ also sends into the positive cone, by the formula
above): the walls there (found by the mirror of _walls) have u = −u_x (x > c/r, so
⟨u_x, h0⟩ < 0), their rays come in from h0 on its other side as x → +∞, and Mov = ⟨ray of
the end on the right, ray of the end on the left⟩, Eff alike with the divisors contracted at
the two ends; when the vertical wall is no wall the Gieseker chamber reaches over it, and
Nef = ⟨ray of the first wall on the right, ray of the first on the left⟩.

Contracted divisors. A divisorial wall of ray u contracts a prime divisor D with D² < 0,
D ⊥ u (D is θ_v of the projection to v^⊥ of a class a ∈ H_W = u^⊥: D ∥ v²·a − ⟨a, v⟩·v).
In the plane v^⊥ this fixes D up to sign; a prime divisor pairs non-negatively with every
movable class (Boucksom, Markman), so D is oriented by ⟨D, h⟩ > 0 for a class h inside the
movable cone: h = u_y for a centre y below that of the end. As r·u_y = (r, 0, −s) + y·r·(0, 1,
c·degree/r) = (r, 0, −s) − y·h0 (h0 before it is made primitive), ⟨D, u_y⟩ is ⟨D, (r, 0, −s)⟩/r
for the vertical wall's D ⊥ h0, whatever y; and for the end's D ⊥ u_x (x the end's centre),
⟨D, u_y⟩ = (x − y)·⟨D, h0⟩/r, of the sign of ⟨D, h0⟩ (y < x). For the Hilbert
scheme this gives B at the vertical wall. A prime divisor D with D² < 0 spans an extremal
ray of the effective cone (another prime divisor E has ⟨E, D⟩ >= 0), and a nef isotropic f
has ⟨E, f⟩ >= 0 for every effective E, a half-plane bounded by ℝ·f: so Eff = ⟨contracted
divisor at the vertical wall, contracted divisor at the end, or f for a Lagrangian end⟩.
"""

from __future__ import annotations

from fractions import Fraction
from math import gcd
from typing import NamedTuple

from .._digits import decimal_text, fraction_text
from ._lattice import Mukai, pairing

Ray = tuple[int, int, int]


class Cones(NamedTuple):
    """The nef, movable and effective cones, each the pair of its rays (the vertical wall's side first) or None."""

    nef: tuple[Ray, Ray] | None
    movable: tuple[Ray, Ray] | None
    effective: tuple[Ray, Ray] | None


def primitive(w: tuple[int, int, int]) -> Ray:
    g = gcd(*w)
    return (w[0] // g, w[1] // g, w[2] // g)


def vertical_ray(v: Mukai, degree: int) -> Ray:
    """h0 = −(0, r, c·degree), made primitive: the ray of the vertical wall (H̃ for Hilbⁿ)."""
    return primitive((0, -v[0], -v[1] * degree))


def wall_ray(v: Mukai, degree: int, center: Fraction) -> Ray:
    """The primitive u ∈ v^⊥ spanning H_W^⊥ of the wall with this centre, oriented into the positive cone:
    q·r·u_x = (q·r, p·r, p·c·degree − q·s) for x = p/q."""
    r, c, s = v
    p, q = center.numerator, center.denominator
    return primitive((q * r, p * r, p * c * degree - q * s))


def contracted_divisor(v: Mukai, degree: int, a: Mukai, toward: Ray) -> Ray:
    """The primitive D ∥ v²·a − ⟨a, v⟩·v of a deciding class a of a divisorial wall, oriented by ⟨D, toward⟩ > 0:
    `toward` is h0 for the wall that ends the movable cone, and (r, 0, −s) for the vertical wall (the sign
    of ⟨D, u_y⟩ for every centre y inside the movable cone, see above: r·u_y = (r, 0, −s) − y·r·h0/r)."""
    m, t = pairing(v, v, degree), pairing(a, v, degree)
    d = primitive((m * a[0] - t * v[0], m * a[1] - t * v[1], m * a[2] - t * v[2]))
    return d if pairing(d, toward, degree) > 0 else (-d[0], -d[1], -d[2])


def hilbert_points(v: Mukai) -> int | None:
    """n when v = (1, 0, 1 − n), the Hilbert scheme of n points, else None."""
    return 1 - v[2] if v[0] == 1 and v[1] == 0 else None


def in_h_and_b(w: Ray) -> tuple[int, int]:
    """(a, b) with r·w = a·h − b·b in the basis h = (0, −r, −c·degree), b = (−r, 0, s) of v^⊥ (`basis_of`): for
    w ⊥ v, r·w_s = c·degree·w_c − s·w_r makes the third entries agree. For v = (1, 0, 1 − n), w = a·H̃ − b·B."""
    return -w[1], w[0]


def basis_of(v: Mukai, degree: int) -> tuple[Ray, Ray]:
    """The basis (h, b) of v^⊥ ⊗ ℚ that divisors are written in: h = (0, −r, −c·degree), b = (−r, 0, s) (both ⊥ v;
    H̃ and B for the Hilbert scheme, v = (1, 0, 1 − n))."""
    return (0, -v[0], -v[1] * degree), (-v[0], 0, v[2])


def divisor_text(v: Mukai, w: Ray, latex: bool = False) -> str:
    """A class as researchers write it, scaled to one h as it spans a ray: for Hilbⁿ "H̃ − 6/7·B", for other v
    "h − 6/7·b" in the basis of `basis_of`; its numbers whatever their size."""
    a, b = in_h_and_b(w)
    if hilbert_points(v) is not None:
        h, bb = (r"\tilde{H}", "B") if latex else ("H̃", "B")
    else:
        h, bb = (r"\mathbf{h}", r"\mathbf{b}") if latex else ("h", "b")
    minus = "-" if latex else "−"
    if a == 0:
        return bb if b < 0 else f"{minus}{bb}"
    mu = Fraction(b, abs(a))
    lead = h if a > 0 else f"{minus}{h}"
    if mu == 0:
        return lead
    sign = f" {minus} " if mu > 0 else " + "
    size = abs(mu)
    if size == 1:
        return f"{lead}{sign}{bb}"
    if latex:
        top, bottom = decimal_text(size.numerator), decimal_text(size.denominator)
        number = top if size.denominator == 1 else rf"\frac{{{top}}}{{{bottom}}}"
        return f"{lead}{sign}{number} {bb}"
    return f"{lead}{sign}{fraction_text(size)}·{bb}"


def cone_text(v: Mukai, cone: tuple[Ray, Ray] | None, latex: bool = False) -> str:
    if cone is None:
        return "not computed"
    first, second = (divisor_text(v, w, latex) for w in cone)
    return rf"\langle {first},\ {second} \rangle" if latex else f"⟨{first}, {second}⟩"
