"""K3 results behave as those of `walls`: exact texts of any size, JSON read back and checked, pictures,
the command line, and the tilt pseudo-walls of the same class beside them."""

import csv
import io
import os
import re
import json
from decimal import Decimal
from fractions import Fraction as F

import pytest
from k3_model import numerical_wall

from varnolt_walls import K3Walls, from_mukai, k3_walls, plot, plot_html, plot_k3, walls
from varnolt_walls._digits import decimal_int, decimal_text, text_fraction
from varnolt_walls.cli import main
from varnolt_walls.k3._cones import divisor_text
from varnolt_walls.pictures._k3_plot import pseudo_walls

matplotlib = pytest.importorskip("matplotlib")
matplotlib.use("Agg")
import matplotlib.pyplot  # noqa: E402 (after the backend is chosen)

# Hilb⁴ on degree 2·40000003: the classes of its walls have over 11 000 digits.
HUGE = (1, 0, -3), 2 * 40000003


@pytest.fixture(autouse=True)
def figures_closed():
    yield
    matplotlib.pyplot.close("all")


@pytest.fixture(scope="module")
def huge():
    return k3_walls(*HUGE[0], degree=HUGE[1])


def exact(n):
    """The decimal module writes an int of any size: a model of its digits independent of the package."""
    return str(Decimal(n))


@pytest.mark.parametrize("n", [0, -5, 10**512 - 1, 10**512, -(10**100000), 10**100000 - 1, 7**120000],
                         ids=["0", "-5", "10^512-1", "10^512", "-10^100000", "10^100000-1", "7^120000"])
def test_decimal_text_round_trips_any_size(n):
    text = decimal_text(n)
    assert text == exact(n) and decimal_int(text) == n and text_fraction(f"{text}/3") == F(n, 3)


@pytest.mark.parametrize("text", ["", "-", "1.5", "12a", "١٢", "1_0", "--1", "1/0", "1/-2", "1/"])
def test_bad_decimal_texts_are_value_errors(text):
    with pytest.raises(ValueError, match="not a"):
        text_fraction(text)


def csv_text(capfd, *arguments):
    assert main(["k3", *arguments, "--format", "csv"]) == 0
    return capfd.readouterr().out


@pytest.mark.parametrize("display", ["str", "repr", "latex", "html", "json", "csv"])
def test_every_display_of_a_huge_result(huge, display, capfd):
    last = huge[-1]
    shown = {"str": str, "repr": repr, "latex": K3Walls._repr_latex_, "html": K3Walls._repr_html_,
             "json": K3Walls.to_json,
             "csv": lambda found: csv_text(capfd, *map(str, HUGE[0]), "--degree", str(HUGE[1]))}[display](huge)
    ray = huge.movable_cone[1]  # for Hilbⁿ written H̃ − μ·B, μ = b/a for the ray (b, −a, …)
    big = F(ray[0], -ray[1]).numerator if display == "latex" else last.special_classes[0][0]
    assert len(exact(big)) > 4300 and exact(big) in shown


@pytest.mark.parametrize("v, degree, above", [((1, 0, -2), 2, None), ((1, 0, -7), 2, (-3, 1)), ((2, 1, -1), 2, None),
                                              (*HUGE, None)])
def test_json_round_trips(v, degree, above):
    found = k3_walls(*v, degree=degree, above=above)
    text = found.to_json()
    again = K3Walls.from_json(text)
    assert again == found and again.to_json() == text and len(again) > 0


def edited(change):
    document = json.loads(k3_walls(1, 0, -1, degree=2).to_json())
    return change(document) or json.dumps(document)


@pytest.mark.parametrize("change, message", [
    (lambda d: "{", "not a document of K3 walls: JSONDecodeError"),
    (lambda d: "[1]", "a JSON object is needed, not list"),
    (lambda d: d.pop("degree") and None, "degree missing"),
    (lambda d: d.update(mukai_vector=[1, 0]), r"mukai_vector is three integers \[r, c, s\], not \[1, 0\]"),
    (lambda d: d.update(degree=3), "degree 3 cannot be found again: degree must be even"),
    (lambda d: d.update(above=[1, 2]), "above is null or two texts"),
    (lambda d: d.update(dimension=5), "dimension is 5 where the walls of v have 4"),
    (lambda d: d["walls"][0].update(kind="brill-noether"), 'walls\\[0\\].kind is "brill-noether" where .* "flop"'),
    (lambda d: d["walls"][0].update(center="-6/4"), 'walls\\[0\\].center is "-6/4" where .* "-3/2"'),
    (lambda d: d["walls"][0].update(codimension=True), r"walls\[0\].codimension is true where .* 2"),
    (lambda d: d["walls"].pop() and None, "walls has 1 entry where the walls of v have 2"),
    (lambda d: d.update(chambers=[]), "chambers has 0 entries where the walls of v have 2"),
    (lambda d: d.update(pairs=[]), "pairs is not a field of the document"),
])
def test_bad_documents_say_what_is_wrong(change, message):
    with pytest.raises(ValueError, match=message):
        K3Walls.from_json(edited(change))


@pytest.mark.parametrize("v, degree, above, name", [
    ((1, 0, -4), 2, None, "Hilb⁵ of a K3 surface of degree 2, v = (1, 0, -4)"),
    ((1, 0, -7), 2, (-3, 1), "Hilb⁸ of a K3 surface of degree 2, v = (1, 0, -7) over σ(-3, 1)"),
    ((2, 1, -1), 2, None, "M_H(v) of a K3 surface of degree 2, v = (2, 1, -1)"),
    ((3, 1, -1), 2, None, "M_H(v) of a K3 surface of degree 2, v = (3, 1, -1)"),  # walls right of the vertical one
])
def test_pictures_of_k3_results_name_their_moduli_space(tmp_path, v, degree, above, name):
    found = k3_walls(*v, degree=degree, above=above)
    ax = plot(found, labels=True)
    assert name in ax.get_title() and name in str(found) and name in found._repr_html_()
    drawn = (*found, *found.right_walls)
    assert len(ax.patches) == sum(w.kind != "lagrangian" for w in drawn)
    assert {t.get_text() for t in ax.texts} >= {str(w.special_classes[0]) for w in found}
    pytest.importorskip("bokeh")
    page = plot_html(found, tmp_path / "k3.html")
    assert name in page and all(str(w.center) in page for w in drawn)
    assert (tmp_path / "k3.html").read_text(encoding="utf-8") == page


@pytest.mark.parametrize("suffix, start", [(".png", b"\x89PNG"), (".pdf", b"%PDF"), (".svg", b"<?xml"),
                                           (".html", b"<!DOCTYPE html>"), (".gif", None)])
def test_k3_plot_takes_every_format_of_the_other_commands(tmp_path, suffix, start, capfd):
    if suffix == ".html":
        pytest.importorskip("bokeh")
    path = tmp_path / f"hilb2{suffix}"
    assert main(["k3", "1", "0", "-1", "--degree", "2", "--plot", str(path)]) == (2 if start is None else 0)
    refused = "must end in .png, .svg, .pdf or .html"
    assert path.read_bytes().startswith(start) if start else refused in capfd.readouterr().err


@pytest.mark.parametrize("v", [(1, 0, -4), (3, 1, -1)])  # (3, 1, -1): walls right of the vertical flop too
def test_k3_csv_has_a_row_per_special_class(capfd, v):
    rows = list(csv.reader(io.StringIO(csv_text(capfd, *map(str, v), "--degree", "2"))))
    found = k3_walls(*v, degree=2)
    assert rows == [["kind", "center", "radius_squared", "codimension", "r", "c", "s"]] + [
        [w.kind, str(w.center), str(w.radius_squared), str(w.codimension or ""), *map(str, a)]
        for w in (*found, *found.right_walls) for a in w.special_classes]


def tilt_wall_condition(v, u, n, beta, alpha_squared):
    """Whether Z(u), Z(v) of tilt stability σ(β, α') are ℝ-collinear (the wall condition divided by α'), from
    ch = (r, c·H, ch₂ = s − r points): Z = −ch₂^β + n·r·α'²/2 + i·n·α'·(c − r·β)."""
    def z(w):
        r, c, s = w
        return -(s - r - n * beta * c + n * r * beta**2 / 2) + n * r * alpha_squared / 2, n * (c - r * beta)
    (re_u, im_u), (re_v, im_v) = z(u), z(v)
    return re_u * im_v == re_v * im_u


@pytest.mark.parametrize("v, degree", [((1, 0, -7), 4), ((2, 1, -1), 2), ((3, 1, -6), 4), ((1, 0, -2), 6)])
def test_k3_walls_are_the_tilt_walls_moved_up_by_2_over_n(v, degree):
    seen = 0
    for u in ((r, c, s) for r in range(-3, 4) for c in range(-4, 5) for s in range(-12, 13)):
        wall = numerical_wall(v, u, degree)
        if wall is not None:
            x, rho2 = wall
            seen += 1
            # Three points of the semicircle of centre x and radius² ρ² − 2/n in (β, α'²): one circle.
            assert all(tilt_wall_condition(v, u, degree, x + t, rho2 - F(2, degree) - t * t)
                       for t in (F(0), F(1, 3), F(-2, 7)))
    assert seen > 50


@pytest.mark.parametrize("v, degree, above, max_rank", [((1, 0, -7), 4, None, None), ((1, 0, -7), 4, ("-5/2", "1/2"), None),
                                                        ((1, 0, -4), 2, None, 6), ((1, 0, -4), 2, ("-9/4", "1/5"), 6)])
def test_plot_k3_draws_the_tilt_pseudo_walls_of_its_stretch(v, degree, above, max_rank):
    found, shift = k3_walls(*v, degree=degree, above=above), F(2, degree)
    tilt = [(w.center, w.radius_squared + shift) for w in walls(from_mukai(*v, degree=degree), max_rank=max_rank)]
    if above is None:
        expected = [w for w in tilt if w[0] <= found[-1].center]
    else:  # those whose K3 semicircle passes strictly over the point, as the K3 walls listed do
        beta, alpha = map(F, above)
        expected = [(x, rho2) for x, rho2 in tilt if (beta - x) ** 2 + alpha**2 < rho2]
    drawn = pseudo_walls(found, max_rank)
    assert drawn == expected and len(drawn) > 0
    # The actual walls where tilt stability is defined (α² > 2/n) are among its pseudo-walls.
    assert {(w.center, w.radius_squared) for w in found if w.radius_squared > shift} <= set(drawn)
    ax = plot_k3(found, pseudo=True, max_rank=max_rank)
    assert len(ax.patches) == len(drawn) + sum(w.kind != "lagrangian" for w in found)
    assert found.caption() in ax.get_title() and f"{len(drawn)} tilt pseudo-wall" in ax.get_title()


def test_k3_page_shows_the_wall_pointed_at_exactly(tmp_path):
    pytest.importorskip("bokeh")
    from browser import AFTER_PAINT, CHROMIUM, WALLS_READY, WALLS_SCREEN, Browser
    from test_walls_page import TEXT

    if CHROMIUM is None and not os.environ.get("CI"):
        pytest.skip("no chromium (scripts/test.sh and .ci/run install it)")
    found, page = k3_walls(1, 0, -7, degree=4), tmp_path / "k3.html"
    plot_html(found, page)
    top = [float(found[1].center), float(found[1].radius_squared) ** 0.5]
    with Browser() as browser:
        browser.open(page.as_uri())
        browser.evaluate(WALLS_READY)
        browser.move_mouse(*browser.evaluate(f"{WALLS_SCREEN}({top})"))
        browser.evaluate(AFTER_PAINT)
        text = browser.evaluate(TEXT)
    assert "pointed wall 2\ncentre -9/4\nradius² 25/16\nclasses (1, -1, 2); (0, 1, -9)\nflop, codimension 4" in text


def basis_ray(text, h, b):
    """The vector of a text "h − 3/2·b", "−h + b", "b", … in the basis (h, b), parsed independently of the package."""
    x, y = F(0), F(0)
    for sign, term in re.findall(r"(^|[+−] ?)([^+−]+)", text.replace(" − ", " −").replace(" + ", " +")):
        size, _, name = term.strip().rpartition("·")
        coefficient = (-1 if "−" in sign else 1) * F(size or 1)
        x, y = (x + coefficient, y) if name in ("h", "H̃") else (x, y + coefficient)
    return tuple(x * p + y * q for p, q in zip(h, b))


@pytest.mark.parametrize("v, degree, names", [((3, 1, -1), 2, "hb"), ((2, 1, -3), 2, "hb"), ((1, 0, -4), 2, "H̃B")])
def test_divisors_are_written_in_the_basis_of_v_perp(v, degree, names):
    found = k3_walls(*v, degree=degree)
    h, b = (0, -v[0], -v[1] * degree), (-v[0], 0, v[2])
    for w in [w.divisor for w in (*found, *found.right_walls)] + [*found.effective_cone, *found.nef_cone]:
        text = divisor_text(v, w)
        u = basis_ray(text, h, b)  # the text spans the same ray, on the same side
        assert set(text) - set(" −+·/0123456789") <= set(names)
        assert all(u[i] * w[j] == u[j] * w[i] for i in range(3) for j in range(3)) and sum(x * y for x, y in zip(u, w)) > 0
    assert ("divisors in the basis h = " in str(found)) == (names == "hb")


def test_plot_k3_draws_the_cones_beside_the_walls(tmp_path, capfd):
    found = k3_walls(3, 1, -1, degree=2)
    ax = plot_k3(found, cones=True)  # 2 walls left of the vertical wall, 2 arcs and a Lagrangian point right of it
    (walls_ax, cones_ax), path = ax.figure.axes, tmp_path / "both.pdf"
    assert walls_ax is ax and len(ax.patches) == 4 and cones_ax.get_xlabel() == "h = (0, −r, −c·degree)"
    assert len(cones_ax.patches) == 3 and found.caption() in cones_ax.get_title()
    assert main(["k3", "3", "1", "-1", "--degree", "2", "--plot", str(path), "--cones"]) == 0
    assert path.read_bytes().startswith(b"%PDF")
    assert main(["k3", "3", "1", "-1", "--degree", "2", "--cones"]) == 2 and "--cones draws" in capfd.readouterr().err
