"""The numerical walls that the candidates give, exactly."""

from __future__ import annotations

import json
from collections.abc import Callable, Iterable, Iterator, Sequence
from dataclasses import dataclass, field, replace
from fractions import Fraction
from html import escape
from itertools import chain
from typing import TYPE_CHECKING, Any, SupportsIndex, overload

import numpy as np
from numpy.typing import NDArray

from .. import _native
from ..classes._arguments import ExactD, ExactRow, Row, lattice_row
from ..classes._chern import ChernCharacter, ch  # noqa: F401 (ch: for the examples)
from ..classes._class_arguments import ChernArgument, chern_options, wall_rows
from ..classes._options import Point, SearchOptions, Side, SideOption, Surface, SurfaceOption  # noqa: F401 (Surface: for the examples)
from ._described import Described, Description, chern_text, described, searched_sides
from ._schema import document, header, json_number, listed
from ._walls_json import read_walls
from ._search import ProgressCallback, SidesProgress, native_search, search_function

if TYPE_CHECKING:
    import pandas


def _called(u: ChernCharacter) -> str:
    """A class by its name where it has one (O(-1), I_Z(-1), |Z| = 1, O(1)[1]), else ch = (r, c₁, ch₂)."""
    return u.name or f"ch = ({u.rank}, {u.c1}, {u.ch2})"


def _latex_called(u: ChernCharacter) -> str:
    name = u.name
    if name is None:
        return rf"\mathrm{{ch}} = ({u.rank}, {u.c1}, {_latex(u.ch2)})"
    if name.startswith("torsion sheaf"):  # the sheaf's ch, which is −ch(u) for a shift
        shift = "[1]" if name.endswith("[1]") else ""
        c, ch2 = (-u.c1, -u.ch2) if shift else (u.c1, u.ch2)
        return rf"\text{{torsion sheaf of }} \mathrm{{ch}} = (0, {c}, {_latex(ch2)}){shift}"
    sheaf, _, points = name.partition(", ")
    sheaf = sheaf.replace("I_Z", r"\mathcal{I}_Z").replace("O", r"\mathcal{O}")
    return sheaf + (rf" \text{{ with }} {points.replace('deg', r'\deg')}" if points else "")


@dataclass(frozen=True, slots=True)
class Destabilizer:
    """A class u of a wall of v, as the sequence 0 → sub → A → quotient → 0 in the tilted heart
    Coh^β along the wall that destabilizes the objects A of the heart stable above it. `of` names
    A: "v" itself, "v[1]" (the walls right of the vertical wall of a sheaf class v, where the
    heart holds objects of class −v) or "v[-1]" (the left walls of a shifted class v = ch(E[1]),
    which are those of E). `u_is` says which of the two is the search's class u (the row of
    :attr:`Wall.semistabilizers`): "sub" on the left of the vertical wall, "quotient" on the right.
    `name` and `quotient_name` are their usual names where they have one (:attr:`ChernCharacter.name`:
    O(k), I_Z(k) with ``|Z|``, shifts [1]).

    >>> print(walls(1, 0, -4, surface="P2")[0].classes[0])
    O(-1) ⊂ v, quotient O_L(-2)
    >>> print(walls(1, 0, -4, surface="P2", side="right")[0].classes[0])
    O_L(3) ⊂ v[1], quotient O(1)[1]
    """

    sub: ChernCharacter
    quotient: ChernCharacter
    of: str = "v"
    u_is: str = "sub"

    @property
    def u(self) -> ChernCharacter:
        """The search's class: the sub, or on the right of the vertical wall the quotient."""
        return self.sub if self.u_is == "sub" else self.quotient

    @property
    def name(self) -> str | None:
        """The usual name of the sub (O(k), I_Z(k), a shift [1]), if it has one."""
        return self.sub.name

    @property
    def quotient_name(self) -> str | None:
        """The usual name of the quotient, if it has one."""
        return self.quotient.name

    def __str__(self) -> str:
        return f"{_called(self.sub)} ⊂ {self.of}, quotient {_called(self.quotient)}"

    def _repr_latex_(self) -> str:
        return f"${_latex_called(self.sub)} \\subset {self.of}$, quotient ${_latex_called(self.quotient)}$"


def _heart_object(v: ChernCharacter, side: Side | None) -> tuple[ChernCharacter, str, bool]:
    """The class A of the objects of the heart that the walls of v on `side` destabilize, how A is
    named from v, and whether the search's classes are quotients of A (else subs).

    Every object of Coh^β = ⟨F[1]: μ_max(F) ≤ β; T: μ_min(T) > β⟩ has ch₁^β = c₁ − β·r ≥ 0, so on
    a wall the class of A is the one of ±v with ch₁^β > 0. Let E be the class of ±v that is a
    sheaf's (rank > 0, or rank 0 and c₁ > 0; E = −v for a shifted v). Left of the vertical wall
    β = c₁/r (and everywhere for rank 0), ch₁^β(E) > 0: A has class E, and the search's classes
    are the subobjects S ⊂ A with ν(S) < ν(A) above the wall, ν(S) > ν(A) below it. Right of it
    ch₁^β(E) < 0 and A has class −E. The search finds these walls as the mirror images β ↦ −β of
    the left walls of the dual class E^∨ = (r, −c₁, ch₂) (objects F), giving for each subobject
    S ⊂ F of class (r', c₁', ch₂') the class u = (−r', c₁', −ch₂') = ch(D(S)) of the derived dual
    D = R𝓗om(−, O)[1], with D(F) of class −E. D reverses arrows: 0 → S → F → F/S → 0 becomes
    0 → D(F/S) → D(F) → D(S) → 0, so the search's class D(S) is the quotient of A and −E − u the
    sub. On the wall's points both have ch₁^β > 0 and the see-saw of ν holds: the quotient has
    the larger ν above the wall, the smaller below (tests/python/test_described_results.py
    checks every class against these definitions).
    """
    shifted = v.rank < 0 or (v.rank == 0 and v.c1 < 0)
    sheaf = -v if shifted else v
    if side == "right" and sheaf.rank > 0:
        return -sheaf, "v" if shifted else "v[1]", True
    return sheaf, "v[-1]" if shifted else "v", False


@dataclass(frozen=True, slots=True)
class Wall:
    """A pseudo-wall of v: the semicircle (β − center)² + α² = radius_squared, α > 0.

    `semistabilizers` are the candidates (r, c, d) that give this wall, in the
    search's order. A wall of a search knows its `v` (a
    :class:`ChernCharacter`) and its `side`; they take no part in equality
    or the repr (None for a wall made by hand). Then `classes` gives each
    class as a :class:`Destabilizer`: the sequence in the heart that it
    makes, sub and quotient named. It prints as a line and shows as its
    equation in a notebook, with the classes in ch = (r, c₁, ch₂).

    >>> wall = walls(1, 0, -16, surface="P2")[0]
    >>> print(wall)
    (β + 17/2)² + α² = 225/4: O(-1) ⊂ v, quotient O_L(-8)
    >>> print(wall._repr_latex_())
    $(\\beta + \\frac{17}{2})^2 + \\alpha^2 = \\frac{225}{4}$: $\\mathcal{O}(-1) \\subset v$, quotient $\\mathcal{O}_L(-8)$
    >>> [(u.name, u.quotient.row) for u in wall.classes]
    [('O(-1)', (0, 1, -17))]
    """

    center: Fraction
    radius_squared: Fraction
    semistabilizers: tuple[ExactRow, ...]
    v: ChernCharacter | None = field(default=None, compare=False, repr=False)
    side: Side | None = field(default=None, compare=False, repr=False)

    @property
    def classes(self) -> tuple[Destabilizer, ...]:
        """Each class of `semistabilizers` as a :class:`Destabilizer` of v (a ValueError without v)."""
        return self._classes(self.semistabilizers)

    def _classes(self, rows: Sequence[ExactRow]) -> tuple[Destabilizer, ...]:
        v = getattr(self, "v", None)  # unset in a wall made outside a search
        if v is None:
            raise ValueError("this wall does not know its v (made by hand): its classes need it")
        # The search's classes are on v's lattice, and so are their quotients; a shifted class's
        # are those of −v.
        made, surface = ChernCharacter._on_lattice, v.surface
        whole, of, quotients = _heart_object(v, getattr(self, "side", None))
        found = []
        for r, c, d in rows:
            ch2 = Fraction(d, 2) if isinstance(d, int) else d / 2
            u = made(r, c, ch2, surface)
            other = made(whole.rank - r, whole.c1 - c, whole.ch2 - ch2, surface)
            found.append(Destabilizer(other, u, of, "quotient") if quotients else Destabilizer(u, other, of))
        return tuple(found)

    def _knows_v(self) -> bool:
        return getattr(self, "v", None) is not None

    def _equation(self, number: Callable[[Fraction], str], beta: str, alpha: str, square: str) -> str:
        sign, offset = ("+", -self.center) if self.center < 0 else ("-", self.center)
        shifted = f"{beta}{square}" if not offset else f"({beta} {sign} {number(offset)}){square}"
        return f"{shifted} + {alpha}{square} = {number(self.radius_squared)}"

    def _hand_made_classes(self) -> list[ChernCharacter]:
        """The classes of a wall that does not know v, in ch = (r, c₁, d/2)."""
        return [ChernCharacter._on_lattice(r, c, Fraction(d) / 2, None) for r, c, d in self.semistabilizers]

    def __str__(self) -> str:
        equation = self._equation(str, 'β', 'α', '²')
        if self._knows_v():
            return f"{equation}: {'; '.join(map(str, self.classes))}"
        return f"{equation}, from {'; '.join(map(_called, self._hand_made_classes()))}"

    def _repr_latex_(self) -> str:
        equation = f"${self._equation(_latex, r'\beta', r'\alpha', '^2')}$"
        if self._knows_v():
            return f"{equation}: {'; '.join(u._repr_latex_() for u in self.classes)}"
        return f"{equation}, from {', '.join(f'${_latex_called(u)}$' for u in self._hand_made_classes())}"


def _unscaled(u: ExactRow, scale: int) -> ExactRow:
    """The class (r, c, d) of the search's (r, λ·c, λ²·d) (an int row): d a Fraction where it is not an integer."""
    d = Fraction(u[2]) / (scale * scale)
    return u[0], u[1] // scale, d.numerator if d.denominator == 1 else d


def _latex(x: Fraction) -> str:
    if x.denominator == 1:
        return str(x.numerator)
    return ("-" if x < 0 else "") + rf"\frac{{{abs(x.numerator)}}}{{{x.denominator}}}"


# The native module's buffers: rows (int64, three per candidate, wall by
# wall), offsets (int64, where each wall's rows start, then their count) and
# v (three int64, from which the native module works out a wall's center and
# radius² when it is read).
Columns = tuple[bytearray, bytearray, bytearray]
# What a notebook shows of the walls: so many rows, each with so many candidates.
HTML_ROWS = 20
HTML_CANDIDATES = 4
# Walls made per call of the native module while iterating: a chunk's objects (about 500 bytes
# a wall) stay in the core's cache, so that the next chunk is made in the memory this one freed
# (4096 walls a chunk took a fifth longer to read).
_CHUNK = 512


def numerical_wall(v: ChernCharacter | Sequence[SupportsIndex],
                   u: ChernCharacter | Sequence[SupportsIndex]) -> tuple[Fraction, Fraction]:
    """(center, radius²) of the numerical wall of the class u against v, both (r, c, d) with ch2 = d/2.

    Each is a :class:`ChernCharacter` (both on one surface) or three
    integers in the signed 64-bit range (NumPy's included; an OverflowError
    names a value beyond it); the result is exact.

    For v = (R, C, D/2) and u = (r, c, d/2) the wall is the semicircle
    (β − x)² + α² = ρ² with x = (R·ch2(u) − r·ch2(v)) / (R·c − r·C) and
    ρ² = x² − 2·(ch2(u)·C − ch2(v)·c) / (R·c − r·C). When R·c − r·C = 0 (u on
    the line of v, u = v for one) the two give no wall: a ValueError says so.

    >>> numerical_wall((1, 0, -16), (1, -3, 9))
    (Fraction(-25, 6), Fraction(49, 36))
    >>> numerical_wall(ch(1, 0, -8, surface="P2"), ch(1, -3, "9/2", surface="P2"))
    (Fraction(-25, 6), Fraction(49, 36))
    """
    big_v, small_u, scale = wall_rows(v, u)
    center, radius_squared = _native.numerical_wall(*big_v, *small_u, Fraction)
    return (center, radius_squared) if scale == 1 else (center / scale, radius_squared / (scale * scale))


class Walls(Described, Sequence[Wall]):
    """The walls of a search, largest first: a sequence of :class:`Wall`.

    It behaves as the list of those walls (indexing, slicing, iteration,
    ``len``, equality with a list) but holds them in columns (the candidates'
    rows wall by wall, and where each wall's rows start), and makes a
    :class:`Wall` only when one is looked at, its exact center and radius²
    worked out from its first candidate. :meth:`to_pandas` gives the whole
    table at once.

    It describes its search: `v` (a :class:`ChernCharacter`), `surface`,
    `side` ("left", "right" or "both"), `max_rank`, `above` (exact, or None)
    and `complete`, true when the list is every pseudo-wall of v on its side
    (over `above` when there is a point): not cut by `max_rank`. For
    side="both" the left walls come first, largest first, then the right
    ones; each wall knows its `side`. :meth:`to_json` writes it as the
    command line's ``--format json`` does and :meth:`from_json` reads it
    back (``json.dumps`` does not know it: use ``to_json()``, or
    ``json.loads(walls.to_json())`` for a dict).

    Examples
    --------
    >>> found = walls(1, 0, -16)
    >>> len(found), found[0]
    (16, Wall(center=Fraction(-17, 2), radius_squared=Fraction(225, 4), semistabilizers=((1, -1, 1),)))
    >>> found == list(found)
    True
    >>> found.v, found.side, found.max_rank, found.complete
    (ch(1, 0, -8, surface=None), 'left', None, True)
    >>> Walls.from_json(found.to_json()) == found
    True

    In a notebook it shows as a table of its first walls:

    >>> print(walls(1, 0, -4, surface="P2")._repr_html_())  # doctest: +NORMALIZE_WHITESPACE
    <table><caption>1 wall of ch = (1, 0, -2) on P2, left side, complete; largest first</caption><tr><th>center</th><th>radius²</th><th>classes</th></tr><tr><td>-5/2</td><td>9/4</td><td>O(-1) ⊂ v, quotient O_L(-2)</td></tr></table>
    """

    __slots__ = ("_parts", "_scale", "_description")

    def __init__(self, parts: Sequence[tuple[Columns, Side]], scale: int, description: Description) -> None:
        # parts: the columns of each side searched, in order. scale: the surface's λ; the columns
        # are then in the search's coordinates (r, λ·c, λ²·d), whose walls are those of (r, c, d)
        # with centers times λ and radii² times λ².
        self._parts = tuple(parts)
        self._scale = scale
        self._description = description

    def __len__(self) -> int:
        return sum(_wall_count(columns) for columns, _ in self._parts)

    def _made(self, start: int, stop: int) -> list[Wall]:
        made: list[Wall] = []
        first = 0
        for columns, side in self._parts:
            size = _wall_count(columns)
            low, high = max(start - first, 0), min(stop - first, size)
            if low < high:
                made += self._side_walls(columns, side, low, high)
            first += size
        return made

    def _side_walls(self, columns: Columns, side: Side, start: int, stop: int) -> list[Wall]:
        v, scale = self._description.v, self._scale
        # Every wall shares v and side: the native module sets both with the other fields, so
        # knowing its search adds no Python step per wall.
        made: list[Wall] = _native.wall_objects(columns, start, stop, Wall, Fraction, v, side)
        if scale != 1:
            return [Wall(w.center / scale, w.radius_squared / scale**2,
                         tuple(_unscaled(u, scale) for u in w.semistabilizers), v, side) for w in made]
        return made

    @overload
    def __getitem__(self, index: int) -> Wall: ...
    @overload
    def __getitem__(self, index: slice) -> list[Wall]: ...

    def __getitem__(self, index: int | slice) -> Wall | list[Wall]:
        if isinstance(index, slice):
            start, stop, step = index.indices(len(self))
            if step == 1:
                return self._made(start, max(start, stop))
            return [self[i] for i in range(start, stop, step)]
        i = range(len(self))[index]  # IndexError as a list raises it
        return self._made(i, i + 1)[0]

    def __iter__(self) -> Iterator[Wall]:
        # Chunks of walls made on demand, chained in C: no Python frame per wall.
        count = len(self)
        return chain.from_iterable(map(lambda start: self._made(start, min(start + _CHUNK, count)),
                                       range(0, count, _CHUNK)))

    def __eq__(self, other: object) -> bool:
        if isinstance(other, (Walls, list, tuple)):
            return len(self) == len(other) and all(x == y for x, y in zip(self, other))
        return NotImplemented

    __hash__ = None  # type: ignore[assignment]  # a mutable-looking sequence, like a list

    def __repr__(self) -> str:
        return repr(list(self))

    def caption(self) -> str:
        """What the list is, for people: "4 walls of ch = (1, 0, -8) on P2, left side, rank ≤ 10, may be incomplete"."""
        return f"{len(self)} wall{'' if len(self) == 1 else 's'} of {self._description.caption()}"

    def _repr_html_(self) -> str:
        """A small table for notebooks: the first HTML_ROWS walls, each with its first candidates and their names."""
        def cell(text: str) -> str:
            return f"<td>{escape(text)}</td>"

        rows = []
        for wall in self[:HTML_ROWS]:
            us = wall.semistabilizers
            more = f"; … ({len(us)} in all)" if len(us) > HTML_CANDIDATES else ""
            named = wall._classes(us[:HTML_CANDIDATES])
            rows.append(f"<tr>{cell(str(wall.center))}{cell(str(wall.radius_squared))}"
                        f"{cell('; '.join(map(str, named)) + more)}</tr>")
        rest = len(self) - HTML_ROWS
        footer = f"<tr><td colspan=\"3\">… and {rest} more</td></tr>" if rest > 0 else ""
        return (f"<table><caption>{escape(self.caption())}; largest first</caption>"
                "<tr><th>center</th><th>radius²</th><th>classes</th></tr>"
                f"{''.join(rows)}{footer}</table>")

    def to_json(self) -> str:
        """The walls as the command line's ``--format json`` writes them: one JSON object with v, the
        options of the search, "complete", β₋ and the walls (each with its side and named classes).

        >>> import json
        >>> document = json.loads(walls(1, 0, -4, surface="P2").to_json())
        >>> document["complete"], document["walls"][0]["classes"][0]["name"]
        (True, 'O(-1)')
        """
        return "".join(walls_document(self))

    @classmethod
    def from_json(cls, text: str | bytes) -> Walls:
        """The walls of a document of :meth:`to_json` (or of ``--format json``), exactly as they were.

        The document is checked whole: its search (v and the options) is made again, and every
        field must be what that search writes, walls and classes and names in order, and
        "wall_count" the number of walls (a document without it is read as well). Reading takes the
        time of the search. A document that is not one of walls, or that is not the walls of its
        search, is a ValueError that names what is wrong.
        """
        return read_walls(text, walls_of, walls_document)

    def to_pandas(self) -> pandas.DataFrame:
        """The walls as a table, one row per wall, without a :class:`Wall` per row.

        Columns: ``center`` and ``radius_squared`` (exact, :class:`~fractions.Fraction`),
        ``center_float`` and ``radius_squared_float`` (float64, correctly rounded)
        and ``semistabilizers`` (a tuple of (r, c, d) per wall); for side="both" also ``side``.
        Needs pandas (``pip install 'varnolt[pandas]'``).

        Examples
        --------
        >>> table = walls(1, 0, -16).to_pandas()
        >>> table.shape, list(table.columns)
        ((16, 5), ['center', 'radius_squared', 'center_float', 'radius_squared_float', 'semistabilizers'])
        >>> table.loc[0, "center"], float(table.loc[0, "radius_squared_float"])
        (Fraction(-17, 2), 56.25)
        """
        import pandas

        columns: list[list[Any]] = [[], [], [], [], []]
        sides: list[str] = []
        for part, side in self._parts:
            found: tuple[list[Any], ...] = _native.wall_columns(part, Fraction)
            if self._scale != 1:
                made = self._side_walls(part, side, 0, _wall_count(part))
                centers, radii = [w.center for w in made], [w.radius_squared for w in made]
                found = (centers, list(map(float, centers)), radii, list(map(float, radii)),
                         [w.semistabilizers for w in made])
            for column, values in zip(columns, found):
                column += values
            sides += [side] * len(found[0])
        centers, center_floats, radii, radius_floats, semistabilizers = columns
        table = pandas.DataFrame({
            "center": pandas.Series(centers, dtype=object),
            "radius_squared": pandas.Series(radii, dtype=object),
            "center_float": np.array(center_floats, dtype=np.float64),
            "radius_squared_float": np.array(radius_floats, dtype=np.float64),
            "semistabilizers": pandas.Series(semistabilizers, dtype=object),
        })
        if self.side == "both":
            table["side"] = sides
        return table


def _wall_count(columns: Columns) -> int:
    return len(columns[1]) // 8 - 1


def _columns(v: Row, classes: Sequence[Sequence[ExactRow]], scale: int) -> Columns:
    """The native columns of walls given by their classes (r, c, d), for v in the search's coordinates."""
    rows = [x for wall in classes for u in wall for x in lattice_row(u, scale)]
    offsets = [0]
    for wall in classes:
        offsets.append(offsets[-1] + len(wall))
    return tuple(bytearray(np.array(values, dtype=np.int64).tobytes())  # type: ignore[return-value]
                 for values in (rows, offsets, list(v)))


def group_walls(v: Row, rows: NDArray[np.int64] | Sequence[Row],
                progress: ProgressCallback | None = None) -> Walls:
    """The distinct walls of the candidates `rows` of v, largest first (then by center)."""
    array = np.ascontiguousarray(rows, dtype=np.int64).reshape(-1, 3)
    left: Side = "left"
    return Walls([(_native.group(*v, array.tobytes(), progress=progress), left)], 1, described(v, SearchOptions()))


@search_function
def walls(r: ChernArgument, c: SupportsIndex | None = None, d: ExactD | None = None, *,
          max_rank: SupportsIndex | None = None, surface: SurfaceOption = None, side: SideOption = "left",
          above: Point | None = None, progress: ProgressCallback | None = None) -> Walls:
    """The distinct pseudo-walls of v = (r, c·ℓ, (d/2)·ℓ²) that its candidates give, largest first.

    Each candidate u of :func:`candidates` gives the numerical wall of u
    against v (:func:`numerical_wall`), a semicircle in the (β, α) upper
    half-plane (for rank 0 all of them share the center ch2(v)/c). Candidates
    that give the same wall are gathered in one :class:`Wall`; the walls are
    ordered by radius², largest first, then by center. Everything is exact:
    the grouping runs in the native module on fractions of 128-bit integers,
    compared by cross-multiplication (and of wider integers in the rare case
    where a value needs more), with the interpreter lock released.

    v is three integers r, c, d or a :class:`ChernCharacter` alone, searched
    on its surface (``walls(ch(1, 0, -2, surface="P2"))``, two points in the
    plane), as for :func:`candidates`; a v of negative rank is the class of
    a shifted object, whose walls are those of −v.
    `max_rank` keeps only the candidates of rank at most `max_rank`, as for
    :func:`candidates`; it or `above` is required when β₋ is irrational,
    where the pseudo-walls are infinitely many and accumulate at β₋.
    `surface` (``Surface(degree=n)``: only classes with an integral c₂, v's
    d exact, each wall's classes with d a Fraction where it is not an
    integer; "P2" is degree 1; None, the default, is the lattice ch₂ ∈ ½ℤ of ℓ² = 2,
    whose classes P² lacks: the captions say so), `side` ("left" of the
    vertical wall, "right": the mirrored left walls of the dual
    (r, −c, d), with the classes (−r', c', −d'), or "both": the left walls,
    then the right ones, each wall knowing its side) and `above` (only the walls
    passing over the point (β, α) or through it, a finite list for every v
    with a real β₋) are as for :func:`candidates`, as is `progress`, whose steps
    are followed by the grouping's own (two per candidate). Raises the
    errors of :func:`candidates`; the memory the grouping needs counts in
    their `MemoryError` check.

    Returns
    -------
    Walls
        A sequence of :class:`Wall`, equal to the list of them, held in
        columns until a wall is looked at; ``to_pandas()`` gives a table,
        ``to_json()`` the command line's JSON. It carries `v`, `surface`,
        `side`, `max_rank`, `above` and `complete`; each wall names its
        destabilising classes (`Wall.classes`).

    Examples
    --------
    Two points in the plane, the ideal sheaf (1, 0, -2): one wall, made by O(-1).

    >>> walls(1, 0, -4)
    [Wall(center=Fraction(-5, 2), radius_squared=Fraction(9, 4), semistabilizers=((1, -1, 1),))]
    >>> walls(ch(1, 0, -2, surface="P2")) == walls(1, 0, -4, surface="P2")  # two points: ch2 = -2, d = -4
    True

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

    Eight points on a quartic K3 (ℓ² = 4, ch2 = -2·ℓ²): the wall of two
    points above, and two more made by classes of ch2 off ½ℤ·ℓ².

    >>> [(str(w.center), str(w.radius_squared)) for w in walls(1, 0, -4, surface=Surface(degree=4))]
    [('-5/2', '9/4'), ('-9/4', '17/16'), ('-25/12', '49/144')]

    The right wall of two points, and the walls of one point over σ(-3/2, 1/10)
    (β₋ = -√2 is irrational, yet no rank bound is needed):

    >>> walls(1, 0, -4, side="right")
    [Wall(center=Fraction(5, 2), radius_squared=Fraction(9, 4), semistabilizers=((-1, -1, -1),))]
    >>> [(str(w.center), w.side, w.classes[0].u.name) for w in walls(1, 0, -4, side="both")]
    [('-5/2', 'left', 'O(-1)'), ('5/2', 'right', 'O(1)[1]')]
    >>> walls(1, 0, -2, above=("-3/2", "1/10"))
    [Wall(center=Fraction(-3, 2), radius_squared=Fraction(1, 4), semistabilizers=((1, -1, 1), (2, -2, 2)))]
    """
    v, options = chern_options(r, c, d, SearchOptions.checked(max_rank, surface, side, above))
    return walls_of(v, options, progress)


def walls_of(v: ExactRow, options: SearchOptions, progress: ProgressCallback | None = None) -> Walls:
    """The walls of v with its options checked: the search and the grouping in one native call per
    side searched (see _described.searched_sides)."""
    steps = SidesProgress(progress)
    parts: list[tuple[Columns, Side]] = [
        (native_search(_native.walls, v, replace(options, side=side), steps.next_side()), side)
        for side in searched_sides(v, options.side, options.above)]
    return Walls(parts, options.scale, described(v, options))


def _class_document(u: ChernCharacter) -> list[int | str]:
    return [u.rank, u.c1, json_number(u.ch2)]


def wall_document(wall: Wall) -> dict[str, object]:
    """A wall: center and radius² as exact "p/q" texts, the candidates that give it, and for a wall
    of a search its side and its classes with their quotients and names."""
    fields: dict[str, object] = {
        "center": str(wall.center), "radius_squared": str(wall.radius_squared),
        "semistabilizers": [[json_number(x) for x in u] for u in wall.semistabilizers]}
    if wall.v is not None:
        fields["side"] = wall.side
        fields["classes"] = [{"ch": _class_document(u.sub), "name": u.name,
                              "quotient": _class_document(u.quotient), "quotient_name": u.quotient_name}
                             for u in wall.classes]
    return fields


def walls_document(found: Walls) -> Iterator[str]:
    """The pieces of the JSON document of a search's walls: its header, then the walls."""
    start = header(found.v.row, found._description.keywords()) | {"wall_count": len(found)}
    return document(start, "walls", walls_json(found))


def walls_json(found: Iterable[Wall]) -> Iterator[str]:
    return listed(json.dumps(wall_document(w), ensure_ascii=False) for w in found)
