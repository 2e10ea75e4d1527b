"""--plot FILE, the same for every command that draws: a picture by matplotlib or a Bokeh page, by FILE's suffix."""

from __future__ import annotations

from ..actual._actual import ActualWalls
from ..k3._walls import K3Walls
from ..pictures._plot import plot, save_figure
from ..search._walls import Walls
from ._console import Stop

PLOT_FORMATS = (".png", ".svg", ".pdf", ".html")


def checked_plot_path(path: str | None) -> None:
    """A Stop (status 2) for a FILE whose suffix names no format drawn, before any work is done."""
    if path is not None and not path.lower().endswith(PLOT_FORMATS):
        raise Stop(f"argument --plot: FILE must end in .png, .svg, .pdf or .html: {path}", 2)


def save_plot(path: str, found: Walls | ActualWalls | K3Walls) -> None:
    """The walls drawn to `path`: .html an interactive page (Bokeh), else a picture (matplotlib)."""
    try:
        if path.lower().endswith(".html"):
            from ..pictures._plot_html import plot_html

            plot_html(found.walls if isinstance(found, ActualWalls) else found, path)
        else:
            save_figure(path, lambda ax: plot(found, ax=ax))
    except OSError as error:
        raise Stop(f"cannot write the plot {path}: {error.strerror or error}") from None
