"""The actual walls of a Mukai vector v on a K3 surface of Picard rank one, left of the vertical
wall, from the large-volume limit down to the end of the movable cone (and right of it, when the
vertical wall is a flop or no wall), and the chambers between them.

The walls of v and their lattices. With Ω = exp((β + iα)·H), Z(w) = −⟨Ω, w⟩ and the pairing of
signature (2, 1), Re Ω and Im Ω span a positive plane P(β, α) whose orthogonal line is
spanned by n(β, α) = (1, β, degree·(β² + α²)/2); every negative line is such an n, once. For
a rank-two primitive lattice H ∋ v, Z(H) ⊂ ℝ·Z(v) exactly when n ∈ H ⊗ ℝ: the walls of v
are the geodesics of the hyperbolic lattices H ∋ v, and on the wall of H_W = u^⊥ (u ∈ v^⊥,
u² > 0) the points are those with ⟨n, u⟩ = 0, the semicircle of centre c_u/r_u and radius²
u²/(degree·r_u²). Two of them meet only on ℝ·v, which is positive: the walls are nested.
The lattice H_W of a wall is found from any class a of it (see _lattice), and its kind
depends only on H_W, except for fake walls.

Completeness. A wall is an actual wall (a divisorial contraction or a flop) exactly when
H_W holds one of the finitely many kinds of classes (t, q) = (⟨a, v⟩, a²) the theorem names
(see `classify`), so the walls of the stretch are the walls of the classes of those
kinds; _orbits finds all of them, orbit by orbit in order. The movable cone ends at the
outermost wall holding a divisorial class (the outermost of the first class of each orbit
of the three divisorial kinds), or, when there is none and v^⊥ holds an isotropic class
(D = v²·degree a square), at the Lagrangian point where the walls shrink to the point
(c/r − √D/(r·degree), 0). Every flop of the stretch lies on an orbit before that end, so
walking each orbit of each flop kind up to the end finds them all.

Totally semistable and fake walls. Bayer–Macrì's theorem (Theorem 5.7) calls a wall W totally
semistable when H_W holds an isotropic w with ⟨w, v⟩ = 1 or an effective spherical s with
⟨s, v⟩ < 0, and fake when it is that and none of the divisorial or flop cases. Effectivity is
decided at a point σ0 of W: s is effective when Re Z(s)/Z(v) > 0 there. On the geodesic of
H_W, Z(s)/Z(v) is real and vanishes only where Z(s) = 0, the hole of s (n ∥ s, at
β = c_s/r_s; every spherical s ∈ H_W has one, as s² = −2 gives α² = 2/(degree·r_s²) > 0),
which stability conditions avoid: the holes cut the geodesic into arcs, each a wall of its own
with one sign of Z(s)/Z(v) for each s, and the kind (which needs no effectivity) is the same on
all of them. We cross every wall where it meets the semicircle C0 of centre c/r and radius²
v²/(degree·r²) (the walls of v cut it at right angles: ρ² + v²/(degree·r²) = (x − c/r)²), which
runs from the vertical wall down to β₋ on either side. There n ⊥ v, so for s ∈ H_W written as
λ·v + μ·n, ⟨s, v⟩ = λ·v² and Z(s)/Z(v) = λ = ⟨s, v⟩/v²: no spherical s with ⟨s, v⟩ < 0 is
effective on the arc through C0 (nor on the two arcs that meet there, by continuity, when C0
is itself a hole: then ⟨s, v⟩ = 0, a Brill–Noether wall). So on that arc a wall is totally
semistable exactly when H_W holds an isotropic w with ⟨w, v⟩ = ±1, a Hilbert–Chow class: the
kind "fake" never occurs where the walls are listed. Where one can occur: a fake wall needs an
effective spherical s with ⟨s, v⟩ < 0 and no flop class, so ⟨−s, v⟩ > v²/2 (else −s is a
flop class); s is effective only beyond its hole, on the arcs away from C0; so fake walls
lie only on such outer arcs of the geodesics of lattices with no deciding class. The path
C0 meets none of them: they bound no chamber and change no moduli space.

The right of the vertical wall. The isometry ι(r, c, s) = (r, −c, s) of the Mukai lattice
sends n(β, α) to n(−β, α) and v to v^∨ = (r, −c, s): the walls of v right of the vertical wall
are those of v^∨ left of its own, mirrored (β → −β), of the same kinds (the theorem asks only
about H_W and v). A divisor class w of v^∨ goes to −ι(w) = (−w_r, w_c, −w_s): ι sends the
positive cone of (v^∨)^⊥ (holding h0 of v^∨) to the negative one of v^⊥, as ι(h0(v^∨)) = −h0(v).
The chambers go on right of the vertical wall when it is a flop or no wall (rank >= 3):
every σ gives a class ℓ(σ) of the positive cone (see _cones), the Gieseker chamber lies left
of the vertical wall, and the models met right of it are the other birational models, up to the
wall that ends the movable cone there.
"""

from __future__ import annotations

from collections.abc import Iterator, Sequence
from dataclasses import dataclass, fields
from fractions import Fraction
from html import escape
from math import gcd
from operator import index
from typing import SupportsIndex, overload

from .._digits import decimal_text, fraction_text, text_fraction
from ..classes._arguments import chern_character
from ..classes._chern import ChernCharacter, ideal_sheaf  # noqa: F401 (ideal_sheaf: for the examples)
from ..classes._class_arguments import alone
from ..classes._options import Surface, exact_point  # noqa: F401 (Surface: for the examples)
from ._chambers import chambers_of
from ._cones import (Cones, Ray, basis_of, cone_text, contracted_divisor, divisor_text, hilbert_points, vertical_ray,
                     wall_ray)
from ._document import Document, difference, exact_repr, json_text, json_value, mukai_text, read_json
from ._lattice import DIVISORIAL, Mukai, Verdict, classify, pairing, wall_lattice
from ._orbits import Orbits, Setting, Solution, pairs_asked

# The default bound on the pairs (⟨a, v⟩, a²) a call asks about (see k3_walls): Hilb¹⁰⁰⁰ of degree 2 asks 168 101.
MAX_PAIRS = 300_000


@dataclass(frozen=True)
class K3Wall:
    """One wall of v: the semicircle (β − center)² + α² = radius_squared and what happens there.

    ``kind`` is "flop", "brill-noether", "hilbert-chow", "li-gieseker-uhlenbeck",
    "lagrangian" (the point where the walls end, radius² 0) or "fake" (a totally
    semistable wall that changes nothing: none where the walls are crossed here, on the
    semicircle of centre c/r and radius² v²/(degree·r²); see the notes at the top and
    :attr:`totally_semistable`);
    ``special_classes`` the classes of H_W that decide it, ``lattice`` a ℤ-basis
    (v, a) of H_W, ``codimension`` that of the flopped locus of a flop (the least
    ⟨a, b⟩ − 1 over its decompositions v = a + b), ``deciding_classes`` every deciding
    class with its kind: a wall with classes of several divisorial kinds is named after
    the first of Hilbert–Chow, Li–Gieseker–Uhlenbeck, Brill–Noether, and lists them all.

    ``divisor`` is the wall's ray in NS(M) ⊗ ℚ = v^⊥: the primitive generator of H_W^⊥,
    a Mukai vector in v^⊥ oriented into the positive cone (the ray that every stability
    condition on the wall gives; isotropic for a Lagrangian fibration), and
    ``contracted_divisor`` the class of the divisor a divisorial contraction contracts
    (primitive, in v^⊥, of negative square, oriented to be effective), None for
    the other kinds. For the Hilbert scheme (v = (1, 0, 1 − n)) the vector
    a·H̃ − b·B is (b, −a, b·(n − 1)), and :meth:`divisor_text` writes it so; for other v
    it writes the ray in the basis h, b of v^⊥ (:meth:`K3Walls.basis_text`).
    """

    center: Fraction
    radius_squared: Fraction
    kind: str
    special_classes: tuple[Mukai, ...]
    lattice: tuple[Mukai, Mukai]
    divisor: Ray
    codimension: int | None = None
    contracted_divisor: Ray | None = None
    deciding_classes: tuple[tuple[str, Mukai], ...] = ()

    @property
    def totally_semistable(self) -> bool:
        """Whether the wall destabilises every object of class v, where it is crossed (Bayer–Macrì, Theorem 5.7).

        Decided exactly on the arc of the wall through the semicircle of centre c/r and radius²
        v²/(degree·r²), where every class s of H_W has Z(s)/Z(v) = ⟨s, v⟩/v² (see the notes at the
        top): no spherical class with ⟨s, v⟩ < 0 is effective there, so the wall is totally
        semistable exactly when H_W holds an isotropic w with ⟨w, v⟩ = 1, which makes it
        Hilbert–Chow (the first divisorial kind, so a wall with such a class is named so). The
        Lagrangian point is no wall of the stability manifold: False.
        """
        return self.kind == "hilbert-chow"

    def divisor_text(self, latex: bool = False) -> str:
        """The wall's ray as researchers write it: "H̃ − 2/3·B" for Hilbⁿ, "h − 2/3·b" in the basis of
        :meth:`K3Walls.basis_text` for other v (LaTeX with `latex`)."""
        return divisor_text(self.lattice[0], self.divisor, latex)

    def __str__(self) -> str:
        extra = f", codimension {decimal_text(self.codimension)}" if self.codimension is not None else ""
        center = fraction_text(abs(self.center))
        shift = f"β + {center}" if self.center < 0 else f"β − {center}" if self.center else "β"
        contracts = ("" if self.contracted_divisor is None else
                     f", contracts {divisor_text(self.lattice[0], self.contracted_divisor)}")
        others: dict[str, list[str]] = {}
        for kind, a in self.deciding_classes:
            if kind != self.kind:
                others.setdefault(kind, []).append(mukai_text(a))
        also = "".join(f", also {kind} from {'; '.join(classes)}" for kind, classes in others.items())
        return (f"{self.kind} at ({shift})² + α² = {fraction_text(self.radius_squared)}{extra}, "
                f"from {'; '.join(map(mukai_text, self.special_classes))}{also}; "
                f"divisor {self.divisor_text()}{contracts}")

    def __repr__(self) -> str:
        # The dataclass's own repr, with numbers of any size.
        shown = ", ".join(f"{f.name}={exact_repr(getattr(self, f.name))}" for f in fields(self) if f.repr)
        return f"{type(self).__name__}({shown})"


class K3Walls(Sequence[K3Wall]):
    """The walls of v, largest first: a sequence of :class:`K3Wall`.

    Also ``v``, ``degree``, ``dimension`` (v² + 2, that of M(v)), ``above`` (the exact
    point, or None) and ``vertical``, the kind of the vertical wall β = c/r (None when
    it is no wall). ``str()`` gives one line per wall and the cones, :meth:`to_json` the
    command line's JSON form, which :meth:`from_json` reads back, and in a notebook it shows as a
    table. Its numbers are written exactly whatever their size (the classes of a wall grow with
    the Pell units of v^⊥, to many thousands of digits on a surface of large degree).

    When the vertical wall is a flop or no wall (rank >= 3), the chambers go on right of
    it: ``right_walls`` are the walls there, from the vertical wall down to the end of the
    movable cone on that side (empty when the vertical wall is divisorial, or when
    infinitely many flops come first there: the title says so).

    The cones of M_H(v) in NS ⊗ ℚ = v^⊥, each a pair of primitive Mukai vectors in v^⊥
    (the rays that bound it, the vertical wall's first), or None where they are not
    determined here: ``nef_cone`` (from the vertical wall to the first wall, or from
    the first wall right of it when it is no wall; None when `above` leaves no wall),
    ``movable_cone`` (to the wall that ends it; from the end right of the vertical
    wall when that is a flop or no wall; None with infinitely many flops) and
    ``effective_cone`` (from the divisor contracted at the vertical wall, or at the
    end on the right, to the one contracted at the end, or the Lagrangian
    fibration's isotropic class). For the Hilbert scheme they read ⟨H̃, H̃ − μ·B⟩
    (:meth:`cone_text`), for other v alike in the basis h, b of v^⊥ (:meth:`basis_text`). ``chambers`` are the ample cones of the birational models
    (:class:`K3Chamber`), from the Gieseker chamber (the nef cone) inwards, left of
    the vertical wall and then right of it.

    Examples
    --------
    >>> found = k3_walls(1, 0, -1, degree=2)
    >>> [w.kind for w in found], found.vertical
    (['flop', 'lagrangian'], 'hilbert-chow')
    >>> import json
    >>> json.loads(found.to_json())["walls"][1]["special_classes"]
    [[1, -1, 1]]
    >>> K3Walls.from_json(found.to_json()) == found
    True
    >>> found.nef_cone, found.cone_text("nef"), found.cone_text("effective"), found.dimension
    (((0, -1, 0), (2, -3, 2)), '⟨H̃, H̃ − 2/3·B⟩', '⟨B, H̃ − B⟩', 4)
    >>> print(found.cone_text("movable", latex=True))
    \\langle \\tilde{H},\\ \\tilde{H} - B \\rangle
    >>> for chamber in found.chambers:
    ...     print(chamber)
    ⟨H̃, H̃ − 2/3·B⟩ between hilbert-chow and flop
    ⟨H̃ − 2/3·B, H̃ − B⟩ between flop and lagrangian
    """

    def __init__(self, v: Mukai, degree: int, above: tuple[Fraction, Fraction] | None,
                 vertical: str | None, walls: list[K3Wall], cones: Cones = Cones(None, None, None),
                 right_walls: list[K3Wall] | None = None) -> None:
        self.v, self.degree, self.above, self.vertical = v, degree, above, vertical
        self._walls = walls
        self.nef_cone, self.movable_cone, self.effective_cone = cones
        self.right_walls = tuple(right_walls or ())
        self._right_unknown = right_walls is None
        h0 = None if vertical is None else (vertical_ray(v, degree), vertical)
        self.chambers = chambers_of(v, h0, [(w.divisor, w.kind) for w in walls],
                                    None if right_walls is None else [(w.divisor, w.kind) for w in right_walls])

    @property
    def dimension(self) -> int:
        """The dimension v² + 2 of the moduli space M(v)."""
        return pairing(self.v, self.v, self.degree) + 2

    def cone_text(self, which: str, latex: bool = False) -> str:
        """The "nef", "movable" or "effective" cone as researchers write it: "⟨H̃, H̃ − 2/3·B⟩" for Hilbⁿ,
        "⟨h, h − 2/3·b⟩" in the basis of :meth:`basis_text` otherwise (LaTeX with `latex`), "not computed"
        when it is None."""
        if which not in ("nef", "movable", "effective"):
            raise ValueError(f"which is 'nef', 'movable' or 'effective', not {which!r}")
        return cone_text(self.v, getattr(self, f"{which}_cone"), latex)

    def __len__(self) -> int:
        return len(self._walls)

    @overload
    def __getitem__(self, i: int) -> K3Wall: ...
    @overload
    def __getitem__(self, i: slice) -> list[K3Wall]: ...
    def __getitem__(self, i: int | slice) -> K3Wall | list[K3Wall]:
        return self._walls[i]

    def __iter__(self) -> Iterator[K3Wall]:
        return iter(self._walls)

    def __eq__(self, other: object) -> bool:
        return list(self) == (list(other) if isinstance(other, Sequence) else other)

    __hash__ = None  # type: ignore[assignment]

    def __repr__(self) -> str:
        return (f"K3Walls(v={exact_repr(self.v)}, degree={exact_repr(self.degree)}, vertical={self.vertical!r}, "
                f"walls={exact_repr(self._walls)})")

    def caption(self, latex: bool = False) -> str:
        """What the walls are of, for people: "Hilb³ of a K3 surface of degree 2, v = (1, 0, -2)" for the
        Hilbert scheme of n points (v = (1, 0, 1 − n)), "M_H(v) of a K3 surface of degree 2, v = …"
        otherwise, with "over σ(β, α)" when the walls are those over a point (in LaTeX with `latex`)."""
        n = hilbert_points(self.v)
        point = "" if self.above is None else "σ({}, {})".format(*map(fraction_text, self.above))
        v = f"v = {mukai_text(self.v)}"
        if latex:
            name = r"$M_H(v)$" if n is None else rf"$\mathrm{{Hilb}}^{{{decimal_text(n)}}}$"
            v, point = f"${v}$", point and f"${point.replace('σ', r'\sigma')}$"
        else:
            name = "M_H(v)" if n is None else "Hilb" + decimal_text(n).translate(SUPERSCRIPTS)
        over = f" over {point}" if point else ""
        return f"{name} of a K3 surface of degree {decimal_text(self.degree)}, {v}{over}"

    def _title(self, latex: bool = False) -> str:
        s = "" if len(self) == 1 else "s"
        right = len(self.right_walls)
        beyond = ("" if self.vertical in DIVISORIAL else
                  ", the chambers go on right of it: infinitely many flops there, not listed" if self._right_unknown
                  else f", the chambers go on right of it: {right} wall{'' if right == 1 else 's'} there")
        return f"{self.caption(latex)}: {len(self)} wall{s}, vertical wall: {self.vertical or 'none'}{beyond}"

    def _cones(self, latex: bool = False) -> str:
        return ", ".join(f"{which} cone {self.cone_text(which, latex)}" for which in ("nef", "movable", "effective"))

    def basis_text(self) -> str:
        """The basis of v^⊥ ⊗ ℚ that divisors are written in, as Mukai vectors: H̃ = (0, −1, 0) and
        B = (−1, 0, 1 − n) for Hilbⁿ, h = (0, −r, −c·degree) and b = (−r, 0, s) for other v (both ⊥ v).
        A ray written "h − 2/3·b" (:meth:`K3Wall.divisor_text`) is that of the vector h − 2/3·b.

        >>> k3_walls(3, 1, -1, degree=2).basis_text()
        'h = (0, -3, -2), b = (-3, 0, -1)'
        """
        names = ("H̃", "B") if hilbert_points(self.v) is not None else ("h", "b")
        return ", ".join(f"{name} = {mukai_text(w)}" for name, w in zip(names, basis_of(self.v, self.degree)))

    def __str__(self) -> str:
        chambers = "chambers: " + ", ".join(c.text() for c in self.chambers) if self.chambers else "chambers: none"
        return "\n".join([self._title(), *map(str, self), *(f"right: {w}" for w in self.right_walls), self._cones(),
                          chambers, *self._basis_lines()])

    def _basis_lines(self) -> list[str]:
        """The basis of v^⊥ the divisors are written in, for v other than Hilbⁿ (whose H̃ and B are known)."""
        return [] if hilbert_points(self.v) is not None else [f"divisors in the basis {self.basis_text()} of v^⊥"]

    def _repr_latex_(self) -> str:
        cones = ", ".join(rf"$\mathrm{{{name}}} = {self.cone_text(which, latex=True)}$" if getattr(self, f"{which}_cone")
                          else rf"{name}: not computed" for name, which in
                          (("Nef", "nef"), ("Mov", "movable"), ("Eff", "effective")))
        chambers = "".join(rf", $\mathrm{{Amp}}_{{{i}}} = {c.text(latex=True)}$" for i, c in enumerate(self.chambers))
        basis = ", ".join(f"${name} = {mukai_text(w)}$" for name, w in zip((r"\mathbf{h}", r"\mathbf{b}"),
                                                                          basis_of(self.v, self.degree)))
        basis = "" if hilbert_points(self.v) is not None else rf"; divisors in the basis {basis} of $v^\perp$"
        return f"{self._title(latex=True)}; {cones}{chambers}{basis}"

    def _repr_html_(self) -> str:
        head = "".join(f"<th>{h}</th>" for h in ("kind", "center", "radius²", "codimension", "special classes",
                                                 "divisor", "contracted divisor"))
        rows = "".join(
            "<tr>" + "".join(f"<td>{escape(str(x))}</td>" for x in (
                w.kind + (" (right)" if w.center > Fraction(self.v[1], self.v[0]) else ""),
                fraction_text(w.center), fraction_text(w.radius_squared),
                "" if w.codimension is None else decimal_text(w.codimension),
                "; ".join(map(mukai_text, w.special_classes)), w.divisor_text(),
                "" if w.contracted_divisor is None else divisor_text(self.v, w.contracted_divisor))) + "</tr>"
            for w in (*self, *self.right_walls))
        cones = "".join(f"<tr><th>{which} cone</th><td colspan=\"6\">{escape(self.cone_text(which))}</td></tr>"
                        for which in ("nef", "movable", "effective"))
        chambers = "".join(f"<tr><th>chamber {i}</th><td colspan=\"6\">{escape(str(c))}</td></tr>"
                           for i, c in enumerate(self.chambers))
        basis = "".join(f"<tr><th>basis of v^⊥</th><td colspan=\"6\">{escape(self.basis_text())}</td></tr>"
                        for _ in self._basis_lines())
        return (f"<table><caption>{escape(self._title())}</caption><tr>{head}</tr>{rows}{cones}{chambers}{basis}"
                "</table>")

    def to_json(self) -> str:
        """The walls as the command line's ``k3 --format json`` writes them: one JSON object with v, the
        degree, the dimension, the point, the vertical wall's kind, the walls (each with all its fields)
        and the cones; numbers exact, Fractions as "p/q" texts (see the command's help)."""
        return json_text(self._document())

    def _document(self) -> Document:
        """The document of :meth:`to_json` as a dict: every field of the walls, and every public
        attribute of the result, each in its JSON form (`json_value`)."""
        head = {"mukai_vector": self.v, "degree": self.degree, "dimension": self.dimension, "above": self.above,
                "vertical": self.vertical, "walls": self._walls}
        rest = {name: x for name, x in vars(self).items() if not name.startswith("_") and name != "v"}
        return {name: json_value(x) for name, x in (head | rest).items()}

    @classmethod
    def from_json(cls, text: str | bytes) -> K3Walls:
        """The walls of a document of :meth:`to_json` (or of ``k3 --format json``), exactly as they were.

        The walls of its v, degree and point are found again and the whole document is checked
        against them: a document that is not one of K3 walls, or that differs from them in any
        field, is a ValueError that says where.
        """
        document = read_json(text, "K3 walls")
        missing = [name for name in ("mukai_vector", "degree", "above") if name not in document]
        if missing:
            raise ValueError(f"not a document of K3 walls: {', '.join(missing)} missing")
        v, degree, above = document["mukai_vector"], document["degree"], document["above"]
        if not (isinstance(v, list) and len(v) == 3 and all(type(x) is int for x in v)):
            raise ValueError(f"mukai_vector is three integers [r, c, s], not {json_text(v)[:60]}")
        if type(degree) is not int:
            raise ValueError(f"degree is an integer, not {json_text(degree)[:60]}")
        if above is not None and not (isinstance(above, list) and len(above) == 2
                                      and all(isinstance(x, str) for x in above)):
            raise ValueError(f'above is null or two texts ["p/q", "p/q"], not {json_text(above)[:60]}')
        try:
            point = None if above is None else (text_fraction(above[0]), text_fraction(above[1]))
            found = k3_walls(*v, degree=degree, above=point)
        except (ValueError, OverflowError) as error:
            raise ValueError(f"the walls of the document's v = {mukai_text(v)} on degree {decimal_text(degree)} "
                             f"cannot be found again: {error}") from None
        wrong = difference(document, found._document())
        if wrong is not None:
            raise ValueError(f"the document is not the walls of v = {mukai_text(v)} on degree "
                             f"{decimal_text(degree)}: {wrong}")
        return found


SUPERSCRIPTS = str.maketrans("0123456789-", "⁰¹²³⁴⁵⁶⁷⁸⁹⁻")


def mukai_arguments(r: ChernCharacter | SupportsIndex, c: SupportsIndex | None, s: SupportsIndex | None,
                    degree: SupportsIndex | None) -> tuple[SupportsIndex, SupportsIndex, SupportsIndex, SupportsIndex]:
    """(r, c, s, degree) of k3_walls' arguments: a class alone, whose Mukai vector and degree they are (a
    `degree` that differs is a ValueError), or the integers with `degree`."""
    if isinstance(r, ChernCharacter):
        own = alone(r, c, s).degree
        if degree is not None and index(degree) != own:
            raise ValueError(f"{r} lives on a surface of degree {own}, but degree={index(degree)} was given")
        return (*r.mukai, own)
    if c is None or s is None or degree is None:
        missing = [name for name, x in (("c", c), ("s", s), ("degree", degree)) if x is None]
        raise TypeError(f"v is a ChernCharacter alone or the integers r, c, s with degree: "
                        f"{' and '.join(missing)} missing")
    return r, c, s, degree


def checked_vector(r: SupportsIndex, c: SupportsIndex, s: SupportsIndex, degree: SupportsIndex) -> tuple[Mukai, int]:
    v = chern_character(r, c, s)
    d = index(degree)
    if d <= 0 or d % 2:
        raise ValueError(f"degree must be even and positive (H² of an ample class on a K3 surface), not {d}")
    if v[0] < 1:
        raise ValueError(f"r must be >= 1: the walls listed are those of a positive rank, either side of the "
                         f"vertical wall β = c/r (for r < 0 take −v, the class of a shift), not {v[0]}")
    if gcd(*v) != 1:
        k = gcd(*v)
        raise ValueError(f"v = {v} is not primitive: it is {k}·{tuple(x // k for x in v)}. Bayer and Macrì's "
                         "classification of the walls, used here, is for primitive v (for v = k·v0 the moduli "
                         "spaces are singular where strictly semistable objects live): not computed")
    if pairing(v, v, d) <= 0:
        raise ValueError(f"v = {v} has v² = {pairing(v, v, d)} <= 0 on degree {d}: its moduli space is not "
                         "a hyperkähler of dimension >= 2")
    return v, d


@overload
def k3_walls(v: ChernCharacter, /, *, degree: SupportsIndex | None = None,
             above: tuple[object, object] | None = None, max_pairs: SupportsIndex = MAX_PAIRS) -> K3Walls: ...
@overload
def k3_walls(r: SupportsIndex, c: SupportsIndex, s: SupportsIndex, *, degree: SupportsIndex,
             above: tuple[object, object] | None = None, max_pairs: SupportsIndex = MAX_PAIRS) -> K3Walls: ...
def k3_walls(r: ChernCharacter | SupportsIndex, c: SupportsIndex | None = None, s: SupportsIndex | None = None, *,
             degree: SupportsIndex | None = None, above: tuple[object, object] | None = None,
             max_pairs: SupportsIndex = MAX_PAIRS) -> K3Walls:
    """The actual walls of v = (r, c, s) on a K3 surface of Picard rank one, largest first.

    X has Pic X = ℤ·H, H² = `degree` (even, >= 2); v = (rank, c₁ = c·H, ch₂ + r) is a
    primitive Mukai vector with v² = c²·degree − 2r·s > 0, so M_σ(v) is a hyperkähler
    manifold of dimension v² + 2. The walls are those of σ(β, α) left of the vertical
    wall β = c/r, met from the large-volume limit down to the one that ends the movable
    cone of M(v): the first divisorial contraction or the Lagrangian fibration (the point
    where the walls shrink to radius 0). Each is classified exactly by the theorem of
    Bayer and Macrì from its rank-two lattice H_W.

    Parameters
    ----------
    r, c, s : int
        The Mukai vector: rank r >= 1, c₁ = c·H, s = ch₂ + r (ch₂ in points).
        Or a :class:`ChernCharacter` on a surface of even degree alone (its
        ``mukai`` vector, e.g. from :func:`from_mukai` or :func:`ideal_sheaf`).
    degree : int
        H², even and positive; a class's own degree when one is given (a
        `degree` that differs from it is a ValueError).
    above : (beta, alpha), optional
        Keep only the walls passing strictly over σ(beta, alpha) (a point left of the
        vertical wall, alpha > 0; numbers, Fractions or texts "a/b", taken exactly). Needed when
        the movable cone has no end on this side: infinitely many flops.
    max_pairs : int
        The most pairs (⟨a, v⟩, a²) of deciding classes to ask about, 300 000 by default:
        the walls are found by one Pell equation for each, about (v²)²/24 of them
        for v² > 0 (Hilb¹⁰⁰⁰ of degree 2, v² = 1998, asks 168 101 and has 68 148
        walls, some ten seconds and a quarter of a gigabyte). A larger v is refused
        at once, before any is solved.

    Returns
    -------
    K3Walls
        The walls (:class:`K3Wall`), with ``vertical``, the kind of the vertical wall
        when it is a wall (Hilbert–Chow for Hilbert schemes of points), the walls right
        of it (``right_walls``) when it is a flop or no wall, the cones and the
        ``chambers`` (:class:`K3Chamber`). It prints, shows in a notebook and writes its
        JSON (:meth:`K3Walls.to_json`, read back by :meth:`K3Walls.from_json`) exactly,
        however many digits its numbers have.

    Raises
    ------
    ValueError
        For an odd or non-positive degree, r < 1, v not primitive, v² <= 0 or alpha <= 0; when
        infinitely many flops come before the end of the movable cone and `above`
        does not bound them; and when v asks more than `max_pairs` pairs (the
        message gives how many), or `max_pairs` < 0; and when an orbit of classes repeats
        modulo v²·r² only after more than 65 536 steps (the message says so).

    Notes
    -----
    These are not the pseudo-walls of :func:`walls` for the same class. With
    s = ch₂ + r, the central charge here is that of tilt stability σ(β, α') with
    α'² = α² − 2/n (n = `degree`; its imaginary part scaled by α/α' > 0), so a
    tilt wall of centre x and radius² ρ² is here the semicircle of centre x and
    radius² ρ² + 2/n, and a wall here of radius² <= 2/n, which lies where
    α² <= 2/n, has no tilt counterpart (the proof is in ``pictures/_k3_plot.py``).
    :func:`walls` of ``from_mukai(r, c, s, degree=n)`` lists the pseudo-walls of tilt
    stability, a superset of the actual walls that reach α² > 2/n; this lists the
    actual walls down to the end of the movable cone, small ones included. Eight
    points on a quartic: 3 pseudo-walls there, 6 walls here, of which the two with
    radius² > 1/2 are two of the three pseudo-walls moved up by 1/2. ``plot_k3(found,
    pseudo=True)`` draws both in this plane.

    Examples
    --------
    The Hilbert scheme of three points on a K3 surface of degree 2:

    >>> found = k3_walls(1, 0, -2, degree=2)
    >>> found.vertical, len(found)
    ('hilbert-chow', 1)
    >>> w = found[0]
    >>> w.kind, w.center, w.radius_squared, w.special_classes
    ('brill-noether', Fraction(-2, 1), Fraction(2, 1), ((-1, 1, -2), (1, -1, 2)))
    >>> [w.kind for w in k3_walls(1, 0, -3, degree=2)]
    ['flop', 'li-gieseker-uhlenbeck']
    >>> k3_walls(ideal_sheaf(3, surface=Surface(degree=2))) == found
    True
    """
    v, d = checked_vector(*mukai_arguments(r, c, s, degree))
    point = None if above is None else exact_point(above)
    if point is not None and point[1] <= 0:
        raise ValueError(f"alpha must be > 0: σ(β, α) is a stability condition only for α > 0, not {point[1]}")
    limit = index(max_pairs)
    if limit < 0:
        raise ValueError(f"max_pairs must be >= 0, not {limit}")
    m = pairing(v, v, d)
    asked, exact = pairs_asked(m, limit)
    if asked > limit:
        raise ValueError(f"v = {v} on degree {d} has v² = {m}: its walls ask about "
                         f"{'' if exact else 'at least '}{asked:,} pairs (⟨a, v⟩, a²), a Pell equation each, more than max_pairs="
                         f"{limit:,} (Hilb¹⁰⁰⁰ of degree 2 asks 168,101: 68,148 walls in some ten seconds and "
                         "a quarter of a gigabyte); pass a larger max_pairs to walk them all")
    vertical_verdict = classify(wall_lattice(v, (0, 0, 1), d))
    left = _left_walls(v, d, point)
    if left is None:
        raise ValueError(f"v = {v} on degree {d} has infinitely many flops left of the vertical wall and no "
                         "divisorial contraction or Lagrangian fibration ending them: give above=(beta, alpha), "
                         "a point that only finitely many walls pass over")
    walls, end, end_class = left
    right = None
    if vertical_verdict.kind not in DIVISORIAL:  # the chambers go on right of the vertical wall
        mirrored = _left_walls((v[0], -v[1], v[2]), d, None)
        # None: infinitely many flops there; [] when there is neither a wall nor an end (an irrational side).
        right = None if mirrored is None else [_mirror(v, w) for w in mirrored[0]]
    return K3Walls(v, d, point, vertical_verdict.kind, walls,
                   _cones(v, d, vertical_verdict, walls, end, end_class, right), right)


def _left_walls(v: Mukai, d: int, point: tuple[Fraction, Fraction] | None
                ) -> tuple[list[K3Wall], Fraction | None, Mukai | None] | None:
    """The walls left of the vertical wall down to the end (or strictly over `point`), the end's centre and a
    divisorial class of it; None when infinitely many flops come first and nothing bounds them."""
    setting = Setting(v, d)
    orbits = Orbits(setting)
    end, end_class, lagrangian = _end(setting, orbits)
    # The walls listed: centre <= cut, the end of the movable cone, or centre < cut when
    # the point comes first (the walls strictly over it).
    cut, strict = end, False
    point_cut = None if point is None else center_through(v, d, point)
    if point_cut is not None and (cut is None or point_cut <= cut):
        cut, strict, lagrangian = point_cut, True, None
    if cut is None:
        if any(orbits.first_class(t, start) for t, q in _flop_kinds(setting.m)
               for start in orbits.starts(setting.right_side(t, q))):
            return None
        return [], None, None
    classes: dict[Fraction, Mukai] = {}
    for t, q in [*_divisorial_kinds(), *_flop_kinds(setting.m)]:
        for start in orbits.starts(setting.right_side(t, q)):
            for xy in orbits.walk(start):
                if setting.past(xy, cut, strict):
                    break
                for sign in (1, -1):
                    a = setting.class_of(t, (sign * xy[0], sign * xy[1]))
                    if a is not None:
                        classes.setdefault(setting.center(xy), a)
    walls = [_wall(setting, x, classes[x]) for x in sorted(classes)]
    if lagrangian is not None:
        walls.append(_lagrangian(setting, lagrangian))
    return walls, end, end_class


def _mirror(v: Mukai, w: K3Wall) -> K3Wall:
    """The wall of v right of the vertical wall that is the wall w of v^∨ = (r, −c, s) mirrored (see the notes
    at the top): classes through ι(r, c, s) = (r, −c, s), divisor classes through −ι."""
    def cls(a: Mukai) -> Mukai:
        return (a[0], -a[1], a[2])

    def divisor(a: Ray) -> Ray:
        return (-a[0], a[1], -a[2])
    return K3Wall(-w.center, w.radius_squared, w.kind, tuple(map(cls, w.special_classes)), (v, cls(w.lattice[1])),
                  divisor(w.divisor), w.codimension,
                  None if w.contracted_divisor is None else divisor(w.contracted_divisor),
                  tuple((kind, cls(a)) for kind, a in w.deciding_classes))


def _cones(v: Mukai, d: int, vertical: Verdict, walls: list[K3Wall], end: Fraction | None,
           end_class: Mukai | None, right: list[K3Wall] | None) -> Cones:
    """The nef, movable and effective cones from the vertical wall, the walls listed, the end (see _cones) and the
    walls right of the vertical wall (down to the end there; None when not computed)."""
    h0 = vertical_ray(v, d)
    if vertical.kind is not None:
        nef = (h0, walls[0].divisor) if walls else None
    else:  # the Gieseker chamber reaches over the vertical line to the first wall right of it
        nef = (right[0].divisor, walls[0].divisor) if walls and right else None
    if end is None or vertical.kind not in DIVISORIAL and not right:
        return Cones(nef, None, None)
    listed = bool(walls) and walls[-1].center == end
    last = walls[-1].divisor if listed else wall_ray(v, d, end)
    # A Lagrangian end has no deciding class of a divisor: its isotropic ray bounds both cones.
    contracted = walls[-1].contracted_divisor if listed else None
    far = last if end_class is None else contracted or contracted_divisor(v, d, end_class, h0)
    if right:  # the movable cone reaches over the vertical wall (a flop, or no wall) to the end on the right
        return Cones(nef, (right[-1].divisor, last), (right[-1].contracted_divisor or right[-1].divisor, far))
    inwards = (v[0], 0, -v[2])
    return Cones(nef, (h0, last), (contracted_divisor(v, d, vertical.special_classes[0], inwards), far))


def _divisorial_kinds() -> list[tuple[int, int]]:
    return [(1, 0), (2, 0), (0, -2)]


def _flop_kinds(m: int) -> list[tuple[int, int]]:
    """(⟨a, v⟩, a²) of the spherical classes and summands that make a flop (see `classify`), with t² − m·q > 0."""
    kinds = [(t, -2) for t in range(1, m // 2 + 1)]
    return kinds + [(t, q) for t in range(1, m // 2 + 1) for q in range(max(0, 2 * t - m), (t * t - 1) // m + 1)]


def _end(setting: Setting, orbits: Orbits) -> tuple[Fraction | None, Mukai | None, Solution | None]:
    """The centre of the wall that ends the movable cone, a divisorial class of it (None when it is
    Lagrangian), and the isotropic solution when it is Lagrangian."""
    found = [(setting.center(xy), a) for t, q in _divisorial_kinds()
             for start in orbits.starts(setting.right_side(t, q))
             if (first := orbits.first_class(t, start)) is not None for xy, a in [first]]
    if found:
        return *min(found), None
    if orbits.square:  # v^⊥ holds an isotropic class: the walls end at the point of radius 0
        isotropic = (orbits.root, -1)
        return setting.center(isotropic), None, isotropic
    return None, None, None


def center_through(v: Mukai, degree: int, point: tuple[Fraction, Fraction]) -> Fraction | None:
    """The centre x_P of the wall of v through σ(β, α): the walls with centre < x_P pass over it.

    ρ²(x) − (β − x)² − α² = 2·(c/r − β)·(x_P − x), as ρ²(x) = (x − c/r)² − v²/(degree·r²).
    None when no wall of v passes through the point (it lies under all of them).
    """
    (r, c, _), beta, alpha, m = v, *point, pairing(v, v, degree)
    vertical = Fraction(c, r)
    if beta >= vertical:
        raise ValueError(f"above must be left of the vertical wall β = {vertical}, not β = {fraction_text(beta)}")
    x = (vertical ** 2 - Fraction(m, degree * r * r) - beta ** 2 - alpha ** 2) / (2 * (vertical - beta))
    return x if x < vertical and (vertical - x) ** 2 * degree * r * r > m else None


def _radius_squared(setting: Setting, x: Fraction) -> Fraction:
    r, c, _ = setting.v
    return (x - Fraction(c, r)) ** 2 - Fraction(setting.m, setting.degree * r * r)


def _wall(setting: Setting, x: Fraction, a: Mukai) -> K3Wall:
    lattice = wall_lattice(setting.v, a, setting.degree)
    verdict = classify(lattice)
    assert verdict.kind is not None, "a deciding class makes an actual wall"
    v, d = setting.v, setting.degree
    # A divisorial wall listed is the end of the movable cone: h0 pairs positively with its divisor.
    contracted = (contracted_divisor(v, d, verdict.special_classes[0], vertical_ray(v, d))
                  if verdict.kind in DIVISORIAL else None)
    return K3Wall(x, _radius_squared(setting, x), verdict.kind, verdict.special_classes,
                  (lattice.v, lattice.a), wall_ray(v, d, x), verdict.codimension, contracted, verdict.deciding)


def _lagrangian(setting: Setting, direction: Solution) -> K3Wall:
    """The point where the walls end: the least isotropic class w ∈ v^⊥ on the left (⟨w, v⟩ = 0)."""
    step = 1
    while (w := setting.class_of(0, (direction[0] * step, direction[1] * step))) is None:
        step += 1  # step = v²·r² gives X ≡ Y ≡ 0 modulo M, a class: the loop ends
    lattice = wall_lattice(setting.v, w, setting.degree)
    x = setting.center(direction)
    return K3Wall(x, Fraction(0), "lagrangian", (w,), (lattice.v, lattice.a), wall_ray(setting.v, setting.degree, x),
                  deciding_classes=(("lagrangian", w),))

