"""The actual walls of a Mukai vector v on a K3 surface of Picard rank one, left of the vertical
wall, from the large-volume limit down to the end of the movable cone.

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

Fake walls. The theorem decides effectivity at a point σ0 of the wall: a spherical s is
effective when Re Z(s)/Z(v) > 0 there, and this changes sign where the wall meets the
hole Z(s) = 0. We cross every wall where it meets the semicircle C0 of centre c/r and
radius² v²/(degree·r²) (the walls of v cut it at right angles: ρ² + v²/(degree·r²) = (x − c/r)²),
which runs from the vertical wall down to β₋. There n ⊥ v, so for s ∈ H_W written as
λ·v + μ·n, ⟨s, v⟩ = λ·v² and Z(s)/Z(v) = λ = ⟨s, v⟩/v²: a spherical s with ⟨s, v⟩ < 0 is not
effective at σ0, and an isotropic w with ⟨w, v⟩ = 1 is Hilbert–Chow. So on that path no wall
is totally semistable without being divisorial: the kind "fake" never occurs there.
"""

from __future__ import annotations

import json
from collections.abc import Iterator, Sequence
from dataclasses import dataclass
from fractions import Fraction
from html import escape
from math import gcd
from operator import index
from typing import Any, SupportsIndex, overload

from ..classes._arguments import chern_character
from ..classes._chern import ChernCharacter, ideal_sheaf  # noqa: F401 (ideal_sheaf: for the examples)
from ..classes._class_arguments import alone
from ..classes._options import Surface, exact_point  # noqa: F401 (Surface: for the examples)
from ._cones import Cones, Ray, cone_text, contracted_divisor, divisor_text, vertical_ray, wall_ray
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
    semicircle of centre c/r and radius² v²/(degree·r²); see the notes at the top);
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
    a·H̃ − b·B is (b, −a, b·(n − 1)), and :meth:`divisor_text` writes it so.
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

    def divisor_text(self, latex: bool = False) -> str:
        """The wall's ray as researchers write it: "H̃ − 2/3·B" for Hilbⁿ (LaTeX with `latex`), else the vector."""
        return divisor_text(self.lattice[0], self.divisor, latex)

    def __str__(self) -> str:
        extra = f", codimension {self.codimension}" if self.codimension is not None else ""
        shift = f"β + {-self.center}" if self.center < 0 else f"β − {self.center}" if self.center else "β"
        contracts = ("" if self.contracted_divisor is None else
                     f", contracts {divisor_text(self.lattice[0], self.contracted_divisor)}")
        others: dict[str, list[str]] = {}
        for kind, a in self.deciding_classes:
            if kind != self.kind:
                others.setdefault(kind, []).append(str(a))
        also = "".join(f", also {kind} from {'; '.join(classes)}" for kind, classes in others.items())
        return (f"{self.kind} at ({shift})² + α² = {self.radius_squared}{extra}, "
                f"from {'; '.join(map(str, self.special_classes))}{also}; divisor {self.divisor_text()}{contracts}")

    def to_json(self) -> dict[str, Any]:
        return {"center": str(self.center), "radius_squared": str(self.radius_squared), "kind": self.kind,
                "special_classes": [list(a) for a in self.special_classes],
                "lattice": [list(a) for a in self.lattice], "codimension": self.codimension,
                "divisor": list(self.divisor),
                "contracted_divisor": None if self.contracted_divisor is None else list(self.contracted_divisor),
                "deciding_classes": [[kind, list(a)] for kind, a in self.deciding_classes]}


class K3Walls(Sequence[K3Wall]):
    """The walls of v, largest first: a sequence of :class:`K3Wall`.

    Also ``v``, ``degree``, ``dimension`` (v² + 2, that of M(v)), ``above`` (the exact
    point, or None) and ``vertical``, the kind of the vertical wall β = c/r (None when
    it is no wall). ``str()`` gives one line per wall and the cones, ``to_json()``/``json()``
    the command line's JSON form, and in a notebook it shows as a table.

    The cones of M_H(v) in NS ⊗ ℚ = v^⊥, each a pair of primitive Mukai vectors in v^⊥
    (the rays that bound it, the vertical wall's first), or None where they are not
    determined here: ``nef_cone`` (from the vertical wall to the first wall; None when
    the vertical wall is no wall, or `above` leaves no wall), ``movable_cone`` (to the
    wall that ends it; None unless the vertical wall is divisorial, or with infinitely
    many flops) and ``effective_cone`` (from the divisor contracted at the vertical wall
    to the one contracted at the end, or the Lagrangian fibration's isotropic class).
    For the Hilbert scheme they read ⟨H̃, H̃ − μ·B⟩ (:meth:`cone_text`).

    Examples
    --------
    >>> found = k3_walls(1, 0, -1, degree=2)
    >>> [w.kind for w in found], found.vertical
    (['flop', 'lagrangian'], 'hilbert-chow')
    >>> found.to_json()["walls"][1]["special_classes"]
    [[1, -1, 1]]
    >>> found.nef_cone, found.cone_text("nef"), found.cone_text("effective"), found.dimension
    (((0, -1, 0), (2, -3, 2)), '⟨H̃, H̃ − 2/3·B⟩', '⟨B, H̃ − B⟩', 4)
    >>> print(found.cone_text("movable", latex=True))
    \\langle \\tilde{H},\\ \\tilde{H} - B \\rangle
    """

    def __init__(self, v: Mukai, degree: int, above: tuple[Fraction, Fraction] | None,
                 vertical: str | None, walls: list[K3Wall], cones: Cones = Cones(None, None, None)) -> None:
        self.v, self.degree, self.above, self.vertical = v, degree, above, vertical
        self._walls = walls
        self.nef_cone, self.movable_cone, self.effective_cone = cones

    @property
    def dimension(self) -> int:
        """The dimension v² + 2 of the moduli space M(v)."""
        return pairing(self.v, self.v, self.degree) + 2

    def cone_text(self, which: str, latex: bool = False) -> str:
        """The "nef", "movable" or "effective" cone as researchers write it: "⟨H̃, H̃ − 2/3·B⟩" for Hilbⁿ
        (LaTeX with `latex`), a pair of Mukai vectors otherwise, "not computed" when it is None."""
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
        return f"K3Walls(v={self.v}, degree={self.degree}, vertical={self.vertical!r}, walls={self._walls!r})"

    def _title(self) -> str:
        s = "" if len(self) == 1 else "s"
        return (f"v = {self.v} on a K3 surface of degree {self.degree}: {len(self)} wall{s}, "
                f"vertical wall: {self.vertical or 'none'}")

    def _cones(self, latex: bool = False) -> str:
        return ", ".join(f"{which} cone {self.cone_text(which, latex)}" for which in ("nef", "movable", "effective"))

    def __str__(self) -> str:
        return "\n".join([self._title(), *map(str, self), self._cones()])

    def _repr_latex_(self) -> str:
        return ", ".join(rf"$\mathrm{{{name}}} = {self.cone_text(which, latex=True)}$" if getattr(self, f"{which}_cone")
                         else rf"{name}: not computed" for name, which in
                         (("Nef", "nef"), ("Mov", "movable"), ("Eff", "effective")))

    def _repr_html_(self) -> str:
        head = "".join(f"<th>{h}</th>" for h in ("kind", "center", "radius²", "codimension", "special classes",
                                                 "divisor", "contracted divisor"))
        rows = "".join(
            "<tr>" + "".join(f"<td>{escape(str(x))}</td>" for x in (
                w.kind, w.center, w.radius_squared, "" if w.codimension is None else w.codimension,
                "; ".join(map(str, w.special_classes)), w.divisor_text(),
                "" if w.contracted_divisor is None else divisor_text(self.v, w.contracted_divisor))) + "</tr>"
            for w in self)
        cones = "".join(f"<tr><th>{which} cone</th><td colspan=\"6\">{escape(self.cone_text(which))}</td></tr>"
                        for which in ("nef", "movable", "effective"))
        return f"<table><caption>{escape(self._title())}</caption><tr>{head}</tr>{rows}{cones}</table>"

    def to_json(self) -> dict[str, Any]:
        def rays(cone: tuple[Ray, Ray] | None) -> list[list[int]] | None:
            return None if cone is None else [list(w) for w in cone]
        return {"mukai_vector": list(self.v), "degree": self.degree, "dimension": self.dimension,
                "above": None if self.above is None else [str(x) for x in self.above],
                "vertical": self.vertical, "walls": [w.to_json() for w in self],
                "nef_cone": rays(self.nef_cone), "movable_cone": rays(self.movable_cone),
                "effective_cone": rays(self.effective_cone)}

    def json(self) -> str:
        return json.dumps(self.to_json(), ensure_ascii=False)


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
        raise ValueError(f"r must be >= 1: the walls are those of a positive rank, not {v[0]}")
    if gcd(*v) != 1:
        raise ValueError(f"v = {v} is not primitive: its entries have the common factor {gcd(*v)}")
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
        when it is a wall (Hilbert–Chow for Hilbert schemes of points).

    Raises
    ------
    ValueError
        For an odd or non-positive degree, r < 1, v not primitive, v² <= 0 or alpha <= 0; when
        infinitely many flops come before the end of the movable cone and `above`
        does not bound them; and when v asks more than `max_pairs` pairs (the
        message gives how many), or `max_pairs` < 0; and when an orbit of classes repeats
        modulo v²·r² only after more than 65 536 steps (the message says so).

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
    setting = Setting(v, d)
    asked, exact = pairs_asked(setting.m, limit)
    if asked > limit:
        raise ValueError(f"v = {v} on degree {d} has v² = {setting.m}: its walls ask about "
                         f"{'' if exact else 'at least '}{asked:,} pairs (⟨a, v⟩, a²), a Pell equation each, more than max_pairs="
                         f"{limit:,} (Hilb¹⁰⁰⁰ of degree 2 asks 168,101: 68,148 walls in some ten seconds and "
                         "a quarter of a gigabyte); pass a larger max_pairs to walk them all")
    orbits = Orbits(setting)
    vertical_verdict = classify(wall_lattice(v, (0, 0, 1), d))
    vertical = vertical_verdict.kind
    end, end_class, lagrangian = _end(setting, orbits)
    # The walls listed: centre <= cut, the end of the movable cone, or centre < cut when
    # the point comes first (the walls strictly over it).
    cut, strict = end, False
    point_cut = None if point is None else _center_through(setting, point)
    if point_cut is not None and (cut is None or point_cut <= cut):
        cut, strict, lagrangian = point_cut, True, None
    if cut is None:
        if any(orbits.first_class(t, start) for t, q in _flop_kinds(setting.m)
               for start in orbits.starts(setting.right_side(t, q))):
            raise ValueError(f"v = {v} on degree {d} has infinitely many flops left of the vertical wall and no "
                             "divisorial contraction or Lagrangian fibration ending them: give above=(beta, alpha), "
                             "a point that only finitely many walls pass over")
        return K3Walls(v, d, point, vertical, [], _cones(v, d, vertical_verdict, [], None, None))
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
    return K3Walls(v, d, point, vertical, walls, _cones(v, d, vertical_verdict, walls, end, end_class))


def _cones(v: Mukai, d: int, vertical: Verdict, walls: list[K3Wall], end: Fraction | None,
           end_class: Mukai | None) -> Cones:
    """The nef, movable and effective cones from the vertical wall, the walls listed and the end (see _cones)."""
    h0 = vertical_ray(v, d)
    nef = (h0, walls[0].divisor) if vertical.kind is not None and walls else None
    if end is None or vertical.kind not in DIVISORIAL:
        return Cones(nef, None, None)
    listed = bool(walls) and walls[-1].center == end
    last = walls[-1].divisor if listed else wall_ray(v, d, end)
    # A Lagrangian end has no deciding class of a divisor: its isotropic ray bounds both cones.
    contracted = walls[-1].contracted_divisor if listed else None
    far = last if end_class is None else contracted or contracted_divisor(v, d, end_class, h0)
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


def _center_through(setting: Setting, point: tuple[Fraction, Fraction]) -> Fraction | None:
    """The centre x_P of the wall of v through σ(β, α): the walls with centre < x_P pass over it.

    ρ²(x) − (β − x)² − α² = 2·(c/r − β)·(x_P − x), as ρ²(x) = (x − c/r)² − v²/(degree·r²).
    None when no wall of v passes through the point (it lies under all of them).
    """
    (r, c, _), beta, alpha = setting.v, *point
    vertical = Fraction(c, r)
    if beta >= vertical:
        raise ValueError(f"above must be left of the vertical wall β = {vertical}, not β = {beta}")
    x = (vertical ** 2 - Fraction(setting.m, setting.degree * r * r) - beta ** 2 - alpha ** 2) / (2 * (vertical - beta))
    return x if x < vertical and (vertical - x) ** 2 * setting.degree * r * r > setting.m else None


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

