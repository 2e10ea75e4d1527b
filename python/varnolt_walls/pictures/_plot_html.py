"""An interactive page of the walls: one HTML file with every script inside, drawn by Bokeh."""

from __future__ import annotations

import os
from collections.abc import Sequence
from fractions import Fraction
from math import sqrt
from typing import TYPE_CHECKING, Any, SupportsIndex, overload

from .._digits import fraction_text
from ..classes._arguments import ExactD, ExactRow
from ..classes._chern import ChernCharacter
from ..classes._class_arguments import ChernArgument
from ..classes._options import NO_SURFACE, ExactPoint, Point, Side, SideOption, Surface, SurfaceOption
from ..k3._document import mukai_text
from ..k3._walls import K3Wall, K3Walls
from ..search._described import chern_text
from ..search._walls import Wall, Walls
from ._axes import point_text
from ._file_replace import write_whole
from ._k3_plot import COLOURS, short_text
from ._plot import accumulation_points, searched_walls, wall_label

if TYPE_CHECKING:
    from bokeh.models import ColumnDataSource
    from bokeh.models.widgets.tables import DataTable, TableColumn
    from bokeh.plotting import figure

INSTALL_HINT = "plot_html needs Bokeh: pip install 'varnolt[html]' (or pip install bokeh)"

Beta = tuple[str, str, float]  # name, exact text and value of β₋ or β₊
# Frame width and height, and the table's width, in pixels: with the axes, the toolbar and the
# table's scroll bar, the page fits a window 1280 pixels wide.
PLOT_SIZE = (680, 500)
TABLE_WIDTH = 440

# The wall nearest the pointer, within six pixels, or -1: a JavaScript body shared by the
# callbacks of the pointer (hover) and of a click (select). Exact values stay text; only
# the search uses the floats.
NEAREST_WALL = """
const {center, radius} = walls.data
const tolerance = 6 * (plot.x_range.end - plot.x_range.start) / plot.inner_width
let nearest = -1, gap = tolerance
if (cb_obj.y > -tolerance) {
    const height = Math.max(cb_obj.y, 0)
    for (let i = 0; i < center.length; i++) {
        const miss = Math.abs(Math.hypot(cb_obj.x - center[i], height) - radius[i])
        if (miss < gap) { gap = miss; nearest = i }
    }
}
"""

SHOW_WALL = """
function show(i, how) {
    if (i < 0) { info.text = hint; return }
    const {center_text, radius_squared_text, classes, names} = walls.data
    info.text = `<b>${how} wall ${i + 1}</b><br>centre ${center_text[i]}<br>`
        + `radius² ${radius_squared_text[i]}<br>classes ${classes[i]}` + (names ? `<br>${names[i]}` : "")
}
"""

ON_HOVER = NEAREST_WALL + SHOW_WALL + """
if ((pointed.data.index[0] ?? -1) !== nearest) {
    pointed.data = nearest < 0 ? {index: [], center: [], radius: []}
        : {index: [nearest], center: [center[nearest]], radius: [radius[nearest]]}
    const chosen = walls.selected.indices
    show(nearest < 0 && chosen.length ? chosen[0] : nearest, nearest < 0 ? "selected" : "pointed")
}
"""

ON_TAP = NEAREST_WALL + "walls.selected.indices = nearest < 0 ? [] : [nearest]\n"

ON_SELECT = SHOW_WALL + "show(cb_obj.indices.length ? cb_obj.indices[0] : -1, 'selected')\n"

# Tells a script or a test watching the page that everything is drawn.
ON_READY = """
document.documentElement.dataset.wallsReady = String(performance.now())
window.dispatchEvent(new Event("walls-ready"))
"""

HINT = "Point at a wall for its exact centre, radius² and classes; click it to find it in the table."


def _heading(v: ExactRow, count: int, betas: Sequence[Beta], max_rank: int | None,
             surface: Surface | None, above: ExactPoint | None, complete: bool = True) -> tuple[str, str]:
    """The page's title and the line under it: v, β₋ (β₊), the bound of the search and the surface."""
    shown = [f"{name} = {text}" + (f" ≈ {value:.10g}" if "√" in text else "") for name, text, value in betas]
    cut = "" if complete else " (may be incomplete)"
    bounds = [] if max_rank is None else [f"from candidates of rank ≤ {max_rank}{cut}"]
    bounds += [] if above is None else [f"over {point_text(above)}"]
    where = (NO_SURFACE if surface is None else "P²" if surface.degree == 1
             else f"Picard rank one, ℓ² = {surface.degree}")
    chern = ChernCharacter._on_lattice(v[0], v[1], Fraction(v[2]) / 2, surface)
    return (f"Pseudo-walls of {chern_text(chern)}",
            f"{', '.join(shown)} · {count} wall{'' if count == 1 else 's'} "
            f"{' '.join(bounds) or 'from all candidates'} · surface: {where}")


def _hyperbola(v: ExactRow, beta: float, reach: float) -> tuple[list[float], list[float]]:
    """Points of the branch (β − c/r)² − α² = Δ/r² through β, for 0 ≤ α ≤ reach.

    Sampled in α, denser near α = 0 (geometrically), so the branch stays smooth
    however far one zooms in at β, where it meets the β axis upright.
    """
    r, c, d = v
    vertical, squared = c / r, (c * c - r * d) / r**2
    direction = 1.0 if beta > vertical else -1.0
    alphas = [0.0] + [reach * 10.0 ** (-12 + 12 * i / 600) for i in range(601)]
    return [vertical + direction * sqrt(squared + a * a) for a in alphas], alphas


def _wall_source(found: Sequence[Wall]) -> ColumnDataSource:
    """The walls as columns: floats to draw and search, exact texts to show."""
    from bokeh.models import ColumnDataSource

    return ColumnDataSource({
        "order": list(range(1, len(found) + 1)),
        "center": [float(w.center) for w in found],
        "radius": [sqrt(w.radius_squared) for w in found],
        "center_text": [str(w.center) for w in found],
        "radius_squared_text": [str(w.radius_squared) for w in found],
        "classes": [_names(w) for w in found],
        "label": [wall_label(w) if w.v is not None else "" for w in found],
        "top": [sqrt(w.radius_squared) for w in found],
    }, name="walls")


def _names(wall: Wall) -> str:
    """The wall's destabilising classes in ch = (r, c₁, ch₂), named where they have a name."""
    return "; ".join(map(str, wall.classes)) if wall.v is not None else str(wall).partition(", from ")[2]


def _view(found: Sequence[Wall | K3Wall], points: Sequence[float], height: float) -> tuple[float, float, float, float]:
    """(left, right, bottom, top) holding every wall and the given β, at the frame's aspect ratio."""
    left = min([float(w.center) - sqrt(w.radius_squared) for w in found] + list(points))
    right = max([float(w.center) + sqrt(w.radius_squared) for w in found] + list(points))
    top = max([sqrt(w.radius_squared) for w in found] + [height])
    width, tall = max(right - left, 1e-9) * 1.1, max(top, 1e-9) * 1.1
    # One unit is as long on both axes, so walls are semicircles: widen the shorter side.
    scale = max(width / PLOT_SIZE[0], tall / PLOT_SIZE[1])
    middle, bottom = (left + right) / 2, -0.03 * scale * PLOT_SIZE[1]
    return middle - scale * PLOT_SIZE[0] / 2, middle + scale * PLOT_SIZE[0] / 2, bottom, bottom + scale * PLOT_SIZE[1]


def _figure(view: tuple[float, float, float, float]) -> figure:
    from bokeh.models import BoxZoomTool, PanTool, Range1d, ResetTool, SaveTool, WheelZoomTool
    from bokeh.plotting import figure

    left, right, bottom, top = view
    wheel = WheelZoomTool()
    # Zooms keep one unit as long on both axes (wheel zoom always does), so walls stay semicircles.
    return figure(frame_width=PLOT_SIZE[0], frame_height=PLOT_SIZE[1], x_range=Range1d(start=left, end=right),
                  y_range=Range1d(start=bottom, end=top), match_aspect=True, x_axis_label="β", y_axis_label="α",
                  tools=[PanTool(), wheel, BoxZoomTool(match_aspect=True), ResetTool(), SaveTool()],
                  active_scroll=wheel, name="walls-plot")


def _draw(v: ExactRow, found: Sequence[Wall], betas: Sequence[Beta], above: ExactPoint | None,
          source: ColumnDataSource, labels: bool = False) -> tuple[figure, ColumnDataSource]:
    """The plot of the walls in `source`, and the source of the one wall pointed at (drawn over them)."""
    r, c, _ = v
    points = [value for *_, value in betas] + ([] if r == 0 else [c / r]) + ([] if above is None else [float(above[0])])
    view = _view(found, points, 0.0 if above is None else float(above[1]))
    plot = _figure(view)
    pointed = _arcs(plot, source, labels, line_color="#1f77b4", line_width=1.2 if len(found) < 500 else 0.6,
                    legend_label=f"pseudo-walls ({len(found)})")
    _mark(plot, v, betas, above, 3 * max(view[1] - view[0], view[3] - view[2]))
    _legend_below(plot)
    return plot, pointed


def _arcs(plot: figure, source: ColumnDataSource, labels: bool, **style: Any) -> ColumnDataSource:
    """The walls of `source` drawn with `style` (red where selected), named at their tops with `labels`; the
    source of the one wall pointed at, drawn over them."""
    from bokeh.models import ColumnDataSource

    half_turn = 3.141592653589793
    shown = plot.arc(x="center", y=0.0, radius="radius", start_angle=0.0, end_angle=half_turn, source=source, **style)
    if labels:
        plot.text(x="center", y="top", text="label", source=source, text_align="center", text_baseline="bottom",
                  text_font_size="9px", y_offset=-2)
    shown.selection_glyph = shown.glyph.clone(line_color="#d62728", line_width=3.0)
    shown.nonselection_glyph = shown.glyph.clone()
    pointed = ColumnDataSource({"index": [], "center": [], "radius": []})
    plot.arc(x="center", y=0.0, radius="radius", start_angle=0.0, end_angle=half_turn, source=pointed,
             line_color="#ff7f0e", line_width=3.0)
    return pointed


def _legend_below(plot: figure) -> None:
    """The legend goes under the plot, where it hides no wall; a click on an entry hides its lines."""
    legend = plot.legend[0]
    # In rows of three, so that it is no wider than the plot.
    legend.orientation, legend.ncols, legend.click_policy = "horizontal", 3, "hide"
    plot.center.remove(legend)
    plot.add_layout(legend, "below")


def _mark(plot: figure, v: ExactRow, betas: Sequence[Beta], above: ExactPoint | None,
          reach: float) -> None:
    """β₋ (β₊), and for r ≠ 0 the vertical wall and the branches of the hyperbola through them; the point σ."""
    r, c, _ = v
    if r != 0:
        plot.vspan(x=[c / r], line_color="#666666", line_dash="dashed",
                   legend_label=f"vertical wall β = {Fraction(c, r)}")
        for name, _, value in betas:
            plot.line(*_hyperbola(v, value, reach), line_color="#666666", legend_label=f"hyperbola through {name}")
    for name, text, value in betas:
        # A ring: the smallest walls, which crowd at β₋, show through it.
        plot.scatter([value], [0.0], size=11, line_color="#d62728", line_width=2, fill_alpha=0.0,
                     legend_label=f"{name} = {text}")
    if above is not None:
        plot.scatter([float(above[0])], [float(above[1])], marker="x", size=11, line_width=2, color="#2ca02c",
                     legend_label=point_text(above))


def _table(source: ColumnDataSource, more: Sequence[TableColumn] = ()) -> DataTable:
    """The table of the walls: number, exact centre and radius², classes, and the columns `more` first."""
    from bokeh.models.widgets.tables import DataTable, HTMLTemplateFormatter, TableColumn

    def exact(field: str, text: str, title: str, width: int) -> TableColumn:
        # Sorted by the float, shown as the exact text.
        return TableColumn(field=field, title=title, width=width,
                           formatter=HTMLTemplateFormatter(template=f"<%- {text} %>"))

    # The widths leave room for the vertical scroll bar inside the table's width.
    columns = [TableColumn(field="order", title="#", width=40), *more, exact("center", "center_text", "centre", 90),
               exact("radius", "radius_squared_text", "radius²", 90),
               TableColumn(field="classes", title="classes" if not more else "classes (r, c, s)", width=200)]
    return DataTable(source=source, columns=columns, width=TABLE_WIDTH, height=PLOT_SIZE[1] - 40,
                     index_position=None, scroll_to_selection=True, name="walls-table")


def walls_page(v: ExactRow, found: Sequence[Wall], *, max_rank: int | None = None,
               surface: Surface | None = None, sides: Sequence[Side] = ("left",), above: ExactPoint | None = None,
               complete: bool = True, labels: bool = False) -> str:
    """The HTML page of the walls `found` of v on `sides`: plot, table and title (see :func:`plot_html`)."""
    try:
        import bokeh  # noqa: F401 (the page's parts import their pieces of it)
    except ImportError as missing:
        raise ImportError(INSTALL_HINT) from missing

    betas = [(name, str(beta), float(beta)) for name, beta in accumulation_points(v, sides)]
    title, subtitle = _heading(v, len(found), betas, max_rank, surface, above, complete)
    source = _wall_source(found)
    plot, pointed = _draw(v, found, betas, above, source, labels)
    return _page(title, subtitle, plot, pointed, source, _table(source))


def _page(title: str, subtitle: str, plot: figure, pointed: ColumnDataSource, source: ColumnDataSource,
          table: DataTable) -> str:
    """The page: the title over the plot, and beside it what the pointer shows over the table; the
    callbacks that tie the three together."""
    from bokeh.document import Document
    from bokeh.embed import file_html
    from bokeh.events import DocumentReady, MouseMove, Tap
    from bokeh.layouts import column, row
    from bokeh.models import CustomJS
    from bokeh.models.widgets.markups import Div
    from bokeh.resources import INLINE

    info = Div(text=HINT, width=TABLE_WIDTH, height=90, name="walls-info")
    shared = {"walls": source, "plot": plot, "info": info, "hint": HINT}
    plot.js_on_event(MouseMove, CustomJS(args=shared | {"pointed": pointed}, code=ON_HOVER))
    plot.js_on_event(Tap, CustomJS(args=shared, code=ON_TAP))
    source.selected.js_on_change("indices", CustomJS(args=shared, code=ON_SELECT))
    heading = Div(text=f"<h2 style='margin:0.2em 0'>{title}</h2><div style='font-size:115%'>{subtitle}</div>",
                  name="walls-title")
    document = Document()
    document.add_root(column(heading, row(plot, column(info, table))))
    document.js_on_event(DocumentReady, CustomJS(code=ON_READY))
    return file_html(document, INLINE, title)


def k3_page(found: K3Walls, labels: bool = False) -> str:
    """The HTML page of the walls of :func:`k3_walls`: coloured by kind, with the vertical wall, the
    Lagrangian point and the point of `above`; the table gives each wall's kind (see :func:`plot_html`)."""
    try:
        from bokeh.models import ColumnDataSource
        from bokeh.models.widgets.tables import TableColumn
    except ImportError as missing:
        raise ImportError(INSTALL_HINT) from missing

    def named(w: K3Wall) -> str:
        codimension = "" if w.codimension is None else f", codimension {w.codimension}"
        return f"{w.kind}{codimension}; divisor {w.divisor_text()}"

    drawn = [*found, *found.right_walls]  # right of the vertical wall too, when the chambers go on there
    source = ColumnDataSource({
        "order": list(range(1, len(drawn) + 1)), "kind": [w.kind for w in drawn],
        "colour": [COLOURS[w.kind] for w in drawn],
        "center": [float(w.center) for w in drawn], "radius": [sqrt(w.radius_squared) for w in drawn],
        "center_text": [fraction_text(w.center) for w in drawn],
        "radius_squared_text": [fraction_text(w.radius_squared) for w in drawn],
        "classes": ["; ".join(map(mukai_text, w.special_classes)) for w in drawn],
        "names": [named(w) for w in drawn], "label": [short_text(mukai_text(w.special_classes[0])) for w in drawn],
        "top": [sqrt(w.radius_squared) for w in drawn]}, name="walls")
    r, c, _ = found.v
    above = found.above
    view = _view(drawn, [c / r] + ([] if above is None else [float(above[0])]),
                 0.0 if above is None else float(above[1]))
    plot = _figure(view)
    pointed = _arcs(plot, source, labels, line_color="colour", line_width=1.5, legend_group="kind")
    plot.vspan(x=[c / r], line_color="#666666", line_dash="dashed",
               legend_label=f"vertical wall β = {Fraction(c, r)}: {found.vertical or 'no wall'}")
    for w in drawn:
        if w.kind == "lagrangian":
            plot.scatter([float(w.center)], [0.0], size=11, color=COLOURS["lagrangian"],
                         legend_label="lagrangian point")
    if above is not None:
        plot.scatter([float(above[0])], [float(above[1])], marker="x", size=11, line_width=2, color="#2ca02c",
                     legend_label=point_text(above))
    _legend_below(plot)
    n = len(found)
    cones = ", ".join(f"{which} cone {found.cone_text(which)}" for which in ("nef", "movable", "effective"))
    right = f" (and {len(found.right_walls)} right of the vertical wall)" if found.right_walls else ""
    subtitle = (f"{n} wall{'' if n == 1 else 's'}{right} · vertical wall: {found.vertical or 'none'} · {cones}"
                f" · divisors in the basis {found.basis_text()} of v^⊥")
    table = _table(source, [TableColumn(field="kind", title="kind", width=110)])
    return _page(f"Walls of {found.caption()}", subtitle, plot, pointed, source, table)


@overload
def plot_html(v: ChernCharacter | Walls | K3Walls, path: str | os.PathLike[str] | None = None, /, *,
              max_rank: SupportsIndex | None = None, surface: SurfaceOption = None,
              side: SideOption = "left", above: Point | None = None, labels: bool = False) -> str: ...
@overload
def plot_html(r: SupportsIndex, c: SupportsIndex, d: ExactD, path: str | os.PathLike[str] | None = None, *,
              max_rank: SupportsIndex | None = None, surface: SurfaceOption = None, side: SideOption = "left",
              above: Point | None = None, labels: bool = False) -> str: ...
def plot_html(r: ChernArgument | Walls | K3Walls, c: SupportsIndex | str | os.PathLike[str] | None = None,
              d: ExactD | None = None, path: str | os.PathLike[str] | None = None, *,
              max_rank: SupportsIndex | None = None, surface: SurfaceOption = None, side: SideOption = "left",
              above: Point | None = None, labels: bool = False) -> str:
    """An interactive page of the pseudo-walls of v = (r, c·ℓ, (d/2)·ℓ²), or of a result of
    :func:`walls` (``plot_html(found, path)``, drawn as it is): one HTML file that works offline.

    The page shows the walls of :func:`walls` as semicircles in the (β, α)
    half-plane, with β₋ marked (β₊ too when the right side is drawn) and, for
    r ≠ 0, the vertical wall β = c/r and the branch of the hyperbola through
    each; beside them a table of the walls with their exact centre, radius²
    and classes (click a heading to sort). The title gives v, β₋, the bound
    of the search and the surface. Pan by dragging, zoom with the wheel or a
    box, and go back with reset; pointing at a wall shows its exact values,
    clicking it selects its row. Every script and style is inside the file,
    so it opens without a network: about 2.3 MB, nearly all of it Bokeh's own
    JavaScript (its core, widgets and table), and about 0.9 MB more for
    10,000 walls, which Chromium draws
    in about a second.

    Parameters
    ----------
    r, c, d : int
        The Chern character, as for :func:`walls`; or a :class:`ChernCharacter`
        alone, then `path` second: ``plot_html(ideal_sheaf(2, surface="P2"), "two-points.html")``;
        or a :class:`Walls` result, followed by `path` alone.
    path : str or os.PathLike, optional
        Where to write the page (UTF-8); nothing is written when omitted.
        The page goes to a temporary file beside it, renamed into place
        once whole: a page that cannot be written leaves the old file as
        it was.
    max_rank, surface, above
        As for :func:`walls`; `above` is marked on the page.
    side : {"left", "right", "both"}
        The walls left or right of the vertical wall, or both, as for
        :func:`plot`.
    labels : bool
        Name each wall at its top by its first destabilising class, as
        :func:`plot` does.

    Returns
    -------
    str
        The page, a complete HTML document.

    Raises
    ------
    ImportError
        When Bokeh is not installed (``pip install 'varnolt[html]'``).
    OSError
        When `path` cannot be written (the file at `path`, if any, is
        left as it was).
    IrrationalBetaError, NoRealBetaError, ValueError, OverflowError, MemoryError
        The errors of :func:`walls`, for the same reasons.

    Examples
    --------
    >>> page = plot_html(1, 0, -16)
    >>> page.startswith("<!DOCTYPE html>"), "-25/6" in page and "49/36" in page  # the wall of O(-3)
    (True, True)
    >>> import os, tempfile
    >>> path = os.path.join(tempfile.mkdtemp(), "one-point.html")
    >>> _ = plot_html(1, 0, -2, path, max_rank=20)  # one point in the plane: β₋ = -√2
    >>> "16 walls from all candidates" in plot_html(1, 0, -16, surface="P2", side="both")  # 8 on each side
    True
    """
    if isinstance(c, str | os.PathLike):
        if not (isinstance(r, ChernCharacter | Walls | K3Walls) and d is None and path is None):
            raise TypeError(f"argument 'c': '{type(c).__name__}' object cannot be interpreted as an integer")
        c, path = None, c  # plot_html(v, path) or plot_html(found, path)
    if isinstance(r, K3Walls):
        if c is not None or d is not None or (max_rank, surface, side, above) != (None, None, "left", None):
            raise TypeError("K3 walls found are drawn as they are: give them alone, with a path and labels")
        page = k3_page(r, labels)
    else:
        result = searched_walls(r, c, d, {"max_rank": max_rank, "surface": surface, "side": side, "above": above})
        page = walls_page(result.v.row, list(result), max_rank=result.max_rank, surface=result.surface,
                          sides=result._description.sides, above=result.above, complete=result.complete,
                          labels=labels)
    if path is not None:
        data = page.encode("utf-8")
        write_whole(path, lambda file: file.write(data))  # the old page stays whole if this fails
    return page
