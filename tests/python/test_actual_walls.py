"""Actual walls on P²: every certificate checked against the tests' own computations (χ by
Riemann–Roch, existence by the model of plane_model.py, pseudo-walls by the brute force of
degree_model.py, the heart and the phases at points of the wall), and the known walls of Hilbⁿ P²."""

import json
from fractions import Fraction as F
from math import atan2, isqrt

import pytest

import degree_model
import plane_model as model
from varnolt_walls import ActualWalls, actual_walls, ch

LINE, SHIFTED = "line bundle", "shifted line bundle"


def row(u):
    return u.rank, u.c1, u.ch2


def is_line_bundle(u, sign):
    return u.rank == sign and u.ch2 * 2 * sign == u.c1 * u.c1


def is_primitive(u):
    """No m ≥ 2 with u/m a class of P² (integral rank and c₁, ch₂ − c₁²/2 ∈ ℤ)."""
    return not any(u.rank % m == 0 and u.c1 % m == 0 and (u.ch2 / m - F(u.c1 // m) ** 2 / 2).denominator == 1
                   for m in range(2, 2 * abs(u.rank) + 2 * abs(u.c1) + int(2 * abs(u.ch2)) + 3))


def heart_betas(wall, classes):
    """Rational β of the wall's span where every class's object lies in Coh^β (a grid, and the
    integers where a shifted line bundle starts to)."""
    x, r2 = wall.center, wall.radius_squared
    grid = [x + F(2 * i - 400, 401) * F(isqrt(r2.numerator), isqrt(r2.denominator) + 1) for i in range(401)]
    grid += [F(-u.c1) for u in classes if u.rank < 0]
    return [b for b in grid if (b - x) ** 2 < r2
            and all(F(u.c1, u.rank) > b if u.rank > 0 else F(-u.c1) <= b if u.rank < 0 else u.c1 > 0 for u in classes)]


def phase(u, beta, alpha2):
    ch1 = u.c1 - beta * u.rank
    return atan2(float(ch1), float(-(u.ch2 - beta * u.c1 + beta * beta * u.rank / 2) + alpha2 * u.rank / 2))


def largest_model_wall(u):
    """The largest left pseudo-wall's radius² of u by brute force, None without one; the model
    needs a rational β₋ (else the test returns "irrational")."""
    found = degree_model.beta_minus(u.rank, u.c1, 2 * u.ch2)
    if found is None:
        return "irrational"
    grouped = degree_model.walls((u.rank, u.c1, 2 * u.ch2), 1)
    return max((r2 for _, r2 in grouped), default=None)


def check_reason(u, reason, wall, strict=True):
    """True when the brute force confirmed u's pseudo-walls, False when its β₋ is irrational."""
    if reason == LINE:
        assert is_line_bundle(u, 1)
        return True
    if reason == SHIFTED:
        assert is_line_bundle(u, -1)
        return True
    assert u.rank > 0 or (u.rank == 0 and u.c1 > 0)
    if u.rank > 0:
        assert model.existence(u.rank, u.c1, u.ch2, 200)[0]
        assert wall.center < F(u.c1, u.rank)
    largest = largest_model_wall(u)
    if largest == "irrational":
        return False
    assert largest is None or (largest < wall.radius_squared if strict else largest <= wall.radius_squared)
    return True


def check(found):
    """Checks every certificate of `found`; returns how many class reasons the brute force saw."""
    seen = 0
    for actual in found:
        wall, c = actual.wall, actual.certificate
        if c is None:
            assert actual.status == "undecided"
            continue
        assert actual.status == "actual"
        k = c.multiplicity
        sub, quotient = (c.sub * k, c.quotient) if c.multiple == "sub" else (c.sub, c.quotient * k)
        e = sub + quotient
        assert {row(sub), row(quotient)} in [{row(p.sub), row(p.quotient)} for p in wall.classes]
        if c.kind == "extension":
            assert c.chi == model.chi(row(c.quotient), row(c.sub)) <= -k
            assert k == 1 or is_primitive(c.sub if c.multiple == "sub" else c.quotient)
            seen += check_reason(c.sub, c.sub_reason, wall) + check_reason(c.quotient, c.quotient_reason, wall)
            classes = [c.sub, c.quotient]
        else:
            assert c.chi == model.chi(row(c.sub), row(e)) > 0 and c.sub.rank > 0
            seen += check_reason(c.sub, c.sub_reason, wall) + check_reason(e, "", wall, strict=False)
            classes = [c.sub]
        betas = heart_betas(wall, classes)
        assert betas
        # Just outside the wall, at the top, A has the smaller phase exactly where E is stable.
        outside = phase(c.sub, wall.center, wall.radius_squared * F(101, 100)) < phase(e, wall.center, wall.radius_squared * F(101, 100))
        assert outside == (c.stable_side == "above")
    return seen


HILBERT = [(n, None if isqrt(2 * n) ** 2 == 2 * n else 14) for n in range(1, 10)]


@pytest.mark.parametrize("n, max_rank", HILBERT)
def test_the_certificates_of_hilbert_schemes_hold_and_their_first_walls_are_actual(n, max_rank):
    found = actual_walls(ch(1, 0, -n, surface="P2"), max_rank=max_rank)
    check(found)
    statuses = {w.wall.center: w.status for w in found}
    assert statuses[-F(2 * n + 1, 2)] == "actual"  # the wall of O(-1)
    if n >= 4:  # the wall of I_p(-1), center -(2n - 1)/2
        assert statuses[-F(2 * n - 1, 2)] == "actual"
    assert found.caption().startswith(f"{len(found)} wall{'s' if len(found) > 1 else ''} of I_Z, |Z| = {n} on P²")


@pytest.mark.parametrize("v, center, multiple, k, sub, quotient, chi", [
    ((1, 0, -4), -3, "sub", 2, (1, -2, 2), (-1, 4, -8), -6),  # O(-2)^{⊕2} ⊂ E → O(-4)[1]
    ((1, 0, -9), F(-9, 2), "quotient", 3, (1, -3, F(9, 2)), (0, 1, F(-9, 2)), -3),  # O(-3) ⊂ E → O_L(-4)^{⊕3}
    ((3, 0, -6), F(-5, 2), "sub", 4, (1, -1, F(1, 2)), (-1, 4, -8), -10),  # O(-1)^{⊕4} ⊂ E → O(-4)[1]
    ((1, 0, -3), F(-5, 2), None, None, None, None, None),  # O(-2)^{⊕2} → I_p(-4)[1], O(-2)^{⊕3} → O(-3)[1]^{⊕2}
])
def test_walls_with_a_multiple_class(v, center, multiple, k, sub, quotient, chi):
    found = actual_walls(ch(*v, surface="P2"), max_rank=14)
    check(found)
    c = next(w for w in found if w.wall.center == center).certificate
    if multiple is None:
        assert c is None
        return
    assert (c.multiple, c.multiplicity, row(c.sub), row(c.quotient), c.chi) == (multiple, k, sub, quotient, chi)
    assert f"^{{⊕{k}}}" in str(c) and ActualWalls.from_json(found.to_json()) == found


def test_seven_points_rank_two_exceptional_wall_and_eight_points_caption():
    seven = actual_walls(ch(1, 0, -7, surface="P2"), max_rank=14)
    exceptional = [w.certificate for w in seven if w.certificate and w.certificate.sub.rank == 2]
    assert [(row(c.sub), c.quotient.name, c.quotient_reason) for c in exceptional] == [((2, -5, F(11, 2)), "O(-5)[1]", SHIFTED)]
    eight = actual_walls(ch(1, 0, -8, surface="P2"))
    assert eight.caption() == "8 walls of I_Z, |Z| = 8 on P²: 6 actual, 2 undecided"
    assert check(eight) >= 6


@pytest.mark.parametrize("v", [ch(2, -1, "-3/2", surface="P2"), ch(2, 0, -3, surface="P2"), ch(3, -1, "-5/2", surface="P2"),
                               ch(0, 2, -1, surface="P2"), ch(2, -1, "-5/2", surface="P2"), ch(-1, 0, 4, surface="P2"),
                               ch(3, 0, -6, surface="P2")])
def test_certificates_of_higher_and_lower_ranks_hold_on_both_sides(v):
    found = actual_walls(v, max_rank=10, side="both")
    check(found)
    assert len(found) == len(found.walls) and [w.wall for w in found] == list(found.walls)


def test_results_show_and_round_trip():
    found = actual_walls(ch(1, 0, -7, surface="P2"), max_rank=6, side="both")
    assert ActualWalls.from_json(found.to_json()) == found
    document = json.loads(found.to_json())
    assert [w["status"] for w in document["walls"]] == [w.status for w in found]
    document["walls"][0]["status"] = "undecided"
    for bad, says in [(json.dumps(document), "is actual"), ("[" * 10**5 + "]" * 10**5, "nests too deeply"),
                      ("[]", "not a document of actual walls")]:
        with pytest.raises(ValueError, match=says):
            ActualWalls.from_json(bad)
    text = str(found).splitlines()
    assert text[0] == found.caption() and len(text) == len(found) + 1
    assert found.caption().endswith(f"{found.counts()[0]} actual, {found.counts()[1]} undecided")
    assert "<table>" in found._repr_html_() and found._repr_latex_().count(r"\item") == len(found)
    with pytest.raises(ValueError, match="on P2"):
        actual_walls(ch(1, 0, -4))
    with pytest.raises(TypeError, match="ChernCharacter"):
        actual_walls((1, 0, -4))
