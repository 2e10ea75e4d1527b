"""A picture of the actual walls of a Mukai vector on a K3 surface, coloured by kind, with matplotlib."""

from __future__ import annotations

from fractions import Fraction
from math import sqrt
from typing import TYPE_CHECKING, Any

from ..k3._walls import K3Walls
from ._plot import INSTALL_HINT, _frame

if TYPE_CHECKING:
    from matplotlib.axes import Axes

COLOURS = {"flop": "C0", "brill-noether": "C3", "hilbert-chow": "C2", "li-gieseker-uhlenbeck": "C4",
           "lagrangian": "C1", "fake": "0.6"}


def plot_k3(found: K3Walls, *, ax: Axes | None = None, **style: Any) -> Axes:
    """Draw the walls of :func:`k3_walls` as semicircles in the (β, α) half-plane, coloured by kind.

    The vertical wall β = c/r is dashed; the Lagrangian point, if the walls end at one,
    is marked on the β axis.

    Parameters
    ----------
    found : K3Walls
        What :func:`k3_walls` returned.
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
    """
    try:
        from matplotlib import pyplot
        from matplotlib.patches import Arc
    except ImportError:
        raise ImportError(INSTALL_HINT.replace("plot", "plot_k3", 1)) from None
    if ax is None:
        ax = pyplot.figure(layout="constrained").add_subplot()
    r, c, _ = found.v
    vertical = c / r
    left, right, top = vertical, vertical, 0.0
    labelled: set[str] = set()
    for wall in found:
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
        left, right, top = min(left, center - radius), max(right, center + radius), max(top, radius)
    ax.axvline(vertical, color="0.4", linestyle="--", linewidth=0.8, zorder=3,
               label=f"β = {Fraction(c, r)}: {found.vertical or 'no wall'}")
    margin = 0.05 * max(right - left, top, 1e-3)
    ax.set_xlim(left - margin, right + margin)
    ax.set_ylim(0.0, top + margin)
    s = "" if len(found) == 1 else "s"
    _frame(ax, f"{len(found)} wall{s} of v = {found.v} on a K3 surface of degree {found.degree}")
    ax.legend(loc="best", fontsize="small")  # the kinds' colours, where it covers the fewest walls
    return ax
