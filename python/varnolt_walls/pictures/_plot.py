"""A picture of the walls in the (β, α) half-plane, with matplotlib."""

from __future__ import annotations

from collections.abc import Callable, Sequence
from fractions import Fraction
from math import acosh, cosh, sinh, sqrt
from typing import TYPE_CHECKING, Any, SupportsIndex, overload

from ..actual._actual import ActualWalls
from ..classes._arguments import ExactD, ExactRow, discriminant
from ..classes._chern import ChernCharacter
from ..classes._class_arguments import ChernArgument, chern_options
from ..classes._options import Point, SearchOptions, Side, SideOption, SurfaceOption, dual, unshifted
from ..quadratic_irrational import QuadraticIrrational
from ..search._beta import exact_beta_minus
from ..k3._walls import K3Walls
from ..search._described import chern_text
from ..search._walls import Wall, Walls, walls, walls_of  # noqa: F401 (walls: for the examples)
# Shared with plot_k3; INSTALL_HINT and point_text are still imported from here.
from ._axes import INSTALL_HINT as INSTALL_HINT, frame as _frame, mark_point, point_text as point_text
from ._file_replace import write_whole
from ._k3_plot import plot_k3

if TYPE_CHECKING:
    from matplotlib.axes import Axes


def save_figure(path: str, draw: Callable[[Axes], object]) -> None:
    """A new figure, drawn on by `draw`, written to `path` in the format its suffix names, whole or not
    at all: a picture that cannot be finished leaves the old one."""
    try:
        from matplotlib.figure import Figure
    except ImportError:
        raise ImportError(INSTALL_HINT) from None
    figure = Figure(figsize=(8, 5), layout="constrained")
    draw(figure.add_subplot())
    write_whole(path, lambda file: figure.savefig(file, format=path.rsplit(".", 1)[-1].lower()))


def searched_walls(first: ChernArgument | Walls, c: SupportsIndex | None, d: object,
                   options: dict[str, Any]) -> Walls:
    """The walls to draw: `first` itself when it is a result of :func:`walls` (no other argument then),
    else those of the search of v = (first, c, d) with `options`."""
    if not isinstance(first, Walls):
        v, checked = chern_options(first, c, d, SearchOptions.checked(**options))
        return walls_of(v, checked)
    if c is not None or d is not None or options != {"max_rank": None, "surface": None, "side": "left", "above": None}:
        raise TypeError("walls found are drawn as they are: give them alone, or v with the options of a search")
    return first


def wall_label(wall: Wall) -> str:
    """A wall's name on a picture: its first destabilising class, by name where it has one."""
    [first] = wall._classes(wall.semistabilizers[:1])
    more = f" (+{len(wall.semistabilizers) - 1})" if len(wall.semistabilizers) > 1 else ""
    return (first.u.name or f"({first.u.rank}, {first.u.c1}, {first.u.ch2})") + more


def bound_text(found: Walls) -> str:
    """The rank bound of a search for a title, and whether it may have cut the list."""
    if found.max_rank is None:
        return ""
    return f", candidates of rank ≤ {found.max_rank}" + ("" if found.complete else " (may be incomplete)")


@overload
def plot(v: ChernCharacter | Walls | ActualWalls | K3Walls, /, *, max_rank: SupportsIndex | None = None, surface: SurfaceOption = None,
         side: SideOption = "left", above: Point | None = None, labels: bool = False, ax: Axes | None = None,
         **style: Any) -> Axes: ...
@overload
def plot(r: SupportsIndex, c: SupportsIndex, d: ExactD, /, *, max_rank: SupportsIndex | None = None,
         surface: SurfaceOption = None, side: SideOption = "left", above: Point | None = None,
         labels: bool = False, ax: Axes | None = None, **style: Any) -> Axes: ...
# r, c and d are positional only: **style takes any other keyword.
def plot(r: ChernArgument | Walls | ActualWalls | K3Walls, c: SupportsIndex | None = None, d: ExactD | None = None, /, *,
         max_rank: SupportsIndex | None = None, surface: SurfaceOption = None,
         side: SideOption = "left", above: Point | None = None, labels: bool = False, ax: Axes | None = None,
         **style: Any) -> Axes:
    """Draw the pseudo-walls of v = (r, c·ℓ, (d/2)·ℓ²), or a result of :func:`walls`, as semicircles in
    the (β, α) half-plane.

    One semicircle per wall of :func:`walls` (``plot(found)`` draws the
    walls `found` as they are, with what they describe, without searching
    again), with β₋ (β₊ for the right
    walls) marked by a caret under the β axis, where it hides none of the
    smallest walls; for r ≠ 0 also the vertical wall β = c/r and the branch
    of the hyperbola ch2^β(v) = α²·r/2 through β₋ (β₊), which passes through
    the top of every semicircle. The lines are named in the title and
    beside them, not in a legend, so that nothing covers the walls or a
    neighbouring panel; ``ax.legend()`` adds one from their labels. A new
    figure takes the shape of the walls.

    Parameters
    ----------
    r, c, d : int
        The Chern character, as for :func:`walls` (or a :class:`ChernCharacter`
        alone); or, alone, a :class:`Walls` result, whose own search (v,
        surface, side, rank bound, point) is drawn, or an :class:`ActualWalls`
        result of :func:`actual_walls`, whose actual walls are drawn solid and
        its undecided ones dashed, or a :class:`K3Walls` result of
        :func:`k3_walls`, drawn by :func:`plot_k3` in its (β, α) plane.
    max_rank : int, optional
        Only the walls of candidates of rank at most `max_rank`, as for
        :func:`walls`; it or `above` is required when β₋ is irrational.
    surface, above : optional
        As for :func:`walls`: ``Surface(degree=n)`` keeps the classes of
        the surface with ℓ² = n (v's d exact), "P2" those with d ≡ c (mod 2);
        above=(β, α) keeps the walls over σ(β, α), which is marked. With
        side="both" the point must lie on one side; the walls of the other
        side cannot pass over it and are left out.
    side : {"left", "right", "both"}, optional
        The walls left of the vertical wall (default), right of it, or both.
    labels : bool, optional
        Name each wall at its top by its first destabilising class (O(-1),
        ``I_Z(-1), |Z| = 1``, or its ch), with "(+k)" for k more.
    ax : matplotlib.axes.Axes, optional
        Where to draw; a new figure's Axes when omitted.
    **style
        Passed on to each semicircle (:class:`matplotlib.patches.Arc`), e.g.
        ``color="k", linewidth=0.5``.

    Returns
    -------
    matplotlib.axes.Axes
        The Axes drawn on (shown inline in Jupyter).

    Raises
    ------
    ImportError
        When matplotlib is not installed.

    Examples
    --------
    >>> import matplotlib
    >>> matplotlib.use("Agg")
    >>> ax = plot(1, 0, -16, color="tab:blue")
    >>> len(ax.patches)
    16
    >>> len(plot(1, 0, -2, max_rank=12).patches)  # one point: β₋ = -√2 is irrational
    2
    >>> len(plot(1, 0, -16, surface="P2", side="both").patches)  # 8 walls on each side
    16
    >>> found = walls(1, 0, -4, surface="P2")
    >>> [t.get_text() for t in plot(found, labels=True).texts if "O" in t.get_text()]
    ['O(-1)']

    Eight points on P²: the six actual walls solid, the two undecided ones dashed.

    >>> from matplotlib.figure import Figure
    >>> from varnolt_walls import actual_walls, ch
    >>> ax = plot(actual_walls(ch(1, 0, -8, surface="P2")), ax=Figure().add_subplot())
    >>> [arc.get_linestyle() for arc in ax.patches]
    ['solid', 'solid', 'solid', 'solid', 'solid', 'solid', '--', '--']
    """
    try:
        import matplotlib.pyplot as pyplot
    except ImportError as missing:
        raise ImportError(INSTALL_HINT) from missing

    if isinstance(r, K3Walls):
        if c is not None or d is not None or (max_rank, surface, side, above) != (None, None, "left", None):
            raise TypeError("K3 walls found are drawn as they are: give them alone (labels, ax and a style apply)")
        return plot_k3(r, labels=labels, ax=ax, **style)
    certified = r if isinstance(r, ActualWalls) else None
    result = searched_walls(r.walls if isinstance(r, ActualWalls) else r, c, d,
                            {"max_rank": max_rank, "surface": surface, "side": side, "above": above})
    v, sides, point = result.v.row, result._description.sides, result.above
    r, c = v[0], v[1]
    found = list(result)
    betas = accumulation_points(v, sides)
    left, right, top = _extent(found, [float(beta) for _, beta in betas] + ([c / r] if r else [])
                               + ([float(point[0])] if point else []), float(point[1]) if point else 0.0)
    margin = 0.05 * max(right - left, top, 1.0)
    width, height = right - left + 2 * margin, top + margin
    if ax is None:
        # A figure of the walls' shape: no wide white bands beside or above them; the colour bar
        # under many walls gets its own height, or the axes keep their shape and the layout pushes
        # the title off the top.
        bar = COLOUR_BAR_INCHES if _coloured(found, style) else 0.0
        ax = pyplot.figure(figsize=(8.0, min(max(8.0 * height / width + 1.4, 3.0), 8.0) + bar),
                           layout="constrained").add_subplot()

    _arcs(ax, found, style, None if certified is None else [w.status == "undecided" for w in certified])
    if labels:
        for wall in found:
            ax.annotate(wall_label(wall), (float(wall.center), sqrt(wall.radius_squared)), xytext=(0, 2),
                        textcoords="offset points", ha="center", va="bottom", fontsize="x-small", zorder=5)
    if r != 0:
        ax.axvline(c / r, color="0.4", linestyle="--", linewidth=0.8, label=f"β = {Fraction(c, r)}", zorder=3)
        # Its name beside it on the side of the walls, inside the axes.
        ax.text(c / r, 0.98, f" β = {Fraction(c, r)} ", transform=ax.get_xaxis_transform(), rotation=90,
                ha="left" if sides == ("right",) else "right", va="top", fontsize="small", color="0.3")
        _hyperbola(ax, r, c, v[2], max(right - left, 1.0), sides)
    for (name, beta), colour in zip(betas, ("C3", "C4")):
        # A caret under the β axis, its tip at β: it hides none of the small walls that crowd
        # there. Not clipped by the axes, so it shows whole.
        ax.plot([float(beta)], [0.0], marker=CARET_UNDER_AXIS, markersize=9, color=colour, linestyle="none",
                label=f"{name} = {beta}", clip_on=False, zorder=4)
    if point is not None:
        mark_point(ax, point)

    ax.set_xlim(left - margin, right + margin)
    ax.set_ylim(0.0, height)
    bound = bound_text(result)
    where = "" if point is None else " over the point"
    statuses = "" if certified is None else " ({} actual, solid; {} undecided, dashed)".format(*certified.counts())
    _frame(ax, f"{len(found)} pseudo-wall{'' if len(found) == 1 else 's'} of {chern_text(result.v)}{where}{statuses}\n"
               f"{', '.join(f'{name} = {beta}' for name, beta in betas)}{bound}")
    return ax


# A marker's vertices around the point it marks: a caret with its tip there, under the β axis.
CARET_UNDER_AXIS = [(0.0, 0.0), (-0.6, -1.0), (0.6, -1.0), (0.0, 0.0)]


def accumulation_points(v: ExactRow, sides: Sequence[Side]) -> list[tuple[str, Fraction | QuadraticIrrational]]:
    """Where the walls of each side accumulate: β₋ for the left, β₊ = −β₋(dual v) for the right
    walls of a positive rank (other ranks have one family of walls, at β₋)."""
    v = unshifted(v)  # the walls of a shifted class are those of −v
    points = [("β₊", -exact_beta_minus(dual(v))) if side == "right" and v[0] > 0 else ("β₋", exact_beta_minus(v))
              for side in sides]
    return list(dict.fromkeys(points))


def _extent(found: list[Wall], betas: list[float], height: float) -> tuple[float, float, float]:
    """The left end, right end and top of the walls, the given β and the height."""
    radii = [sqrt(wall.radius_squared) for wall in found]
    left = min([float(w.center) - radius for w, radius in zip(found, radii)] + betas)
    right = max([float(w.center) + radius for w, radius in zip(found, radii)] + betas)
    return left, right, max(radii + [height])


def _arcs(ax: Axes, found: list[Wall], style: dict[str, Any], dashed: list[bool] | None = None) -> None:
    """Draws one semicircle per wall, dashed where `dashed` says so (undecided walls).

    Beyond MANY walls, without a colour in `style`, each wall is coloured by
    its radius on a logarithmic scale (with a colour bar, PALETTE), drawn thinner the
    smaller it is, and the larger ones on top: the largest stay readable
    among thousands.
    """
    from matplotlib import colormaps
    from matplotlib.cm import ScalarMappable
    from matplotlib.colors import ListedColormap, LogNorm
    from matplotlib.patches import Arc

    radii = [sqrt(wall.radius_squared) for wall in found]
    norm = LogNorm(min(radii), max(radii)) if _coloured(found, style) and min(radii) < max(radii) else None
    full = colormaps[PALETTE[0]]
    palette = ListedColormap([full(PALETTE[1] * i / 255) for i in range(256)], name="walls")
    colours = ScalarMappable(norm=norm, cmap=palette) if norm is not None else None
    for rank, (wall, radius) in enumerate(zip(found, radii)):
        center = float(wall.center)
        arc_style: dict[str, Any] = {"color": "C0", "linewidth": 1.0} | style
        if colours is not None and norm is not None:
            share = float(norm(radius))
            arc_style |= {"color": palette(share, alpha=0.3 + 0.7 * share), "linewidth": 0.2 + 1.3 * share**2}
        if dashed is not None and dashed[rank]:
            arc_style["linestyle"] = "--"
        # Walls come largest first: the larger, the higher on the stack.
        ax.add_patch(Arc((center, 0.0), 2 * radius, 2 * radius, theta1=0.0, theta2=180.0,
                         zorder=2 + 1 / (2 + rank), **arc_style))
    if colours is not None:
        ax.figure.colorbar(colours, ax=ax, label="radius of the wall", shrink=0.6, location="bottom")


# More walls than this are coloured by their radius.
MANY = 40
# The colour bar's height under the axes, in inches (with its label and ticks).
COLOUR_BAR_INCHES = 0.6
# The colours of the walls by radius: plasma (perceptually uniform, readable in grey) from its dark
# end to 0.6, where its colours keep a contrast of at least 3:1 with white (the WCAG's least for
# lines and shapes); its light yellow end is faint on white.
PALETTE = ("plasma", 0.6)


def _coloured(found: list[Wall], style: dict[str, Any]) -> bool:
    """Whether the walls are coloured by their radius: more than MANY, and no colour in `style`."""
    return len(found) > MANY and "color" not in style and "edgecolor" not in style and \
        min(w.radius_squared for w in found) > 0


def _hyperbola(ax: Axes, r: int, c: int, d: int | Fraction, width: float, sides: tuple[Side, ...]) -> None:
    """The branches of α² = (β − c/r)² − Δ/r², Δ = c² − r·d, on the drawn sides: each meets every
    wall of its side at its top: the left one passes through β₋ (the smaller root), the right one
    through β₊. The same for v and −v, whose walls are the same.

    Drawn through the parametrisation β = c/r ± a·cosh t, α = a·sinh t
    (a = √Δ/|r|), whose points crowd where the branch bends at its foot on
    the β axis: a smooth curve there, where points even in β show a corner.
    """
    vertical, root = c / r, sqrt(discriminant(r, c, d)) / abs(r)
    feet = {"left": -1.0, "right": 1.0}
    steps = 200
    end = acosh(1.0 + width / root) if root > 0 else 0.0
    for index, s in enumerate(sides):
        direction = feet[s]
        if root > 0:
            ts = [end * i / steps for i in range(steps + 1)]
            betas = [vertical + direction * root * cosh(t) for t in ts]
            alphas = [root * sinh(t) for t in ts]
        else:  # Δ = 0: the two lines α = |β − c/r|
            betas, alphas = [vertical, vertical + direction * width], [0.0, width]
        ax.plot(betas, alphas, color="0.3", linewidth=0.8, label="hyperbola" if index == 0 else None, zorder=3)
