"""Pictures of many walls: the title stays inside the figure, and every wall is readable on white."""

import pytest

import varnolt_walls as vw


@pytest.mark.parametrize("v, options", [((1, 0, -100), {"surface": "P2"}), ((1, 0, -64), {}),
                                        ((1, 0, -100), {"surface": "P2", "side": "both", "labels": True}),
                                        ((1, 0, -400), {"surface": "P2", "above": ("-10", "1")})])
def test_a_picture_of_many_walls_keeps_its_title_inside_and_its_walls_readable(v, options):
    pyplot = pytest.importorskip("matplotlib.pyplot")
    pyplot.switch_backend("Agg")
    ax = vw.plot(*v, **options)
    ax.figure.canvas.draw()
    title, figure = ax.title.get_window_extent(ax.figure.canvas.get_renderer()), ax.figure.bbox
    pyplot.close(ax.figure)
    assert len(ax.patches) > 40 and figure.x0 <= title.x0 < title.x1 <= figure.x1
    assert figure.y0 <= title.y0 < title.y1 <= figure.y1
    for rgb in (arc.get_edgecolor()[:3] for arc in ax.patches):  # WCAG contrast with white at least 3:1
        linear = [x / 12.92 if x <= 0.04045 else ((x + 0.055) / 1.055) ** 2.4 for x in rgb]
        assert 1.05 / (0.2126 * linear[0] + 0.7152 * linear[1] + 0.0722 * linear[2] + 0.05) >= 3
