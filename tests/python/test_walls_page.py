"""The interactive walls page, rendered by headless Chromium without a network: it draws, shows
the exact walls, and pointing at a wall shows that wall's exact values."""

import doctest
import io
import os
import re
import subprocess
import sys
from fractions import Fraction

import pytest

import varnolt_walls
from browser import AFTER_PAINT, CHROMIUM, WALLS_READY, WALLS_SCREEN, Browser

pytest.importorskip("bokeh")
Image = pytest.importorskip("PIL.Image")  # Bokeh's own dependency
pytestmark = pytest.mark.skipif(CHROMIUM is None and not os.environ.get("CI"),
                                reason="no chromium (scripts/test.sh and .ci/run install it)")

# All text on the page, also inside the shadow roots in which Bokeh draws.
TEXT = """(() => { const parts = []
    const walk = node => { if (node.shadowRoot) walk(node.shadowRoot)
        for (const child of node.childNodes) child.nodeType === 3 ? parts.push(child.textContent) : walk(child) }
    walk(document.body); return parts.join("\\n") })()"""
WALL_BLUE, POINTED_ORANGE = (0x1F, 0x77, 0xB4), (0xFF, 0x7F, 0x0E)


def pixels_near(png, colour):
    image = Image.open(io.BytesIO(png)).convert("RGB")
    return sum(n for n, pixel in image.getcolors(1 << 24) if max(abs(a - b) for a, b in zip(pixel, colour)) < 40)


@pytest.fixture(scope="module")
def browser():
    with Browser() as opened:
        yield opened


@pytest.mark.parametrize("command_line, v, max_rank, wall, title", [
    (True, (1, 0, -16), None, "-25/6", "β₋ = -4 · 16 walls from all candidates"),
    (False, (1, 0, -2), 20, "-17/12", "β₋ = -√2 ≈ -1.414213562 · 2 walls from candidates of rank ≤ 20"),
    (False, (1, 0, -784), None, None, "β₋ = -28 · 9753 walls from all candidates"),
])
def test_page_draws_the_walls_and_points_at_one(tmp_path, browser, command_line, v, max_rank, wall, title):
    found, page = varnolt_walls.walls(*v, max_rank=max_rank), tmp_path / "walls.html"
    if command_line:
        subprocess.run([sys.executable, "-m", "varnolt_walls", *map(str, v), "--count", "--plot", str(page)],
                       check=True, capture_output=True, timeout=300)
    else:
        varnolt_walls.plot_html(*v, page, max_rank=max_rank)
    browser.open(page.as_uri())
    browser.evaluate(WALLS_READY)
    text = browser.evaluate(TEXT)
    assert f"Pseudo-walls of ch = ({v[0]}, {v[1]}, {Fraction(v[2]) / 2}) on the ½ℤ lattice" in text and title in text
    assert all(f"\n{w.center}\n{w.radius_squared}\n" in text for w in found[:15])  # the table's first rows
    assert pixels_near(browser.screenshot(), WALL_BLUE) > 200  # a blank plot has the legend's sample line alone

    # Point at the top of a wall: the panel shows the exact values of the wall it names (that
    # one when several lie within a pixel), and that wall turns orange.
    target = next((w for w in found if str(w.center) == wall), found[len(found) // 20])
    top = [float(target.center), float(target.radius_squared) ** 0.5]
    browser.move_mouse(*browser.evaluate(f"{WALLS_SCREEN}({top})"))
    browser.evaluate(AFTER_PAINT)
    shown = re.search(r"pointed wall (\d+)\ncentre (.*)\nradius² (.*)\nclasses (.*)", browser.evaluate(TEXT))
    pointed = found[int(shown[1]) - 1]
    assert shown.groups()[1:] == (str(pointed.center), str(pointed.radius_squared),
                                  "; ".join(map(str, pointed.classes)))
    assert wall is None or pointed == target
    assert pixels_near(browser.screenshot(), POINTED_ORANGE) > 50
    assert browser.remote == []


def test_page_fits_a_window_1280_pixels_wide(tmp_path):
    page = tmp_path / "walls.html"
    varnolt_walls.plot_html(1, 0, -16, page, side="both")
    with Browser(width=1280) as narrow:
        narrow.open(page.as_uri())
        narrow.evaluate(WALLS_READY)
        assert narrow.evaluate("document.documentElement.scrollWidth") <= 1280  # the table's last column too


def test_docstring_examples_run():
    from varnolt_walls.pictures import _plot_html

    results = doctest.testmod(_plot_html)
    assert results.failed == 0 and results.attempted > 0
