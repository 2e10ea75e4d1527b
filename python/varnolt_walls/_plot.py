"""A picture of the walls in the (β, α) half-plane, with matplotlib."""

from __future__ import annotations

from fractions import Fraction
from math import sqrt
from typing import TYPE_CHECKING, Any

from ._beta import beta_minus, beta_minus_text
from ._walls import walls

if TYPE_CHECKING:
    from matplotlib.axes import Axes

INSTALL_HINT = "plot needs matplotlib: pip install 'varnolt[plot]' (or pip install matplotlib)"


def plot(r: int, c: int, d: int, *, max_rank: int | None = None, ax: Axes | None = None,
         **style: Any) -> Axes:
    """Draw the pseudo-walls of v = (r, c·ℓ, (d/2)·ℓ²) as semicircles in the (β, α) half-plane.

    One semicircle per wall of :func:`walls`, with β₋ marked on the β axis;
    for r ≠ 0 also the vertical wall β = c/r and the branch of the hyperbola
    ch2^β(v) = α²·r/2 that passes through β₋ (and through the top of every
    semicircle).

    Parameters
    ----------
    r, c, d : int
        The Chern character, as for :func:`walls`.
    max_rank : int, optional
        Only the walls of candidates of rank at most `max_rank`, as for
        :func:`walls`; required when β₋ is irrational.
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
    """
    try:
        import matplotlib.pyplot as pyplot
        from matplotlib.patches import Arc
    except ImportError as missing:
        raise ImportError(INSTALL_HINT) from missing

    found = walls(r, c, d, max_rank=max_rank)
    beta = float(beta_minus(r, c, d))
    if ax is None:
        ax = pyplot.figure().add_subplot()

    arc_style: dict[str, Any] = {"color": "C0", "linewidth": 1.0} | style
    left, right, top = beta, beta, 0.0
    for wall in found:
        center, radius = float(wall.center), sqrt(wall.radius_squared)
        ax.add_patch(Arc((center, 0.0), 2 * radius, 2 * radius, theta1=0.0, theta2=180.0, **arc_style))
        left, right, top = min(left, center - radius), max(right, center + radius), max(top, radius)

    if r != 0:
        vertical = c / r
        left, right = min(left, vertical), max(right, vertical)
        ax.axvline(vertical, color="0.4", linestyle="--", linewidth=0.8, label=f"β = {Fraction(c, r)}")
        # α² = (β − c/r)² − Δ/r², Δ = c² − r·d: the branch on β₋'s side of c/r.
        width = max(right - left, 1.0)
        side = 1.0 if beta > vertical else -1.0
        steps = 200
        betas = [beta + side * width * i / steps for i in range(steps + 1)]
        alphas = [sqrt(max((b - vertical) ** 2 - (c * c - r * d) / r**2, 0.0)) for b in betas]
        ax.plot(betas, alphas, color="0.4", linewidth=0.8, label="hyperbola through β₋")
    ax.plot([beta], [0.0], marker="o", color="C3", linestyle="none", label=f"β₋ = {beta_minus_text(r, c, d)}")

    margin = 0.05 * max(right - left, top, 1.0)
    ax.set_xlim(left - margin, right + margin)
    ax.set_ylim(0.0, top + margin)
    ax.set_aspect("equal", adjustable="box")
    ax.set_xlabel("β")
    ax.set_ylabel("α")
    bound = "" if max_rank is None else f", candidates of rank ≤ {max_rank}"
    ax.set_title(f"{len(found)} pseudo-wall{'' if len(found) == 1 else 's'} of ({r}, {c}ℓ, {Fraction(d, 2)}ℓ²){bound}")
    ax.legend(loc="upper right", fontsize="small")
    return ax
