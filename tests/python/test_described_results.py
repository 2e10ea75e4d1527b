"""Results that describe their search: JSON round trips, the classes of a wall by name (worked
out by hand), side="both" as the two one-sided searches, and plot(walls) as plot(r, c, d)."""

import json
import pickle
import subprocess
import sys
from fractions import Fraction

import pytest

import varnolt_walls as vw
from varnolt_walls import Surface

QUARTIC = Surface(degree=4)
ATTRIBUTES = ("v", "surface", "side", "max_rank", "above", "complete")

ROUND_TRIPS = [  # v, options, the same search on the command line
    ((1, 0, -4), {"surface": "P2"}, "--surface P2"),
    ((2, 1, "-3/2"), {"surface": QUARTIC}, "--degree 4"),  # d and a class's d fractional
    ((1, 0, -2), {"above": ("-3/2", "1/10")}, "--above=-3/2,1/10"),
    ((1, 0, -16), {"max_rank": 1}, "--max-rank 1"),  # cut by the bound
    ((1, 0, -16), {"surface": "P2", "side": "right"}, "--surface P2 --side right"),
    ((2, -1, -12), {"side": "both"}, "--side both"),
    ((1, 0, -1), {}, ""),  # no wall
]


@pytest.mark.parametrize(("v", "options", "arguments"), ROUND_TRIPS)
def test_json_round_trip_is_exact_and_the_command_line_writes_the_same(v, options, arguments):
    found = vw.walls(*v, **options)
    back = vw.Walls.from_json(found.to_json())
    assert back == found and [w.side for w in back] == [w.side for w in found]
    assert [getattr(back, name) for name in ATTRIBUTES] == [getattr(found, name) for name in ATTRIBUTES]
    assert back.to_json() == found.to_json() and json.loads(found.to_json())["wall_count"] == len(found)
    without_count = {key: value for key, value in json.loads(found.to_json()).items() if key != "wall_count"}
    assert vw.Walls.from_json(json.dumps(without_count)) == found
    run = subprocess.run([sys.executable, "-m", "varnolt_walls", *map(str, v), *arguments.split(), "--format", "json"],
                         capture_output=True, text=True, check=True)
    assert json.loads(run.stdout) == json.loads(found.to_json())


BAD_DOCUMENTS = [  # a text, or a change to the document of the 8 walls of eight points on P²; what the error says
    ("{}", "no 'walls'"), ('{"count": 3}', "no 'walls' but 'count'"), ("[]", "a JSON list, not an object"),
    ("{", "not JSON"), ("[" * 10**5 + "]" * 10**5, "nests too deeply"),
    (lambda d: d["walls"].__delitem__(slice(3, None)), "says it holds 8 walls, but it holds 3"),
    (lambda d: d.pop("wall_count") and d["walls"].pop(), "it holds 7 walls, where the search gives 8"),
    (lambda d: d.update(walls=[], wall_count=0), "it holds 0 walls, where the search gives 8"),
    (lambda d: d["walls"].reverse(), "walls of the search in another order"),
    (lambda d: d.update(surface="ℓ² = 4"), 'surface is "ℓ² = 4", where the search gives "P2"'),
    (lambda d: d.update(d_scale=3), "d_scale is 3, where the search gives 1"),
    (lambda d: d.update(beta_minus=None), "beta_minus is null"), (lambda d: d.update(complete=False), "complete is false"),
    (lambda d: d["walls"][1]["classes"][0].update(name="O(7)"), r'walls\[1\].classes\[0\].name is "O\(7\)"'),
    (lambda d: d["walls"][0]["classes"][0].update(ch=[1, 0, 0]), r"walls\[0\].classes\[0\].ch\[1\] is 0"),
    (lambda d: d["walls"][0].update(center="1/0"), r'walls\[0\].center is "1/0", where the search gives "-17/2"'),
    (lambda d: d["walls"][0].update(semistabilizers=[]), r"walls\[0\].semistabilizers is \[\]"),
    (lambda d: d["walls"][0]["semistabilizers"][0].__setitem__(0, 2**70), "is 1180591620717411303424, where"),
    (lambda d: d["walls"][0].update(center=[[[[[1]]]]]), "nests deeper than 6 levels"),
    (lambda d: d.update(chern_character=[2**70, 0, -16]), "names no search: .*1180591620717411303424"),
    (lambda d: d.update(chern_character=[1.0, 0, -16]), "r and c are integers"),
    (lambda d: d.update(above=["-3", "0"]), "search is refused: alpha must be > 0"),
    (lambda d: d.update(max_rank=True), "'max_rank' is True"), (lambda d: d.pop("side"), "lacks 'side'"),
    (lambda d: d.update(wall_count="8"), "'wall_count' is '8', not a count"),
    (lambda d: d.update(extra=1), "a field extra that a document of walls does not have"),
]


@pytest.mark.parametrize("bad, message", BAD_DOCUMENTS)
def test_a_document_that_is_not_the_walls_of_its_search_is_a_value_error_that_says_why(bad, message):
    if callable(bad):
        document = json.loads(vw.walls(1, 0, -16, surface="P2").to_json())
        bad(document)
        bad = json.dumps(document)
    with pytest.raises(ValueError, match=message):
        vw.Walls.from_json(bad)


# Worked out by hand: ch(u) = (r, c, d/2); the quotient is v − u; O(k) = (1, k, k²/2), and a rank
# one class (1, k, ch2) is I_Z(k) with |Z| = n·(k²/2 − ch2), its negative the shift [1]; on P² a class
# (0, 1, ch2) is O_L(k) = O(k)/O(k − 1) with ch2 = k − 1/2.
NAMES = [  # v, options, center of the wall, (name, quotient, quotient's name) of each class
    ((1, 0, -4), {"surface": "P2"}, Fraction(-5, 2), [("O(-1)", (0, 1, Fraction(-5, 2)), "O_L(-2)")]),
    ((1, 0, -16), {"surface": "P2"}, Fraction(-15, 2), [("I_Z(-1), |Z| = 1", (0, 1, Fraction(-15, 2)), "O_L(-7)")]),
    ((1, 0, -4), {"side": "right"}, Fraction(5, 2), [(None, (-1, -1, Fraction(-1, 2)), "O(1)[1]")]),
    ((1, 0, -4), {"surface": QUARTIC}, Fraction(-25, 12), [(None, (-1, 3, Fraction(-17, 4)), "I_Z(-3)[1], |Z| = 1")]),
    ((1, 0, -16), {}, Fraction(-25, 6), [("O(-3)", (0, 3, Fraction(-25, 2)), None),
                                         (None, (-1, 6, -17), None)]),
]


@pytest.mark.parametrize(("v", "options", "center", "expected"), NAMES)
def test_a_wall_names_its_classes_and_their_quotients(v, options, center, expected):
    [wall] = [w for w in vw.walls(*v, **options) if w.center == center]
    found = [(u.name, (u.quotient.rank, u.quotient.c1, u.quotient.ch2), u.quotient_name) for u in wall.classes]
    assert found == expected
    assert all(u.sub + u.quotient in (wall.v, -wall.v) for u in wall.classes)
    assert {u.name for u in vw.candidates(*v, **options).chern_characters()} >= {u.u.name for u in wall.classes}
    assert str(wall).endswith(str(wall.classes[-1])) and (expected[0][0] or "ch = (") in str(wall)


def nu(x, beta, alpha_squared):
    """ν_{β,α} = (ch₂ − β·c₁ + β²·r/2 − α²·r/2) / (c₁ − β·r) of x = (r, c₁, ch₂)."""
    r, c, s = x
    return (s - beta * c + beta * beta * r / 2 - alpha_squared * r / 2) / (c - beta * r)


HEARTS = [  # v, options: sheaves on both sides, shifted classes, rank 0, a finer lattice
    ((1, 0, -4), {"surface": "P2", "side": "both"}), ((1, 0, -16), {"surface": "P2", "side": "both"}),
    ((-1, 0, 4), {"surface": "P2", "side": "both"}), ((2, -1, -12), {"side": "both"}),
    ((-3, -1, 5), {"side": "both", "max_rank": 6}), ((0, 2, -3), {"side": "right"}), ((0, -3, 4), {}),
    ((1, 0, -4), {"surface": QUARTIC, "side": "right"}),
]


@pytest.mark.parametrize(("v", "options"), HEARTS)
def test_a_class_is_the_sub_or_the_quotient_that_the_heart_and_nu_make_it(v, options):
    # At the top (β, ρ) of a wall the object A of Coh^β is the one of ±v with ch₁^β = c − β·r > 0;
    # u and A − u are both in Coh^β there, and A is destabilized below the wall: its sub has the
    # smaller ν above the wall and the larger below it.
    r, c, d = v
    whole = (Fraction(r), Fraction(c), Fraction(d) / 2)
    for wall in vw.walls(*v, **options):
        beta = wall.center
        [sign] = [s for s in (1, -1) if s * (whole[1] - beta * whole[0]) > 0]
        a = tuple(sign * x for x in whole)
        of = "v" if sign == 1 else "v[1]" if r > 0 or (r == 0 and c > 0) else "v[-1]"
        for (ur, uc, ud), found in zip(wall.semistabilizers, wall.classes):
            u = (Fraction(ur), Fraction(uc), Fraction(ud) / 2)
            pair = [u, tuple(x - y for x, y in zip(a, u))]
            assert all(x[1] - beta * x[0] > 0 for x in pair)
            sub, quotient = sorted(pair, key=lambda x: nu(x, beta, wall.radius_squared + 1))
            assert nu(sub, beta, wall.radius_squared / 2) > nu(quotient, beta, wall.radius_squared / 2)
            shown = [(x.rank, x.c1, x.ch2) for x in (found.sub, found.quotient, found.u)]
            assert (shown, found.of) == ([sub, quotient, u], of)


BOTH = [(1, 0, -16, None), (2, -1, -12, None), (3, 1, -5, 6), (0, 3, 4, None), (1, 0, -2, 20)]


@pytest.mark.parametrize(("r", "c", "d", "max_rank"), BOTH)
def test_both_sides_are_the_left_then_the_right_search(r, c, d, max_rank):
    sides = ("left", "right") if r > 0 else ("left",)  # rank 0: one family, on both sides
    found = vw.walls(r, c, d, max_rank=max_rank, side="both")
    one_sided = [vw.walls(r, c, d, max_rank=max_rank, side=side) for side in sides]
    assert found == [w for part in one_sided for w in part]
    assert [w.side for w in found] == [side for side, part in zip(sides, one_sided) for _ in part]
    assert found.complete == all(part.complete for part in one_sided)
    rows = vw.candidates(r, c, d, max_rank=max_rank, side="both")
    parts = [vw.candidates(r, c, d, max_rank=max_rank, side=side) for side in sides]
    assert rows.tolist() == [u for part in parts for u in part.tolist()]
    assert rows.side_rows == tuple((side, len(part)) for side, part in zip(sides, parts))
    assert vw.count(r, c, d, max_rank=max_rank, side="both") == len(rows)
    copied = pickle.loads(pickle.dumps(rows))  # as a sweep's workers send it
    assert (copied.v, copied.side_rows, copied.complete) == (rows.v, rows.side_rows, rows.complete)


def test_every_wall_read_knows_its_search():
    found = vw.walls(1, 0, -400, side="both")  # 3286 walls a side: many native calls, one across the sides
    read = list(found)
    sides = [side for side in ("left", "right") for _ in vw.walls(1, 0, -400, side=side)]
    assert [(w.v, w.side) for w in read] == [(found.v, side) for side in sides]
    assert read[::331] == [found[i] for i in range(0, len(found), 331)]
    copied = pickle.loads(pickle.dumps(read[3285:3287]))
    assert [(w, w.v, w.side) for w in copied] == [(w, found.v, w.side) for w in read[3285:3287]]


def test_the_progress_of_both_sides_never_goes_back():
    calls = []  # each side of this search takes long enough to report its steps
    vw.count(1, 0, -160000, side="both", progress=lambda done, total: calls.append((done, total)))
    assert all(done <= total for done, total in calls)
    assert [done for done, _ in calls] == sorted(done for done, _ in calls)


@pytest.mark.parametrize(("v", "bound"), [((v, side), m) for v in [(1, 0, -16), (2, -1, -7), (3, 2, -8)]
                                          for side in ("left", "right") for m in (0, 2, 5, 9, 40)])
def test_a_list_called_complete_has_every_candidate(v, bound):
    (r, c, d), side = v
    cut = vw.candidates(r, c, d, max_rank=bound, side=side)
    if cut.complete:
        assert cut.tolist() == vw.candidates(r, c, d, side=side).tolist()
    assert vw.walls(r, c, d, max_rank=bound, side=side).complete == cut.complete


def drawn(ax):
    """What an Axes shows: its arcs, lines, texts and title."""
    return ([(p.center, p.width, p.theta1, p.theta2) for p in ax.patches],
            [line.get_xydata().tolist() for line in ax.lines], [t.get_text() for t in ax.texts], ax.get_title())


@pytest.mark.parametrize(("v", "options"), [((1, 0, -16), {"surface": "P2", "side": "both"}),
                                            ((1, 0, -2), {"max_rank": 12}), ((1, 0, -20), {"above": (-5, "1/2")})])
def test_plot_of_a_result_draws_what_the_search_draws(v, options, tmp_path):
    pytest.importorskip("matplotlib")
    import matplotlib
    matplotlib.use("Agg")
    found = vw.walls(*v, **options)
    assert drawn(vw.plot(found)) == drawn(vw.plot(*v, **options))
    labelled = drawn(vw.plot(found, labels=True))[2]
    assert [label for label in labelled if label.startswith(found[0].classes[0].name)]
    with pytest.raises(TypeError, match="drawn as they are"):
        vw.plot(found, max_rank=3)
    vw.plot(found).figure.savefig(tmp_path / "walls.pdf")
    assert (tmp_path / "walls.pdf").read_bytes().startswith(b"%PDF")


SHOWN = [  # what a person reads of the walls of (1, 0, -4), and whether it says the surface (the command
    # line's header: test_walls_cli.py)
    (lambda found: found.caption(), True), (lambda found: found._repr_html_(), True),
    (lambda found: vw.plot(found).get_title(), True), (lambda found: vw.plot_html(found), True),
    (lambda found: str(found.v), True), (lambda found: found.v._repr_html_(), True),
    (lambda found: str(found[-1]), False), (lambda found: found[0]._repr_latex_(), False),
]


@pytest.mark.parametrize(("show", "says_surface"), SHOWN)
@pytest.mark.parametrize(("surface", "where"), [(None, "on the ½ℤ lattice of ℓ² = 2, no surface given"),
                                                ("P2", "on P2"), (QUARTIC, "on ℓ² = 4")])
def test_people_read_ch_on_a_named_lattice_never_rows(show, says_surface, surface, where):
    pytest.importorskip("matplotlib").use("Agg")
    text = show(vw.walls(1, 0, -4, surface=surface, side="both"))
    assert ("(1, 0, -2)" in text or "ch" in text or "O" in text) and (where in text) == says_surface
    assert not any(row in text for row in ("(1, 0, -4)", "(1, -1, 1)", "(-1, -1, -1)"))  # v's and its classes' rows
