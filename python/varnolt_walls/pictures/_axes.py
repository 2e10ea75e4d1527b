"""What every matplotlib picture of walls shares: the axes' frame and title, and the point σ(β, α) marked."""

from __future__ import annotations

from typing import TYPE_CHECKING

from ..classes._options import ExactPoint
from ..search._schema import readable_text

if TYPE_CHECKING:
    from matplotlib.axes import Axes

INSTALL_HINT = "plot needs matplotlib: pip install 'varnolt[plot]' (or pip install matplotlib)"


def frame(ax: Axes, title: str) -> None:
    """Equal scales, the axes' names and the title.

    No legend: the lines are named where they are drawn (β₋ and β₊ in the
    title), so nothing is drawn outside the axes, over a neighbouring panel,
    nor over the walls inside; each line keeps its label for ax.legend().
    """
    ax.set_aspect("equal", adjustable="box")
    ax.set_xlabel("β")
    ax.set_ylabel("α")
    ax.set_title(title, fontsize="medium")


def point_text(point: ExactPoint) -> str:
    """σ(β, α) for people, a coordinate of more than 38 digits in scientific notation."""
    return f"σ({readable_text(point[0])}, {readable_text(point[1])})"


def mark_point(ax: Axes, point: ExactPoint) -> None:
    """The point σ(β, α) of `above`: a cross, named beside it."""
    name = point_text(point)
    ax.plot([float(point[0])], [float(point[1])], marker="x", color="C1", linestyle="none", label=name, zorder=4)
    ax.annotate(name, (float(point[0]), float(point[1])), xytext=(4, 4), textcoords="offset points",
                fontsize="small", color="C1", zorder=4)
