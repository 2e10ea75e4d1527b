"""Benchmark of the interactive walls page (varnolt_walls.plot_html), run by hand after installing
varnolt with bokeh, on a machine with Debian's chromium:

    .venv/bin/python benchmarks/walls_page.py [--runs N] [--screenshot FILE.png]

For the first 10 and the first 10,000 of the 12,203 walls of (1, 0, -900), it
prints the page's size, the time Python takes to write it, and the time
headless Chromium takes from the start of navigation until every view is drawn
(the page's own ready event; best of --runs loads). --screenshot also saves the
guide's picture (docs/guide/interactive-page.md): one point on P², ch = (1, 0, -1), up to rank 20, zoomed near
β₋ with the pointer on the smaller wall.
"""

import argparse
import sys
import tempfile
import time
from pathlib import Path

import varnolt_walls
from varnolt_walls.pictures._plot_html import walls_page

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "python"))
from browser import AFTER_PAINT, WALLS_PLOT, WALLS_READY, WALLS_SCREEN, Browser  # noqa: E402  (the tests' Chromium)

def measure(browser, page_path, runs):
    """Seconds to draw the page: at the first load, and the best of `runs` loads."""
    times = []
    for _ in range(runs):
        browser.open(page_path.as_uri())
        times.append(browser.evaluate(WALLS_READY) / 1000)
    return times[0], min(times)


def benchmark(runs):
    found = varnolt_walls.walls(1, 0, -900)
    walls_page((1, 0, -900), found[:1])  # imports Bokeh
    print("| walls | file | written in | drawn, first load | drawn, best |\n|---:|---:|---:|---:|---:|")
    with Browser() as browser, tempfile.TemporaryDirectory() as folder:
        for n in (10, 10_000):
            start = time.perf_counter()
            page = walls_page((1, 0, -900), found[:n])
            written = time.perf_counter() - start
            path = Path(folder) / f"walls-{n}.html"
            path.write_text(page, encoding="utf-8")
            first, best = measure(browser, path, runs)
            print(f"| {n:,} | {path.stat().st_size / 1e6:.2f} MB | {written:.2f} s | {first:.2f} s | {best:.2f} s |")


def screenshot(target):
    from PIL import Image

    with Browser(width=1450, height=760) as browser, tempfile.TemporaryDirectory() as folder:
        path = Path(folder) / "one-point.html"
        varnolt_walls.plot_html(1, 0, -2, path, max_rank=20, surface="P2")
        browser.open(path.as_uri())
        browser.evaluate(WALLS_READY)
        # Zoom as the box-zoom tool would, keeping one unit equally long on both axes.
        browser.evaluate(f"""(() => {{ const plot = {WALLS_PLOT}; const left = -1.85, right = -1.0
            const height = (right - left) * plot.inner_height / plot.inner_width
            plot.x_range.setv({{start: left, end: right}})
            plot.y_range.setv({{start: -0.02 * height, end: 0.98 * height}})
            }})()""")
        browser.move_mouse(*browser.evaluate(f"{WALLS_SCREEN}([-17 / 12, 1 / 12])"))
        browser.evaluate(AFTER_PAINT)
        png = Path(folder) / "shot.png"
        png.write_bytes(browser.screenshot())
        image = Image.open(png).convert("RGB").quantize(colors=128)
        image.save(target, optimize=True)
    print(f"{target}: {Path(target).stat().st_size / 1e3:.0f} kB")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--screenshot", metavar="FILE.png")
    args = parser.parse_args()
    benchmark(args.runs)
    if args.screenshot:
        screenshot(args.screenshot)


if __name__ == "__main__":
    main()
