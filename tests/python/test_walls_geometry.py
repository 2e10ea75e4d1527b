"""walls, beta_minus, QuadraticIrrational and plot of varnolt_walls."""

import random
import re
from decimal import Decimal, localcontext
from fractions import Fraction
from math import isqrt

import numpy
import pytest

import varnolt
from varnolt_walls import QuadraticIrrational, Wall, beta_minus, candidates, plot, walls

RATIONAL_BETA = [(2, 1, -4), (3, 1, -5), (5, 3, 1), (4, 2, -8), (0, 5, 3), (0, 7, -9), (1, 0, -16),
                 (1, 0, -36), (2, 0, -32), (3, -1, -5), (1, 0, -1)]


def wall_equation(v, u, beta, alpha_squared):
    """ch1^β(u)·ch2^{β,α}(v) − ch1^β(v)·ch2^{β,α}(u): zero exactly on the numerical wall of u."""
    def ch1(w):
        return w[1] - beta * w[0]

    def ch2(w):
        return Fraction(w[2], 2) - beta * w[1] + (beta * beta - alpha_squared) * w[0] / 2
    return ch1(u) * ch2(v) - ch1(v) * ch2(u)


@pytest.mark.parametrize("v", RATIONAL_BETA)
def test_walls_are_the_distinct_numerical_walls_of_the_candidates_largest_first(v):
    found = walls(*v)
    rows = list(map(tuple, candidates(*v).tolist()))
    # Every candidate on exactly one wall, each wall's candidates in search order.
    assert sorted(u for w in found for u in w.semistabilizers) == sorted(rows)
    for w in found:
        positions = [rows.index(u) for u in w.semistabilizers]
        assert positions == sorted(positions)
        # The wall equation is a polynomial of degree ≤ 3 in β once α² is taken
        # from the circle: vanishing at four points, it vanishes on all of it.
        for u in w.semistabilizers:
            for beta in (w.center - 1, w.center, w.center + Fraction(1, 3), w.center + 2):
                assert wall_equation(v, u, beta, w.radius_squared - (beta - w.center) ** 2) == 0
    keys = [(-w.radius_squared, w.center) for w in found]
    assert keys == sorted(set(keys))
    if v[0] == 0:
        assert {w.center for w in found} <= {Fraction(v[2], 2 * v[1])}


@pytest.mark.parametrize("n, k", [(2, 1)] + [(8, k) for k in range(1, 4)] + [(18, k) for k in range(1, 6)])
def test_ideal_sheaf_of_n_points_has_the_wall_of_o_minus_k_at_minus_n_over_k_minus_k_over_2(n, k):
    center = -(Fraction(n, k) + Fraction(k, 2))
    [wall] = [w for w in walls(1, 0, -2 * n) if (1, -k, k * k) in w.semistabilizers]
    assert (wall.center, wall.radius_squared) == (center, center**2 - 2 * n)


def test_two_points_in_the_plane_have_one_wall():
    assert walls(1, 0, -4) == [Wall(Fraction(-5, 2), Fraction(9, 4), ((1, -1, 1),))]


@pytest.mark.parametrize("v, beta", [
    ((1, 0, -16), Fraction(-4)), ((2, 1, -4), Fraction(-1)), ((0, 3, 4), Fraction(2, 3)),
    ((-1, 1, 3), Fraction(1)), ((3, 2, -1), QuadraticIrrational(2, 7, 3)),
    ((2**70, 3, -1), QuadraticIrrational(3, 9 + 2**70, 2**70))])
def test_beta_minus_is_exact(v, beta):
    assert beta_minus(*v) == beta and type(beta_minus(*v)) is type(beta)


@pytest.mark.parametrize("v", [(1, 0, 1), (0, 0, 5)])
def test_beta_minus_refuses_a_chern_character_without_a_real_one(v):
    with pytest.raises(ValueError):
        beta_minus(*v)


@pytest.mark.parametrize("v", [(rng.randint(-5, 5), rng.randint(-9, 9), rng.randint(-30, 30))
                               for rng in [random.Random(5)] for _ in range(200)])
def test_beta_minus_is_rational_exactly_when_the_search_can_proceed(v):
    try:
        beta = beta_minus(*v)
    except ValueError:
        beta = None
    rational = isinstance(beta, Fraction)
    if rational and v[0] != 0:
        assert v[0] * beta**2 - 2 * v[1] * beta + v[2] == 0
    try:
        varnolt.pseudo_semistabilizers(*v)
        without_rational_beta = False
    except RuntimeError as error:
        without_rational_beta = str(error) in ("β_ is not rational: ∞ walls", "β_ is not real: no walls")
    assert rational != without_rational_beta


def decimal_value(x):
    with localcontext(prec=120):
        return (Decimal(x.c) - Decimal(x.discriminant).sqrt()) / Decimal(x.r)


QUADRATIC = [QuadraticIrrational(rng.randint(-20, 20), delta, rng.choice([-7, -2, -1, 1, 3, 12]))
             for rng in [random.Random(3)] for _ in range(60)
             for delta in [rng.randint(2, 400)] if isqrt(delta) ** 2 != delta]
RATIONALS = [Fraction(-7, 3), Fraction(0), Fraction(5, 8), 2, -0.25]


@pytest.mark.parametrize("x", QUADRATIC)
def test_quadratic_irrational_orders_and_converts_like_a_high_precision_model(x):
    assert float(x) == float(decimal_value(x))
    with localcontext(prec=120):
        for y in QUADRATIC[:20]:
            assert (x < y, x == y, x > y) == (decimal_value(x) < decimal_value(y),
                                              decimal_value(x) == decimal_value(y),
                                              decimal_value(x) > decimal_value(y))
        for q in RATIONALS:
            exact = Fraction(q)
            model = Decimal(exact.numerator) / Decimal(exact.denominator)
            assert (x < q, x == q, x > q, q < x) == (decimal_value(x) < model, False,
                                                     decimal_value(x) > model, decimal_value(x) > model)
    scaled = QuadraticIrrational(3 * x.c, 9 * x.discriminant, 3 * x.r)
    assert scaled == x and hash(scaled) == hash(x) and str(scaled) == str(x)


@pytest.mark.parametrize("c, delta, r", [(1, 4, 1), (1, 0, 1), (1, -3, 1), (1, 2, 0)])
def test_quadratic_irrational_refuses_rational_or_non_real_values(c, delta, r):
    with pytest.raises(ValueError):
        QuadraticIrrational(c, delta, r)


@pytest.mark.parametrize("v", [(1, 0, -16), (0, 5, 3), (2, 1, -4), (1, 0, -1)])
def test_plot_draws_one_semicircle_per_wall(v):
    matplotlib = pytest.importorskip("matplotlib")
    matplotlib.use("Agg")
    from matplotlib.patches import Arc
    from matplotlib.pyplot import close

    ax = plot(*v, color="k")
    arcs = [p for p in ax.patches if isinstance(p, Arc)]
    drawn = [(a.center[0], a.width ** 2 / 4, a.theta1, a.theta2) for a in arcs]
    expected = [(float(w.center), float(w.radius_squared), 0, 180) for w in walls(*v)]
    assert len(drawn) == len(expected)
    for arc, wall in zip(drawn, expected):
        assert arc == pytest.approx(wall)
    assert len(ax.lines) == (1 if v[0] == 0 else 3)  # β₋, and the vertical wall and hyperbola
    close(ax.figure)


def test_plot_without_matplotlib_says_how_to_get_it(monkeypatch):
    monkeypatch.setitem(__import__("sys").modules, "matplotlib.pyplot", None)
    with pytest.raises(ImportError, match=r"pip install 'varnolt\[plot\]'"):
        plot(1, 0, -4)


def sympy_of_text(sympy, text):
    """The number a QuadraticIrrational's text denotes, read by SymPy: "(3 - 2√17)/3" as (3 - 2*sqrt(17))/3."""
    return sympy.sympify(re.sub(r"(\d*)√(\d+)", lambda m: f"{m[1] or 1}*sqrt({m[2]})", text))


@pytest.mark.parametrize("x", QUADRATIC[:30])
def test_quadratic_irrational_text_arithmetic_and_sympy_agree_with_sympy(x):
    sympy = pytest.importorskip("sympy")
    model = (sympy.Integer(x.c) - sympy.sqrt(x.discriminant)) / x.r
    assert sympy.expand(x.to_sympy() - model) == 0
    assert sympy.expand(sympy_of_text(sympy, str(x)) - model) == 0
    radicand = int(re.search(r"√(\d+)", str(x))[1])
    assert all(power == 1 for power in sympy.factorint(radicand).values())  # nothing square left under the root
    for q in [Fraction(-7, 3), Fraction(5, 8), 2, True]:
        rational = sympy.Rational(Fraction(q).numerator, Fraction(q).denominator)
        for result, expected in [(x + q, model + rational), (q + x, model + rational), (x - q, model - rational),
                                 (q - x, rational - model), (x * q, model * rational), (q * x, model * rational),
                                 (-x, -model)]:
            assert isinstance(result, QuadraticIrrational) and sympy.expand(result.to_sympy() - expected) == 0
    assert x * 0 == 0


def test_walls_show_in_a_notebook_as_a_table_of_the_first_ones():
    found = walls(1, 0, -100)
    page = found._repr_html_()
    rows = re.findall(r"<tr><td>(.*?)</td><td>(.*?)</td><td>(.*?)</td></tr>", page)  # the classes in ch
    assert len(found) > 20 and len(rows) == 20 and f"… and {len(found) - 20} more" in page
    for (center, radius_squared, classes), wall in zip(rows, found):
        assert (Fraction(center), Fraction(radius_squared)) == (wall.center, wall.radius_squared)
        assert classes.startswith(str(wall.classes[0]))
    assert f"<caption>{len(found)} walls" in page


@pytest.mark.parametrize("v, options, title", [
    ((1, 0, -20), {"max_rank": True}, ["18 pseudo-walls of ch = (1, 0, -10) on the ½ℤ lattice of ℓ² = 2, no surface given", "β₋ = -2√5, candidates of rank ≤ 1"]),
    ((1, 0, -16), {}, ["of ch = (1, 0, -8) on the ½ℤ lattice of ℓ² = 2, no surface given\nβ₋ = -4"]),
    ((3, 2, -1), {"max_rank": 4}, ["β₋ = (2 - √7)/3"]),
    ((2, 1, -4), {}, ["β₋ = -1"]),  # Δ = 9: the hyperbola's foot is a corner-free turn too
    ((1, 0, -16), {"side": "both"}, ["32 pseudo-walls", "β₋ = -4, β₊ = 4"]),
    ((1, 0, -16), {"side": "right"}, ["β₊ = 4"]),
])
def test_plot_legend_marker_hyperbola_and_title(v, options, title):
    matplotlib = pytest.importorskip("matplotlib")
    matplotlib.use("Agg")
    from matplotlib.pyplot import close, subplots
    from matplotlib.markers import MarkerStyle
    from matplotlib.text import Text

    figure, (ax, _) = subplots(1, 2)  # a panel among others, as often drawn
    plot(*v, **options, ax=ax)
    figure.canvas.draw()
    assert all(words in ax.get_title() for words in title)
    # No legend over a wall or the neighbouring panel: the names inside the axes.
    box = ax.get_window_extent()
    assert ax.get_legend() is None and ax.texts
    assert all(box.x0 <= t.x0 and t.x1 <= box.x1 and t.y1 <= box.y1 for t in map(Text.get_window_extent, ax.texts))
    # β₋ (and β₊) under the β axis, over no wall, its tip at the point.
    r, c, d = v
    markers = {line.get_label()[:2]: line for line in ax.lines if line.get_label()[:2] in ("β₋", "β₊")}
    assert sorted(markers) == sorted(name for name in ("β₋", "β₊") if any(name in words for words in title))
    for name, marker in markers.items():
        beta = beta_minus(*v) if name == "β₋" else -beta_minus(r, -c, d)
        assert marker.get_xydata().tolist() == [[float(beta), 0.0]] and not marker.get_clip_on()
        shape = MarkerStyle(marker.get_marker())
        assert shape.get_path().transformed(shape.get_transform()).vertices[:, 1].max() <= 0  # under the axis
    # The hyperbola α² = (β − c/r)² − Δ/r² from β₋ (β₊) on, without a corner: successive segments turn little.
    hyperbola = next(line for line in ax.lines if line.get_label() == "hyperbola")
    points = hyperbola.get_xydata()
    assert points[0][1] == 0 and float(points[0][0]) in [pytest.approx(float(m.get_xdata()[0])) for m in markers.values()]
    assert points[:, 1] ** 2 == pytest.approx((points[:, 0] - c / r) ** 2 - (c * c - r * d) / r**2, abs=1e-9)
    steps = numpy.diff(points, axis=0)
    angles = numpy.unwrap(numpy.arctan2(steps[:, 1], steps[:, 0]))
    assert numpy.abs(numpy.diff(angles)).max() < numpy.radians(5)
    close(figure)


def test_plot_of_many_walls_colours_them_by_radius_with_the_largest_on_top():
    matplotlib = pytest.importorskip("matplotlib")
    matplotlib.use("Agg")
    from matplotlib.pyplot import close

    ax = plot(1, 0, -64)  # 165 walls
    arcs = sorted(ax.patches, key=lambda arc: arc.width)
    assert len(arcs) == 165 and len(ax.figure.axes) == 2  # and a colour bar
    assert len({arc.get_edgecolor() for arc in arcs}) > 100
    for key in (lambda arc: arc.get_zorder(), lambda arc: arc.get_linewidth()):
        assert [key(arc) for arc in arcs] == sorted(key(arc) for arc in arcs)
    assert arcs[-1].get_zorder() > arcs[0].get_zorder() and arcs[-1].get_linewidth() > 3 * arcs[0].get_linewidth()
    close(ax.figure)
