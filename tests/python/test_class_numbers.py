"""Slope, χ, the Euler form, multiples and names of torsion classes, against models built here: classes
from exact sequences of line bundles, χ by counting monomials, the Mukai pairing of Mukai vectors."""

from fractions import Fraction as F

import pytest

from varnolt_walls import Surface, ch, ideal_sheaf

P2, QUARTIC = Surface(degree=1), Surface(degree=4)


def line(k, surface=P2):
    return ch(1, k, F(k * k, 2), surface=surface)


def points(m, surface=P2):  # O_Z = O/I_Z
    return line(0, surface) - ideal_sheaf(m, surface=surface)


@pytest.mark.parametrize("made, name", [
    (points(1), "O_p"), (points(3), "O_Z, |Z| = 3"), (-points(1), "O_p[1]"), (points(4, QUARTIC), "O_Z, |Z| = 4"),
    (line(0) - line(1), "O_L(1)[1]"), (line(-1) - line(-4), "O_C(-1), deg C = 3"),
    (2 * (line(1) - line(0)), "torsion sheaf of ch (0, 2, 1)"),  # O_L(1) ⊕ O_L'(1): no O_C(k)
    (3 * line(-1) - line(0), "T(-3)"), (3 * line(0) - line(-1), "T(-1)"),  # the Euler sequences of Ω and T(-1)
    (line(1, None) - line(0, None), None), (line(1, QUARTIC) - line(0, QUARTIC), None),
])
def test_torsion_and_tangent_classes_are_named(made, name):
    assert made.name == name


def test_a_class_of_rank_zero_is_named_o_c_exactly_when_it_is_the_class_of_o_c():
    for m in range(1, 5):
        quotients = {line(k) - line(k - m): k for k in range(-12, 13)}  # O_C(k) = O(k)/O(k − m)
        for v in (ch(0, m, F(m * m, 2) + j, surface="P2") for j in range(-10, 10)):
            k = quotients.get(v)
            named = f"{'O_L' if m == 1 else 'O_C'}{f'({k})' if k else ''}{'' if m == 1 else f', deg C = {m}'}"
            assert v.name == (f"torsion sheaf of ch (0, {m}, {v.ch2})" if k is None else named)


def monomials(k):  # h⁰(O(k)) on P²
    return sum(1 for a in range(k + 1) for b in range(k + 1 - a))


def test_euler_characteristic_and_form_agree_with_riemann_roch_and_the_mukai_pairing():
    for a in range(-6, 7):  # h¹(O(a)) = 0 and h²(O(a)) = h⁰(O(−a − 3)) by Serre duality; χ(L) = L²/2 + 2 on a K3
        assert line(a).euler_characteristic == monomials(a) + monomials(-a - 3) == (a + 1) * (a + 2) // 2
        assert line(a, QUARTIC).euler_characteristic == 2 + 2 * a * a
        assert [line(a).euler_form(line(b)) for b in range(-4, 5)] == [line(b - a).euler_characteristic for b in range(-4, 5)]
    assert [(points(1).euler_form(x), x.euler_form(points(1))) for x in (line(0), points(1))] == [(1, 1), (0, 0)]
    classes = [line(1, QUARTIC), ideal_sheaf(3, surface=QUARTIC), ch(2, 1, "-1/4", surface=QUARTIC), points(2, QUARTIC)]
    for (r, c, s), u in ((u.mukai, u) for u in classes):
        assert [u.euler_form(v) for v in classes] == [r * t + q * s - 4 * c * p for q, p, t in (v.mukai for v in classes)]


@pytest.mark.parametrize("call, error, match", [
    (lambda: line(0, None).euler_characteristic, ValueError, "χ is known on P2"),
    (lambda: line(0, Surface(degree=3)).euler_form(line(0, Surface(degree=3))), ValueError, "K3 surfaces"),
    (lambda: line(0).euler_form(line(0, QUARTIC)), ValueError, "different surfaces"),
    (lambda: line(0).euler_form((1, 0, 0)), TypeError, "takes a ChernCharacter"),
    (lambda: line(1) * F(1, 2), TypeError, "unsupported operand"), (lambda: 2.0 * line(1), TypeError, "unsupported"),
])
def test_what_has_no_euler_form_or_multiple_says_why(call, error, match):
    with pytest.raises(error, match=match):
        call()


def test_slopes_and_multiples():
    tangent = ch(2, 3, "3/2", surface="P2")
    assert [v.slope for v in (tangent, -tangent, points(1), line(-2))] == [F(3, 2), F(3, 2), None, -2]
    assert 3 * tangent == tangent * 3 == tangent + tangent + tangent and (-1) * tangent == -tangent != 0 * tangent
