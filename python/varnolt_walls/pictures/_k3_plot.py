"""A picture of the actual walls of a Mukai vector on a K3 surface, coloured by kind, with matplotlib,
and beside them the pseudo-walls of tilt stability of the same class, in the same coordinates.

The two families of semicircles. k3_walls' σ(β, α) has the central charge ⟨Ω, w⟩ (up to sign) with
Ω = e^{(β + iα)·H} = (1, z, n·z²/2), z = β + iα, n = H², on the Mukai vector w = (r, c, s),
s = ch₂ + r (ch₂ in points), while tilt stability σ(β, α') has
Z(w) = −ch₂^β + n·r·α'²/2 + i·n·α'·(c − r·β), ch₂^β = ch₂ − n·β·c + n·r·β²/2. Expanding,

    ⟨Ω, w⟩ = z·c·n − s − r·n·z²/2 = −ch₂^β + (n·r/2)·(α² − 2/n) + i·n·α·(c − r·β),

so with α'² = α² − 2/n the real parts agree and the imaginary parts differ by the factor α/α' > 0,
the same for every w. A wall of v is where Z(u) and Z(v) are ℝ-collinear, Re Z(u)·Im Z(v) =
Re Z(v)·Im Z(u): a common positive factor of the imaginary parts changes nothing, so the numerical
wall of u and v at (β, α) is the tilt one at (β, α'): the tilt semicircle (β − x)² + α'² = ρ² is
k3_walls' (β − x)² + α² = ρ² + 2/n, same centre. The condition is polynomial in α², so the K3
semicircle is whole, also where α² <= 2/n (there is no tilt point): a K3 wall of radius² <= 2/n
lies entirely there and has no tilt counterpart. For α² > 2/n both stability conditions have the
heart Coh^β and their central charges differ by an orientation-preserving linear map of ℂ, so they
have the same semistable objects: an actual K3 wall of radius² > 2/n is an actual wall of tilt
stability, among the pseudo-walls of ch = v − (0, 0, r) (ch₂ = s − r points = (s − r)/n·H²).
"""

from __future__ import annotations

from fractions import Fraction
from math import sqrt
from typing import TYPE_CHECKING, Any, SupportsIndex

from ..classes._chern import from_mukai
from ..k3._document import mukai_text
from ..k3._lattice import pairing
from ..k3._walls import K3Walls, center_through
from ..search._walls import walls
from ._axes import INSTALL_HINT, frame, mark_point
from ._k3_cones_plot import COLOURS as COLOURS, plot_k3_cones  # COLOURS: also for the pages of _plot_html

if TYPE_CHECKING:
    from matplotlib.axes import Axes

LONGEST_LABEL = 40  # characters of a class named on a wall; a longer one is cut in the middle


def plot_k3(found: K3Walls, *, pseudo: bool = False, max_rank: SupportsIndex | None = None, labels: bool = False,
            cones: bool = False, ax: Axes | None = None, **style: Any) -> Axes:
    """Draw the walls of :func:`k3_walls` as semicircles in the (β, α) half-plane, coloured by kind.

    The walls right of the vertical wall (``found.right_walls``) are drawn too. The vertical
    wall β = c/r is dashed; the Lagrangian point, if the walls end at one,
    is marked on the β axis, and so is the point of `above`. The title names the moduli
    space (Hilbⁿ for v = (1, 0, 1 − n), else M_H(v)) and the point.

    Parameters
    ----------
    found : K3Walls
        What :func:`k3_walls` returned.
    pseudo : bool, optional
        Also draw, dotted in dark grey, the pseudo-walls of tilt stability (:func:`walls`) of
        the same class, ch = v − (0, 0, r) on ``Surface(degree=n)`` (:func:`from_mukai`), in
        k3_walls' coordinates: the tilt semicircle of centre x and radius² ρ² is drawn with
        radius² ρ² + 2/n, as the central charges of the two agree for α² = α'² + 2/n. Those of
        the stretch of `found`: up to the end of the movable cone, or over the point of `above`.
    max_rank : int, optional
        The rank bound of that search, needed when the stretch reaches β₋ of ch and β₋ is
        irrational (:class:`IrrationalBetaError` otherwise).
    labels : bool, optional
        Name each wall at its top by its first special class.
    cones : bool, optional
        Also draw the cone decomposition (:func:`plot_k3_cones`) beside the walls, in a second
        Axes of the same figure, to their right: the place of `ax` is split in two (a new
        figure twice as wide by default). The walls' Axes is returned; the cones' is
        ``ax.figure.axes[-1]``.
    ax : matplotlib.axes.Axes, optional
        Where to draw; a new figure's axes by default.
    **style
        Passed to each semicircle (an ``matplotlib.patches.Arc``), over its colour by kind.

    Returns
    -------
    matplotlib.axes.Axes
        The axes drawn on.

    Examples
    --------
    >>> from varnolt_walls import k3_walls, plot_k3
    >>> ax = plot_k3(k3_walls(1, 0, -7, degree=2))
    >>> len(ax.patches)
    8
    >>> eight = k3_walls(1, 0, -7, degree=4)  # eight points on a quartic: 6 walls, 3 tilt pseudo-walls
    >>> len(plot_k3(eight, pseudo=True).patches)
    9
    >>> ax = plot_k3(eight, cones=True)  # the walls, and beside them the cones in the (H̃, B) plane
    >>> [a.get_xlabel() for a in ax.figure.axes]
    ['β', 'H̃']
    """
    try:
        from matplotlib import pyplot
        from matplotlib.patches import Arc
    except ImportError:
        raise ImportError(INSTALL_HINT.replace("plot", "plot_k3", 1)) from None
    tilt = pseudo_walls(found, max_rank) if pseudo else []
    if ax is None:
        ax = pyplot.figure(figsize=(12.8, 4.8) if cones else None, layout="constrained").add_subplot()
    if cones:  # the walls on the left half of ax's place, the cones on the right half
        place = ax.get_subplotspec()
        if place is None:
            raise ValueError("cones=True splits the place of ax in two: give the Axes of a subplot (add_subplot)")
        halves = place.subgridspec(1, 2)
        ax.set_subplotspec(halves[0])
        plot_k3_cones(found, ax=ax.figure.add_subplot(halves[1]))
    r, c, _ = found.v
    vertical = c / r
    left, right, top = vertical, vertical, 0.0 if found.above is None else float(found.above[1])
    labelled: set[str] = set()
    for wall in (*found, *found.right_walls):
        center, radius = float(wall.center), sqrt(wall.radius_squared)
        label = None if wall.kind in labelled else wall.kind
        labelled.add(wall.kind)
        if wall.kind == "lagrangian":
            ax.plot([center], [0.0], marker="o", color=COLOURS["lagrangian"], linestyle="none", label=label,
                    clip_on=False, zorder=4)
        else:
            arc_style: dict[str, Any] = {"color": COLOURS[wall.kind], "linewidth": 1.2} | style
            ax.add_patch(Arc((center, 0.0), 2 * radius, 2 * radius, theta1=0.0, theta2=180.0, zorder=2,
                             label=label, **arc_style))
        if labels:
            ax.annotate(short_text(mukai_text(wall.special_classes[0])), (center, radius), xytext=(0, 2),
                        textcoords="offset points", ha="center", va="bottom", fontsize="x-small", zorder=5)
        left, right, top = min(left, center - radius), max(right, center + radius), max(top, radius)
    for i, (x, radius_squared) in enumerate(tilt):
        center, radius = float(x), sqrt(radius_squared)
        # Over the K3 walls: where a tilt wall is an actual wall, its dots show on the coloured line.
        ax.add_patch(Arc((center, 0.0), 2 * radius, 2 * radius, theta1=0.0, theta2=180.0, zorder=2.5, color="0.2",
                         linestyle=":", linewidth=1.0,
                         label=None if i else f"tilt pseudo-walls, radius² + {Fraction(2, found.degree)}"))
        left, right, top = min(left, center - radius), max(right, center + radius), max(top, radius)
    if pseudo:  # under this line the K3 plane has no tilt point: walls there have no tilt counterpart
        ax.axhline(sqrt(2 / found.degree), color="0.7", linewidth=0.6, zorder=1,
                   label=f"α² = {Fraction(2, found.degree)}")
    ax.axvline(vertical, color="0.4", linestyle="--", linewidth=0.8, zorder=3,
               label=f"β = {Fraction(c, r)}: {found.vertical or 'no wall'}")
    if found.above is not None:
        mark_point(ax, found.above)
        left = min(left, float(found.above[0]))
    margin = 0.05 * max(right - left, top, 1e-3)
    ax.set_xlim(left - margin, right + margin)
    ax.set_ylim(0.0, top + margin)
    s, t = ("" if len(found) == 1 else "s"), ("" if len(tilt) == 1 else "s")
    ch = from_mukai(*found.v, degree=found.degree)
    extra = f"\n{len(tilt)} tilt pseudo-wall{t} of ch = ({ch.rank}, {ch.c1}, {ch.ch2}), dotted" if pseudo else ""
    right = len(found.right_walls)
    beyond = f" (and {right} right of the vertical wall)" if right else ""
    frame(ax, f"{len(found)} wall{s}{beyond} of {found.caption()}{extra}")
    ax.legend(loc="best", fontsize="small")  # the kinds' colours, where it covers the fewest walls
    return ax


def pseudo_walls(found: K3Walls, max_rank: SupportsIndex | None = None) -> list[tuple[Fraction, Fraction]]:
    """(centre, radius²) in k3_walls' coordinates of the tilt pseudo-walls of ch = v − (0, 0, r) on the
    stretch of `found`: radius² that of :func:`walls` + 2/n (see the notes at the top), the centres up to
    that of the wall that ends the movable cone, or before that of the wall through the point of `above`
    when it comes first.

    The walls of ch are nested: one of centre x <= b passes over every point (b, α) under the tilt
    wall of centre b, as ρ²(x) − (b − x)² = ρ²(b) + 2·(c/r − b)·(b − x) >= ρ²(b). So they are those
    over such a point (a finite list); when the stretch reaches β₋ of ch (ρ²(b) <= 0), all of them.
    """
    v, n = found.v, found.degree
    r, c, _ = v
    # Every wall before the one that ends the movable cone is a flop: when the last wall listed is
    # one (or none is), the point cut the list, at the wall through it.
    through = None if found.above is None else center_through(v, n, found.above)
    if through is not None and (not len(found) or found[-1].kind == "flop"):
        bound, strict = through, True
    elif len(found):
        bound, strict = found[-1].center, False
    else:
        return []
    shift = Fraction(2, n)
    tilt_radius_squared = (bound - Fraction(c, r)) ** 2 - Fraction(pairing(v, v, n), n * r * r) - shift
    above = None
    if tilt_radius_squared > 0:
        alpha = Fraction(1)
        while alpha * alpha >= tilt_radius_squared:
            alpha /= 2
        above = (bound, alpha)
    return [(w.center, w.radius_squared + shift)
            for w in walls(from_mukai(*v, degree=n), max_rank=max_rank, above=above)
            if w.center < bound or (w.center == bound and not strict)]


def short_text(text: str) -> str:
    """A class's text as a label: cut in the middle when longer than LONGEST_LABEL."""
    if len(text) <= LONGEST_LABEL:
        return text
    half = LONGEST_LABEL // 2
    return f"{text[:half]}…{text[-half:]}"
