"""A picture of the cones of M_H(v) on a K3 surface in the plane NS ⊗ ℝ = v^⊥, with matplotlib.

The plane has the basis h = (0, −r, −c·degree), b = (−r, 0, s) of v^⊥ (both are ⊥ v; for the
Hilbert scheme, v = (1, 0, 1 − n), they are H̃ and B), and a class w = x·h + y·b is drawn at
(x, y) = (−w_c/r, −w_r/r): a·H̃ − b·B at (a, −b).
"""

from __future__ import annotations

from math import atan2, cos, hypot, pi, sin
from typing import TYPE_CHECKING

from ..k3._cones import Ray, divisor_text, hilbert_points
from ..k3._walls import K3Walls
from ._axes import INSTALL_HINT

if TYPE_CHECKING:
    from matplotlib.axes import Axes

# The kinds' colours, here and in plot_k3: matplotlib's first colours (C0, C3, C2, C4, C1) and a grey, written out
# for Bokeh's pages too.
COLOURS = {"flop": "#1f77b4", "brill-noether": "#d62728", "hilbert-chow": "#2ca02c", "li-gieseker-uhlenbeck": "#9467bd",
           "lagrangian": "#ff7f0e", "fake": "#999999"}
# The cones shaded, widest first (each drawn over the one before), with their colours.
SHADES = (("effective", "0.85"), ("movable", "#c6dbef"), ("nef", "#74a9cf"))


def plot_k3_cones(found: K3Walls, ax: Axes | None = None) -> Axes:
    """Draw the cone decomposition of :func:`k3_walls` in the plane v^⊥ = NS(M) ⊗ ℝ.

    Each wall's ray (its ``divisor``, left and right of the vertical wall) is a line from
    the origin coloured by kind, the vertical wall's ray dashed; the effective, movable and
    nef cones are shaded (those not computed are left out), and each ray is labelled as
    :meth:`K3Wall.divisor_text` writes it ("H̃ − 2/3·B" for Hilbⁿ). For the Hilbert scheme
    the axes are H̃ and B; otherwise the basis h = (0, −r, −c·degree), b = (−r, 0, s) of
    v^⊥, where w = x·h + y·b sits at (x, y).

    Parameters
    ----------
    found : K3Walls
        What :func:`k3_walls` returned.
    ax : matplotlib.axes.Axes, optional
        Where to draw; a new figure's axes by default.

    Returns
    -------
    matplotlib.axes.Axes
        The axes drawn on.

    Examples
    --------
    >>> from varnolt_walls import k3_walls, plot_k3_cones
    >>> ax = plot_k3_cones(k3_walls(1, 0, -4, degree=2))   # Hilb⁵ of a degree-2 K3
    >>> len(ax.patches), ax.get_xlabel()
    (3, 'H̃')
    >>> ax = plot_k3_cones(k3_walls(3, 1, -1, degree=2))   # 2 walls, 3 right of the vertical one
    >>> len(ax.lines), ax.get_xlabel()                    # and the effective cone's 2 rays, h0
    (8, 'h = (0, −r, −c·degree)')
    """
    try:
        from matplotlib import pyplot
        from matplotlib.patches import Polygon
    except ImportError:
        raise ImportError(INSTALL_HINT.replace("plot", "plot_k3_cones", 1)) from None
    if ax is None:
        ax = pyplot.figure(layout="constrained").add_subplot()
    v, r = found.v, found.v[0]

    def point(w: Ray) -> tuple[float, float]:
        x, y = -w[1] / r, -w[0] / r
        size = hypot(x, y)
        return x / size, y / size

    for which, colour in SHADES:
        cone = getattr(found, f"{which}_cone")
        if cone is None:
            continue
        start, stop = (atan2(p[1], p[0]) for p in map(point, cone))
        # The cones are convex (less than a half turn): go the short way round from one ray to the other.
        if stop - start > pi:
            stop -= 2 * pi
        elif start - stop > pi:
            stop += 2 * pi
        arc = [(1.1 * cos(start + (stop - start) * i / 32), 1.1 * sin(start + (stop - start) * i / 32))
               for i in range(33)]
        ax.add_patch(Polygon([(0.0, 0.0), *arc], closed=True, facecolor=colour, edgecolor="none", zorder=1,
                             label=f"{which} cone"))
    rays: list[tuple[Ray, str]] = [(w.divisor, w.kind) for w in (*found, *found.right_walls)]
    rays += [(cone[i], "effective") for cone in [found.effective_cone] if cone for i in (0, 1)]
    labelled: set[str] = set()
    for i, (w, kind) in enumerate(rays):
        x, y = point(w)
        label = None if kind in labelled else kind
        labelled.add(kind)
        ax.plot([0.0, x], [0.0, y], color=COLOURS.get(kind, "0.3"), linewidth=1.2, zorder=3, label=label)
        # Rays often lie close together: their labels go out at three distances in turn.
        ax.annotate(divisor_text(v, w), (x, y), xytext=((1 + 0.25 * (i % 3)) * x, (1 + 0.25 * (i % 3)) * y),
                    fontsize="x-small", zorder=4, arrowprops={"arrowstyle": "-", "color": "0.7", "linewidth": 0.5})
    x, y = point((0, -r, -v[1] * found.degree))
    ax.plot([0.0, x], [0.0, y], color="0.4", linestyle="--", linewidth=1.0, zorder=3,
            label=f"vertical wall: {found.vertical or 'no wall'}")
    ax.annotate(divisor_text(v, (0, -r, -v[1] * found.degree)), (x, y), fontsize="x-small", zorder=4)
    hilbert = hilbert_points(v) is not None
    ax.set_xlabel("H̃" if hilbert else "h = (0, −r, −c·degree)")
    ax.set_ylabel("B" if hilbert else "b = (−r, 0, s)")
    ax.set_xlim(-1.6, 1.9)
    ax.set_ylim(-1.6, 1.6)
    ax.set_aspect("equal", adjustable="box")
    ax.set_title(f"The cones of {found.caption()}", fontsize="medium")
    ax.legend(loc="best", fontsize="small")
    return ax
