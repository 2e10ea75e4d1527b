"""Pictures of many walls: the title stays inside the figure, and every wall is readable on white."""

import pytest

import varnolt_walls as vw


def contrast_with_white(rgb):
    """The WCAG contrast ratio (L_white + 0.05)/(L + 0.05) of an sRGB colour against white."""
    linear = [x / 12.92 if x <= 0.04045 else ((x + 0.055) / 1.055) ** 2.4 for x in rgb]
    luminance = 0.2126 * linear[0] + 0.7152 * linear[1] + 0.0722 * linear[2]
    return 1.05 / (luminance + 0.05)


@pytest.mark.parametrize("v, options", [((1, 0, -100), {"surface": "P2"}), ((1, 0, -64), {}),
                                        ((1, 0, -100), {"surface": "P2", "side": "both", "labels": True}),
                                        ((1, 0, -400), {"surface": "P2", "above": ("-10", "1")})])
def test_a_picture_of_many_walls_keeps_its_title_inside_and_its_walls_readable(v, options):
    pytest.importorskip("matplotlib")
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as pyplot
    ax = vw.plot(*v, **options)
    figure = ax.figure
    try:
        figure.canvas.draw()
        title = ax.title.get_window_extent(figure.canvas.get_renderer())
        assert len(ax.patches) > 40 and title.height > 0
        assert figure.bbox.contains(title.x0, title.y0) and figure.bbox.contains(title.x1, title.y1)
        assert min(contrast_with_white(arc.get_edgecolor()[:3]) for arc in ax.patches) >= 3
    finally:
        pyplot.close(figure)
