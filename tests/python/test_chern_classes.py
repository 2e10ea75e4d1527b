"""Chern characters as researchers write them: the constructors against hand-computed classes, every
function giving with a class the answer of its row, and the command line's forms of a class."""

import re
import subprocess
import sys
from fractions import Fraction as F

import pytest

import varnolt_walls as vw
from varnolt_walls import Surface, ch, from_chern_classes, from_mukai, ideal_sheaf, line_bundle

P2, QUARTIC, K3_2 = Surface(degree=1), Surface(degree=4), Surface(degree=2)
TWO_POINTS, TANGENT = ch(1, 0, -2, surface="P2"), from_chern_classes(2, 3, 3, surface="P2")
PAGE_IDS = re.compile(r"[0-9a-f]{8}-[0-9a-f-]{27}|\bp\d+\b")  # made anew for each page


@pytest.mark.parametrize("made, rank, c1, ch2, surface, c2, row, name, mukai", [
    # two points on P²: c₂ = c₁²/2 − ch₂, d = 2·ch₂; m points on a K3: Mukai (1, 0, 1 − m)
    (TWO_POINTS, 1, 0, -2, P2, 2, (1, 0, -4), "I_Z, |Z| = 2", None),
    (ideal_sheaf(3, surface=QUARTIC), 1, 0, F(-3, 4), QUARTIC, 3, (1, 0, F(-3, 2)), "I_Z, |Z| = 3", (1, 0, -2)),
    (line_bundle(1, surface=K3_2), 1, 1, F(1, 2), K3_2, 0, (1, 1, 1), "O(1)", (1, 1, 2)),  # (1, H, H²/2 + 1)
    # T_P²: ch₂ = 9/2 − 3; T(−1) has c₁ = c₂ = 1; its dual Ω has c₁ = −3, c₂ = 3
    (TANGENT, 2, 3, F(3, 2), P2, 3, (2, 3, 3), "T", None),
    (TANGENT.twist(-1), 2, 1, F(-1, 2), P2, 1, (2, 1, -1), "T(-1)", None),
    (TANGENT.dual(), 2, -3, F(3, 2), P2, 3, (2, -3, 3), "T(-3)", None),
    (line_bundle(2, surface="P2"), 1, 2, 2, P2, 0, (1, 2, 4), "O(2)", None),
    (TWO_POINTS.twist(1), 1, 1, F(-3, 2), P2, 2, (1, 1, -3), "I_Z(1), |Z| = 2", None),
    (TWO_POINTS.shift(), -1, 0, 2, P2, -2, (-1, 0, 4), "I_Z[1], |Z| = 2", None),
    # O ⊕ O(−1) has c₂ = 0; O − I_Z is O_Z, c₂(O_Z) = −2
    (line_bundle(0, surface="P2") + line_bundle(-1, surface="P2"), 2, -1, F(1, 2), P2, 0, (2, -1, 1), None, None),
    (line_bundle(0, surface="P2") - TWO_POINTS, 0, 0, 2, P2, -2, (0, 0, 4), "O_Z, |Z| = 2", None),
    (ch(2, 1, "-1/4", surface=QUARTIC), 2, 1, F(-1, 4), QUARTIC, 3, (2, 1, F(-1, 2)), None, (2, 1, 1)),
])
def test_constructors_give_the_hand_computed_class(made, rank, c1, ch2, surface, c2, row, name, mukai):
    assert (made.rank, made.c1, made.ch2, made.surface, made.c2, made.row, made.name) == (
        rank, c1, ch2, surface, c2, row, name)
    assert made == ch(rank, c1, ch2, surface=surface) and hash(made) == hash(ch(rank, c1, ch2, surface=surface))
    if mukai is not None:
        assert made.mukai == mukai and from_mukai(*mukai, degree=surface.degree) == made


@pytest.mark.parametrize("call, error, match", [
    (lambda: ch(1, 0, "1/3", surface="P2"), ValueError, r"ch = \(1, 0, 1/3\) is not a class on P2: its c₂ = .* = -1/3 is not an integer"),
    (lambda: ch(1, 0, "1/8", surface=QUARTIC), ValueError, r"c₂ = .* = -1/2 is not an integer .*\(1/4\)ℤ"),
    (lambda: ch(1, 0, "1/4"), ValueError, "not in ½ℤ"),
    (lambda: ch(1, 0, 0.5), TypeError, "must be exact"),
    (lambda: from_mukai(1, 0, 0, degree=3), ValueError, "even degree"),
    (lambda: ideal_sheaf(-1, surface="P2"), ValueError, ">= 0"),
    (lambda: from_chern_classes(1, 0, 1, surface=None), ValueError, "needs ℓ²"),
    (lambda: TWO_POINTS + ch(1, 0, -2), ValueError, "different surfaces"),
    # a class and the arguments beside it
    (lambda: vw.walls(TWO_POINTS, surface=QUARTIC), ValueError, "lives on P2, but surface=Surface"),
    (lambda: vw.count(TWO_POINTS, 0, -4), TypeError, "alone or the integers r, c, d, not both"),
    (lambda: vw.candidates(1, 0), TypeError, "d missing"),
    (lambda: vw.walls(2, 3, F(3, 2)), ValueError, r"d = 3/2 is not an integer.* ch\(2, 3, '3/2'\)"),
    (lambda: vw.k3_walls(ideal_sheaf(3, surface=K3_2), degree=4), ValueError, "degree 2, but degree=4"),
])
def test_what_makes_no_class_or_search_says_why(call, error, match):
    with pytest.raises(error, match=match):
        call()


@pytest.mark.parametrize("with_class, with_row", [
    (lambda: vw.candidates(TANGENT, max_rank=8).tolist(), lambda: vw.candidates(2, 3, 3, max_rank=8, surface="P2").tolist()),
    (lambda: vw.count(ideal_sheaf(3, surface=QUARTIC), max_rank=9), lambda: vw.count(1, 0, "-3/2", surface=QUARTIC, max_rank=9)),
    (lambda: vw.walls(TWO_POINTS, side="right"), lambda: vw.walls(1, 0, -4, surface="P2", side="right")),
    (lambda: vw.walls(TWO_POINTS.shift(), above=(-3, "1/2")), lambda: vw.walls(-1, 0, 4, surface=P2, above=(-3, "1/2"))),
    (lambda: vw.beta_minus(TWO_POINTS), lambda: vw.beta_minus(1, 0, -4)),
    (lambda: vw.numerical_wall(TWO_POINTS, line_bundle(-1, surface="P2")), lambda: vw.numerical_wall((1, 0, -4), (1, -1, 1))),
    # O(−1) against three points on a quartic: x = a/(2e) = (5/2)/(−2), ρ² = x² − 3/2
    (lambda: vw.numerical_wall(ideal_sheaf(3, surface=QUARTIC), line_bundle(-1, surface=QUARTIC)), lambda: (F(-5, 4), F(1, 16))),
    (lambda: vw.k3_walls(ideal_sheaf(3, surface=K3_2)), lambda: vw.k3_walls(1, 0, -2, degree=2)),
    (lambda: [r for _, r in vw.sweep([TWO_POINTS], "walls", progress=False)], lambda: [vw.walls(1, 0, -4, surface="P2")]),
    (lambda: PAGE_IDS.sub("", vw.plot_html(TWO_POINTS)), lambda: PAGE_IDS.sub("", vw.plot_html(1, 0, -4, surface="P2"))),
    (lambda: vw.plot(TWO_POINTS, side="both").get_title(), lambda: vw.plot(1, 0, -4, surface="P2", side="both").get_title()),
])
def test_a_class_gives_the_answer_of_its_row(with_class, with_row):
    assert with_class() == with_row()


def cli(arguments, stdin=None):
    run = subprocess.run([sys.executable, "-m", "varnolt_walls", *arguments.split()], input=stdin,
                         capture_output=True, text=True, timeout=120)
    return run.returncode, run.stdout, run.stderr


@pytest.mark.parametrize("form, plain", [
    ("--ch 1 0 -2 --surface P2", "1 0 -4 --surface P2"),
    ("--chern-classes 2 3 3 --surface P2 --max-rank 6 --format json", "2 3 3 --surface P2 --max-rank 6 --format json"),
    ("--mukai 1 0 -7 --degree 4 --candidates", "1 0 -4 --degree 4 --candidates"),
    ("--ideal-sheaf 3 --degree 4 --count --max-rank 9", "1 0 -3/2 --degree 4 --count --max-rank 9"),
    ("walls --ch 2 3 3/2 --max-rank 4", "2 3 3 --max-rank 4"),
    ("sweep - --lines ideal-sheaf --surface P2", "sweep - --surface P2"),
    ("k3 --ideal-sheaf 3 --degree 2 --format json", "k3 1 0 -2 --degree 2 --format json"),
])
def test_the_command_line_forms_of_a_class_search_its_row(form, plain):
    found = cli(form, "2\n8\n")
    assert found[0] == 0 and found == cli(plain, "1 0 -4\n1 0 -16\n")


@pytest.mark.parametrize("arguments, message", [
    ("--chern-classes 2 3 3", "argument --chern-classes: c2 counts points: it needs --surface P2 or --degree N"),
    ("--mukai 1 0 -7", "argument --mukai: needs --degree N"),
    ("--ch 1 0 1/3", "argument --ch: CH2 = 1/3 is not in ½ℤ"),
    ("--ch 1 0 1/8 --degree 4", "argument --ch: ch = (1, 0, 1/8) is not a class on ℓ² = 4"),
    ("--ideal-sheaf x --surface P2", "argument --ideal-sheaf: not an integer: 'x'"),
    ("1 0 -4 --ch 1 0 -2", "give R C D or --ch, not both"),
    ("--ch 1 0 -2 --ideal-sheaf 2", "not allowed with argument --ch"),
    ("k3 1 0 --degree 2", "give R C S or --ideal-sheaf N, one of them"),
])
def test_bad_forms_of_a_class_exit_2_with_one_line(arguments, message):
    status, out, err = cli(arguments)
    assert (status, out) == (2, "") and message in err and err.count("\n") == 1
