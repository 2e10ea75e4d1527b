"""The search of varnolt's core, with its results in compact form."""

from __future__ import annotations

from collections.abc import Callable
from dataclasses import replace
from fractions import Fraction
from typing import Any, Protocol, SupportsIndex, TypeVar, cast, overload

import numpy as np
from numpy.typing import NDArray

from .. import _native
from ..classes._arguments import ExactD, ExactRow
from ..classes._chern import ChernCharacter, ch  # noqa: F401 (ch: for the examples)
from ..classes._class_arguments import ChernArgument, chern_options
from ..classes._errors import refusal
from ..classes._options import Point, SearchOptions, Side, SideOption, Surface, SurfaceOption  # noqa: F401 (Surface: for the examples)
from ._described import Described, Description, described, searched_sides

T = TypeVar("T")

# A search's progress callback: called with (done, total) steps.
ProgressCallback = Callable[[int, int], object]

Found = TypeVar("Found", covariant=True)


class SearchFunction(Protocol[Found]):
    """The two ways to call candidates, count and walls: v as a ChernCharacter alone, or as the
    integers r, c, d; with the options of every search."""

    @overload
    def __call__(self, v: ChernCharacter, /, *, max_rank: SupportsIndex | None = None, surface: SurfaceOption = None,
                 side: SideOption = "left", above: Point | None = None,
                 progress: ProgressCallback | None = None) -> Found: ...
    @overload
    def __call__(self, r: SupportsIndex, c: SupportsIndex, d: ExactD, *, max_rank: SupportsIndex | None = None,
                 surface: SurfaceOption = None, side: SideOption = "left", above: Point | None = None,
                 progress: ProgressCallback | None = None) -> Found: ...


def search_function(function: Callable[..., Found]) -> SearchFunction[Found]:
    """`function` as its callers' type checkers see it: the two signatures of SearchFunction."""
    return cast(SearchFunction[Found], function)


class SidesProgress:
    """One progress callback over the sides a search runs in turn (side="both"): each side's
    (done, total) follows the steps of the sides before it, so that `done` never goes back."""

    def __init__(self, progress: ProgressCallback | None) -> None:
        self._progress = progress
        self._before = self._total = 0

    def next_side(self) -> ProgressCallback | None:
        """The callback of the next side searched (a `progress` that is not callable as it is: the
        native search refuses it with its TypeError)."""
        if self._progress is None or not callable(self._progress):
            return self._progress
        self._before, self._total = self._before + self._total, 0
        return self._report

    def _report(self, done: int, total: int) -> object:
        assert self._progress is not None
        self._total = total
        return self._progress(self._before + done, self._before + total)


def native_search(function: Callable[..., T], v: ExactRow, options: SearchOptions,
                  progress: ProgressCallback | None = None) -> T:
    """One call of the native search for v with its options: the core judges the request (v on the
    surface's lattice too), searches and answers, in the coordinates (r, λ·c, λ²·d) of the surface's
    λ; a refusal becomes the package's exception for its kind (_errors.REFUSALS)."""
    r, c, d = v
    d = Fraction(d)
    try:
        return function(r, c, d.numerator, d_denominator=d.denominator, **options.native(), progress=progress)
    except _native.Refused as refused:
        kind, _, text, detail = refused.args
        raise refusal((kind, v, text, detail), options) from None


class Candidates(Described, np.ndarray[Any, np.dtype[np.int64]]):
    """The rows of :func:`candidates`: an int64 array of shape (N, 3) that describes its search.

    It is a NumPy array (a subclass, shown as one) with the attributes of the
    search that made it: `v` (a :class:`ChernCharacter`), `surface`, `side`
    ("left", "right" or "both"), `max_rank`, `above` and `complete` (whether
    the rows are every candidate of v on its side, over `above`: not cut by
    `max_rank`), as :class:`Walls` has them, and `side_rows`, the sides in
    the order of the rows with their numbers of rows: (("left", 5),) for one
    side, (("left", 5), ("right", 1)) for side="both". Arrays derived from it
    (slices, views, arithmetic) keep these attributes, which describe the
    search, not the derived rows; ``np.asarray(rows)`` is the plain array.
    :meth:`chern_characters` gives the rows' classes, with their names.
    """

    _description: Description
    side_rows: tuple[tuple[Side, int], ...]

    def __array_finalize__(self, obj: object) -> None:
        if obj is not None:
            self._description = getattr(obj, "_description", None)  # type: ignore[assignment]
            self.side_rows = getattr(obj, "side_rows", ())

    def __repr__(self) -> str:
        return repr(self.view(np.ndarray))

    def chern_characters(self) -> list[ChernCharacter]:
        """Each row as the :class:`ChernCharacter` of its class on the search's surface, ch₂ = d/2 =
        row[2]/(2s); its `name` says O(k), I_Z(k) with ``|Z|``, or a shift [1] where it is one.

        >>> [u.name for u in candidates(1, 0, -4, surface="P2", side="both").chern_characters()]
        ['O(-1)', 'O(1)[1]']
        """
        surface = self._description.v.surface
        halves = 2 * (1 if surface is None else surface.d_scale)
        return [ChernCharacter._on_lattice(r, c, Fraction(d, halves), surface) for r, c, d in self.tolist()]

    def __reduce__(self) -> tuple[Any, ...]:
        # The attributes travel with the rows (to a sweep's worker processes and back).
        rebuild, arguments, state = cast("tuple[Any, Any, Any]", super().__reduce__())
        return rebuild, arguments, (state, self._description, self.side_rows)

    def __setstate__(self, state: tuple[Any, ...]) -> None:
        array_state, self._description, self.side_rows = state
        super().__setstate__(array_state)


def candidate_rows(v: ExactRow, options: SearchOptions,
                   progress: ProgressCallback | None = None) -> Candidates:
    """The rows of each side searched, in order (see _described.searched_sides), as :class:`Candidates`."""
    sides = searched_sides(v, options.side, options.above)
    steps = SidesProgress(progress)
    parts = [side_rows(v, replace(options, side=side), steps.next_side()) for side in sides]
    rows = (parts[0] if len(parts) == 1 else np.concatenate(parts)).view(Candidates)
    rows._description = described(v, options)  # after the search, which judges v first
    rows.side_rows = tuple((side, len(part)) for side, part in zip(sides, parts))
    return rows


def side_rows(v: ExactRow, options: SearchOptions, progress: ProgressCallback | None = None) -> NDArray[np.int64]:
    """The rows (r, c, s·d) for the surface's d_scale s (1 on the module's lattice): the native rows
    (r, λ·c, λ²·d) with c divided by λ and the last column by λ²/s, exactly (an integer, see Surface)."""
    rows = np.frombuffer(native_search(_native.candidates, v, options, progress), dtype=np.int64).reshape(-1, 3)
    scale = options.scale
    if scale > 1 and options.surface is not None:
        rows[:, 1] //= scale
        rows[:, 2] //= scale * scale // options.surface.d_scale
    return rows


def candidate_count(v: ExactRow, options: SearchOptions, progress: ProgressCallback | None = None) -> int:
    """The number of candidates, summed over the sides searched."""
    total, steps = 0, SidesProgress(progress)
    for side in searched_sides(v, options.side, options.above):
        found: int = native_search(_native.count, v, replace(options, side=side), steps.next_side())
        total += found
    return total


@search_function
def candidates(r: ChernArgument, c: SupportsIndex | None = None, d: ExactD | None = None, *,
               max_rank: SupportsIndex | None = None, surface: SurfaceOption = None, side: SideOption = "left",
               above: Point | None = None, progress: ProgressCallback | None = None) -> Candidates:
    """The candidate left pseudo-semistabilizers of v = (r, c·ℓ, (d/2)·ℓ²), as an array.

    The rows are those of ``varnolt.pseudo_semistabilizers(r, c, d)``, in the
    same order (by twisted ch1 q, then rank, then ch2), without the
    announcement (for a shifted class, r < 0 or r = 0 and c < 0, those of
    −v: see `side`). The array is built straight from the search's output: 24
    bytes per candidate, no Python object per row. The interpreter lock is
    released while the search runs, and Ctrl-C interrupts it.

    Parameters
    ----------
    r, c, d : int
        Rank, ch1 = c·ℓ and ch2 = (d/2)·ℓ² of v, each a signed 64-bit integer
        of any integer type (NumPy's included: the answer is that of the same
        Python ints). Without a surface d must be an integer (a Fraction
        that is not is a ValueError that says how to write what was meant).
    v : ChernCharacter
        In place of r, c, d: a class as :func:`ch`, :func:`ideal_sheaf` and
        the others make it (ch2 in units of ℓ²), searched as its row
        (r, c, 2·ch2) on its own surface. A `surface` that differs from the
        class's is a ValueError; c or d beside it a TypeError.
    max_rank : int, optional
        Only the candidates of rank at most `max_rank` (>= 0), in the same
        order. For a rational β₋ this is the full list without the ranks
        above it, and the search never visits them. An irrational β₋
        (r > 0, c² − r·d > 0 not a square) has infinitely many candidates,
        whose pseudo-walls accumulate at β₋, so there it is required: the
        candidates are then every (r', c', d') with 1 <= r' <= max_rank that
        meets the search's conditions at the exact β₋ = (c − √Δ)/r, ordered
        by q = c' − r'·β₋ as a real number, then r', then d'.
    surface : {None, "P2", Surface}, optional
        The lattice of Chern characters: None (default) takes every d, the
        lattice ch2 ∈ ½ℤ·ℓ², exact for surfaces with ℓ² = 2.
        ``Surface(degree=n)``, a surface with Pic = ℤ·ℓ and ℓ² = n, keeps
        only the classes with an integral c₂ = c²·n/2 − n·d/2, that is
        d ∈ c² + (2/n)ℤ: v must be one (else ValueError, with c₂), and so
        is every candidate listed; there d may be an int, a Fraction or a
        text "p/q". "P2" (any case) is ``Surface(degree=1)``, the projective
        plane: d ≡ c (mod 2). The search runs in the coordinates
        (r, λ·c, λ²·d) (λ = ``Surface.scale``) and keeps the classes of the
        surface's lattice at a constant cost per run of candidates.
    side : {"left", "right", "both"}, optional
        Whose walls the candidates give: those left of the vertical wall
        β = c/r (default), right of it, or both: the left rows, then the
        right ones (`side_rows` of the result says how many of each; a rank
        <= 0 has one family, searched once, and with `above` only the side
        of the point is searched). The right walls of v (r > 0) are
        the mirror images β ↦ −β of the left walls of its dual (r, −c, d),
        and each candidate (r', c', d') of the dual gives the class
        (−r', c', −d') of v's right wall: its derived dual shifted by one. The
        rows are those classes, in the dual's search order. For rank 0 the
        walls are one family of semicircles centred at β₋, each on both
        sides of it, so "right" gives the same as "left". A v of negative
        rank, or of rank 0 with c < 0, is the class of a shifted object
        E[1], whose walls are those of E (Z(E[1]) = −Z(E)): the rows are
        the candidates of −v on the side asked.
    above : (beta, alpha), optional
        Only the candidates whose wall passes over the stability condition
        σ(β, α) or through it: (β − center)² + α² <= radius². Each coordinate
        is an int, a Fraction, a text "a/b" or decimal (exact), or a float
        (taken at its exact binary value); α must be > 0, and for r > 0 the
        point must lie on the asked `side` of the vertical wall (else
        ValueError: no wall of that side passes over it). The walls of one
        side are nested, so these are the walls at least as large as the
        numerical wall through the point; their candidates have a rank
        at most a bound the native core proves from the point, so the
        search is finite for every v with a real β₋, irrational too, without
        `max_rank` (which, if given, bounds the rank further). Each run of
        candidates is clipped to the walls over the point in constant time,
        in the same native call. Coordinates have at most 10 000 digits.
    progress : callable, optional
        Called as ``progress(done, total)`` now and then while a long search
        runs (at most every 50 ms, with the interpreter lock held): ``done``
        of ``total`` steps, the values of q for a rational β₋, ranks of
        `max_rank` for an irrational one (for side="both" the right side's
        steps follow the left's: ``done`` never goes back). An exception it
        raises ends the search and propagates.

    Returns
    -------
    Candidates
        A NumPy array, shape (N, 3), dtype int64, writable; row i is
        (r, c, s·d) of candidate i, with s = ``surface.d_scale`` (n for odd
        n, n/2 for even n: 1 on the module's lattice, P² and ℓ² = 2, 2 on a
        quartic K3), so that the last column is an integer: d = row[2]/s.
        Its attributes describe the search (`v`, `surface`, `side`,
        `max_rank`, `above`, `complete`, `side_rows`: see
        :class:`Candidates`).

    Raises
    ------
    IrrationalBetaError
        When β₋ is irrational and neither `max_rank` nor `above` is given (a
        ValueError whose message says that the walls accumulate at β₋ and to
        pass `max_rank` or `above`).
    NoRealBetaError
        When v has no real β₋ (c² − r·d < 0, or r = c = 0: no pseudo-walls
        at all): a ValueError.
    ValueError
        When `max_rank` is negative, v is not on the lattice of `surface`, or
        `surface`, `side` or `above` is not one the search takes.
    RuntimeError
        When the search cannot proceed otherwise, with its message.
    TypeError, OverflowError
        When an argument has no integer value or leaves the signed 64-bit
        range (the message names it), or a value the search needs leaves 64
        bits (128 bits for the intermediate values of an irrational β₋); or,
        without a smaller `max_rank`, when the rank bound proven from `above`
        leaves 64 bits or, for an irrational β₋, passes the 10^11 ranks the
        walk covers in about half an hour (at once, with the bound).
    MemoryError
        When the result does not fit in the memory this process can still
        use; the message gives the candidates found, the memory they need and
        the memory available. The memory follows the candidates found, never
        `max_rank`.

    Examples
    --------
    >>> candidates(2, 1, -4)
    array([[ 1,  0,  0],
           [ 2,  0, -1],
           [ 2,  0,  0],
           [ 3, -1,  0]])
    >>> candidates(2, 1, -4, max_rank=2)
    array([[ 1,  0,  0],
           [ 2,  0, -1],
           [ 2,  0,  0]])
    >>> candidates(1, 0, -1).shape
    (0, 3)

    Two points in the plane as a class (ch2 = -2, so d = -4), and the shifted
    ideal sheaf I_Z[1] of one point, whose candidates are those of I_Z:

    >>> candidates(ch(1, 0, -2, surface="P2"))
    array([[ 1, -1,  1]])
    >>> candidates(-1, 0, 4)
    array([[ 1, -1,  1]])

    One point in the plane, β₋ = -√2: O(-1) = (1, -1, 1) comes first.

    >>> candidates(1, 0, -2, max_rank=12)
    array([[  1,  -1,   1],
           [  9, -12,  16],
           [  2,  -2,   2],
           [  5,  -6,   7]])

    On P², only the classes with d ≡ c (mod 2); the one right wall of two
    points is made by (-1, -1, -1):

    >>> candidates(2, 0, -8, surface="P2")
    array([[ 1, -1,  1],
           [ 2, -2,  2],
           [ 2, -1, -3],
           [ 2, -1, -1],
           [ 3, -3,  1]])
    >>> candidates(1, 0, -4, side="right")
    array([[-1, -1, -1]])
    >>> both = candidates(1, 0, -4, side="both")
    >>> both.tolist(), both.side_rows, both.complete
    ([[1, -1, 1], [-1, -1, -1]], (('left', 1), ('right', 1)), True)

    Eight points on a quartic K3 (ℓ² = 4, ch2 = -2·ℓ², d = -4): the last
    column is 2·d, so the rows are (1, -1, 1/2), (1, -1, 1) and (2, -3, 9/2):

    >>> candidates(1, 0, -4, surface=Surface(degree=4))
    array([[ 1, -1,  1],
           [ 1, -1,  2],
           [ 2, -3,  9]])

    The candidates of one point whose walls pass over σ(-3/2, 1/10), without a rank bound:

    >>> candidates(1, 0, -2, above=("-3/2", "1/10"))
    array([[ 1, -1,  1],
           [ 2, -2,  2]])
    """
    v, options = chern_options(r, c, d, SearchOptions.checked(max_rank, surface, side, above))
    return candidate_rows(v, options, progress)


@search_function
def count(r: ChernArgument, c: SupportsIndex | None = None, d: ExactD | None = None, *,
          max_rank: SupportsIndex | None = None, surface: SurfaceOption = None, side: SideOption = "left",
          above: Point | None = None, progress: ProgressCallback | None = None) -> int:
    """The number of candidate left pseudo-semistabilizers of v = (r, c·ℓ, (d/2)·ℓ²).

    The same as ``len(candidates(r, c, d, ...))`` with the same options
    (for side="both" the sum of both sides),
    without building the rows (in constant memory, with every option). It takes the same
    time as the search, and raises the same errors as :func:`candidates`;
    the options are as there (`max_rank` or `above` is required when β₋ is
    irrational).

    Examples
    --------
    >>> count(1, 0, -40000)
    8057113
    >>> count(1, 0, -2, max_rank=12), count(1, 0, -2, max_rank=1000)
    (4, 9)
    >>> count(1, 0, -40000, surface="P2")
    4028649
    >>> count(ch(1, 0, -20000, surface="P2"))  # 20000 points in the plane: the same v
    4028649
    """
    v, options = chern_options(r, c, d, SearchOptions.checked(max_rank, surface, side, above))
    return candidate_count(v, options, progress)
