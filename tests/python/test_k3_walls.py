"""k3_walls against the brute-force model of k3_model: the walls a box of classes shows."""

import hashlib
import json
import random
import signal
import subprocess
import sys
from fractions import Fraction
from html import escape
from math import gcd, isqrt
from pathlib import Path

import pytest
from k3_model import (RANK, hilbert_movable_slope, kind_of, model_lagrangian, model_orbit_starts,
                      model_totally_semistable, model_walls, numerical_wall, pair, square)

from varnolt_walls import k3_walls
from varnolt_walls.k3._lattice import _flop_classes, wall_lattice
from varnolt_walls.k3._orbits import Orbits, Setting, pairs_asked
from varnolt_walls.k3 import _pell
from varnolt_walls.k3._pell import PellEquations, convergent
from varnolt_walls.k3._walls import _divisorial_kinds, _flop_kinds
from varnolt_walls.cli import main

SEEDED_HILBERT = sorted(random.Random(29).sample([(d, n) for d in range(2, 21, 2) for n in range(2, 9)], 24))
BOX = (8, 24)


def listed_against_model(v, degree, box):
    found = k3_walls(*v, degree=degree)
    sides_against_model(found, found, model_walls(v, degree, box), model_walls(v, degree, box, verdict=True), box)
    if found.right_walls:  # the right of the vertical wall, against the box's walls there
        sides_against_model(found, found.right_walls, model_walls(v, degree, box, right=True),
                            model_walls(v, degree, box, verdict=True, right=True), box)
    rays_are_those_of_the_walls(found)


def sides_against_model(found, side, model, seen, box):
    v, degree = found.v, found.degree
    *before, end = side
    beyond = 1 if side is found else -1  # which way the walls go inwards
    listed = {w.center: w for w in side}
    # The stretch: flops, then the wall that ends the movable cone.
    assert [w.kind for w in before] == ["flop"] * len(before)
    assert end.kind in ("hilbert-chow", "li-gieseker-uhlenbeck", "brill-noether", "lagrangian")
    # Every actual wall the box shows down to the end is listed, with a kind at least as
    # decisive as the box can prove (a class outside the box can only make it more so).
    for x, (rho2, kind) in model.items():
        if (x - end.center) * beyond <= 0:
            assert x in listed and listed[x].radius_squared == rho2 and RANK[listed[x].kind] <= RANK[kind], x
    # Every listed wall whose deciding classes the box holds is seen there with its kind, its
    # codimension and the classes of every divisorial kind.
    for w in before + ([] if end.kind == "lagrangian" else [end]):
        if all(abs(a[0]) <= box[0] and abs(a[1]) <= box[1] for _, a in w.deciding_classes):
            divisorial = {}
            for kind, a in w.deciding_classes:
                if kind != "flop":
                    divisorial.setdefault(kind, set()).add(a)
            assert seen[w.center] == (w.radius_squared, w.kind, w.codimension, divisorial)
    lagrangian = model_lagrangian(v, degree, box, beyond)
    if end.kind == "lagrangian":
        assert (lagrangian, end.radius_squared) == (end.center, 0)
    elif lagrangian is not None:
        assert (end.center - lagrangian) * beyond < 0


def rays_are_those_of_the_walls(found):
    """Each wall's ray spans H_W^⊥ in the positive cone, its contracted divisor is a negative class of
    v^⊥ ∩ H_W pairing positively with the movable classes, and the cones are bounded by them."""
    v, degree = found.v, found.degree
    h0 = (0, -v[0], -v[1] * degree)  # the vertical wall's ray, up to a factor
    for w in (*found, *found.right_walls):
        u = w.divisor
        assert gcd(*u) == 1 and pair(u, h0, degree) > 0
        assert all(pair(u, a, degree) == 0 for a in (*w.lattice, *w.special_classes))
        assert (pair(u, u, degree) == 0) == (w.kind == "lagrangian")
        assert (w.contracted_divisor is not None) == (w.kind in RANK and w.kind != "flop")
        if w.contracted_divisor is not None:
            e = w.contracted_divisor
            assert gcd(*e) == 1 and pair(e, v, degree) == pair(e, u, degree) == 0 and pair(e, e, degree) < 0
            assert pair(e, h0, degree) > 0
    if found.movable_cone is not None:
        end = found[-1]
        assert found.nef_cone[1] == found[0].divisor and found.movable_cone[1] == end.divisor
        assert found.effective_cone[1] == (end.contracted_divisor or end.divisor)
        b = found.effective_cone[0]  # contracted at the vertical wall: ⊥ h0, negative, pairing positively inwards
        if found.right_walls:  # or at the end right of the vertical wall
            right = found.right_walls[-1]
            assert found.movable_cone[0] == right.divisor and b == (right.contracted_divisor or right.divisor)
        else:
            assert pair(b, v, degree) == pair(b, h0, degree) == 0 and pair(b, b, degree) < 0
        # A prime divisor pairs non-negatively with every movable class: the rays of the chambers.
        for e in found.effective_cone:
            assert all(pair(e, ray, degree) >= 0 for chamber in found.chambers for ray in chamber.rays)
    chambers_follow_the_walls(found, h0)


def chambers_follow_the_walls(found, h0):
    """The chambers are the cones between consecutive walls on each side, from the nef cone inwards."""
    if found.vertical is None or not found.chambers:
        return
    start = found.nef_cone[0]  # h0, made primitive
    assert found.chambers[0].rays == found.nef_cone and found.chambers[0].kinds[0] == found.vertical
    for side, chain in ((found, found.chambers[:len(found)]), (found.right_walls, found.chambers[len(found):])):
        assert [c.rays for c in chain] == list(zip([start, *(w.divisor for w in side)], [w.divisor for w in side]))
        assert [c.kinds[1] for c in chain] == [w.kind for w in side]


@pytest.mark.parametrize("degree, n", SEEDED_HILBERT)
def test_hilbert_schemes_agree_with_the_box(degree, n):
    listed_against_model((1, 0, 1 - n), degree, BOX)


# Hilbⁿ on degree 2d, d <= 242, n <= 15: the movable cone by Bayer–Macrì's Pell equations, the nef
# cone ⟨H̃, H̃ − 2d/(d + n)·B⟩ where n >= (d + 3)/2, and each wall's ray ⊥ its classes.
NEF_KNOWN = [(d, n) for d in range(1, 28) for n in range(2, 16) if 2 * n >= d + 3]
HILBERT_CONES = sorted({*random.Random(36).sample([(d, n) for d in range(1, 243) for n in range(2, 16)], 160),
                        *random.Random(37).sample(NEF_KNOWN, 40), *[(1, n) for n in range(2, 16)],
                        (242, 15), (121, 2), (6, 9)})


@pytest.mark.parametrize("d, n", HILBERT_CONES)
def test_hilbert_scheme_cones_are_those_of_the_pell_equations(d, n):
    found = k3_walls(1, 0, 1 - n, degree=2 * d)
    slope = {w: Fraction(w[0], -w[1]) for cone in (found.nef_cone, found.movable_cone) for w in cone[1:]}
    assert found.nef_cone[0] == found.movable_cone[0] == (0, -1, 0) and found.effective_cone[0] == (-1, 0, 1 - n)
    assert slope[found.movable_cone[1]] == hilbert_movable_slope(d, n)
    if 2 * n >= d + 3:
        assert slope[found.nef_cone[1]] == Fraction(2 * d, d + n)
    for w in found:
        assert w.divisor[2] == (n - 1) * w.divisor[0]  # a·H̃ − b·B is (b, −a, b·(n − 1))
    rays_are_those_of_the_walls(found)


@pytest.mark.parametrize("v, degree, box", [
    ((2, 1, -1), 2, BOX), ((2, 1, 0), 4, BOX), ((2, -1, -2), 2, BOX), ((2, 1, -3), 2, BOX),
    ((3, 1, -1), 2, BOX), ((2, 3, 1), 4, (12, 24)), ((3, 1, 0), 2, BOX), ((3, 1, -2), 2, BOX), ((4, 1, 0), 2, BOX),
    ((5, 2, -1), 2, BOX), ((3, 2, 1), 2, BOX),
    # The Hilbert–Chow wall of Hilb² on degree 26 comes from (-324, 90, -325): the box must reach it.
    ((1, 0, -1), 26, (330, 100)),
])
def test_other_vectors_agree_with_the_box(v, degree, box):
    listed_against_model(v, degree, box)


RANKS_TWO_AND_MORE = [((2, 1, -1), 2), ((2, 1, -3), 2), ((3, 1, -1), 2), ((3, 1, 0), 2), ((3, 1, -2), 2),
                      ((4, 1, 0), 2), ((5, 2, -1), 2), ((3, 2, 0), 4), ((2, -1, -2), 2)]


@pytest.mark.parametrize("v, degree", [((1, 0, 1 - n), d) for d, n in SEEDED_HILBERT[::2]] + RANKS_TWO_AND_MORE)
def test_no_wall_is_fake_where_the_walls_are_crossed(v, degree):
    found, box = k3_walls(*v, degree=degree), (5, 12)
    model = model_totally_semistable(v, degree, box)
    assert [x for x, (totally, kind) in model.items() if totally and kind is None] == []
    for w in (*found, *found.right_walls):
        if w.kind != "lagrangian" and all(abs(a[0]) <= box[0] and abs(a[1]) <= box[1] for _, a in w.deciding_classes):
            assert model[w.center] == (w.totally_semistable, w.kind)


@pytest.mark.parametrize("v, degree", [((1, 0, 1 - n), d) for d, n in SEEDED_HILBERT[1::2]] + RANKS_TWO_AND_MORE)
def test_no_wall_of_the_box_cuts_a_chamber_or_the_movable_cone(v, degree):
    """A class a of an actual wall puts its ray (⊥ D = v²·a − ⟨a, v⟩·v in v^⊥) on no chamber's inside, and a
    divisorial one none on the movable cone's (Bayer–Macrì: it is cut out by those walls)."""
    found, m = k3_walls(*v, degree=degree), pair(v, v, degree)
    cones = [c.rays for c in found.chambers]
    assert found.movable_cone is not None and len(cones) == len(found) + len(found.right_walls) - (found.vertical is None)
    for ra, ca, t in ((ra, ca, t) for ra in range(-5, 6) for ca in range(-12, 13) for t in range(m + 1)):
        sa, rest = divmod(ca * v[1] * degree - ra * v[2] - t, v[0])
        a = (ra, ca, sa)
        kind, d = kind_of(v, [a], degree), tuple(m * x - t * y for x, y in zip(a, v))
        if rest or kind is None or pair(d, d, degree) >= 0:
            continue
        for cone in cones + ([found.movable_cone] if kind != "flop" else []):
            assert pair(d, cone[0], degree) * pair(d, cone[1], degree) >= 0, (a, kind, cone)


@pytest.mark.parametrize("v, degree", [((1, 0, 1 - n), d) for d, n in SEEDED_HILBERT] + [((2, 1, -3), 2), ((3, 1, -6), 4)])
def test_orbits_from_continued_fractions_are_those_of_every_small_y(v, degree):
    orbits = Orbits(Setting(v, degree))
    if orbits.square:
        pytest.skip("finitely many solutions, no orbits")
    for t, q in _divisorial_kinds() + _flop_kinds(orbits.setting.m):
        k = orbits.setting.right_side(t, q)
        assert set(orbits.starts(k)) == model_orbit_starts(orbits.d, k, orbits.unit, orbits._first_left)


@pytest.mark.parametrize("v, degree, fact", [
    ((1, 0, -2), 2, "Hilb³ of degree 2: one Brill–Noether wall, centre −2, radius² 2"),
    ((1, 0, -1), 2, "Hilb² of degree 2: a flop of codimension 2, then the Lagrangian point −1"),
    ((1, 0, -4), 2, "Hilb⁵ of degree 2: flops of codimension 3, 2 (⟨a, b⟩ − 1 for v = (1, −1, 1) + (0, 1, −5)), 2, 4"),
    ((1, 0, -1), 6, "Hilb² of degree 6: one wall, Li–Gieseker–Uhlenbeck and Brill–Noether"),
])
def test_hilbert_scheme_facts(v, degree, fact):
    found = k3_walls(*v, degree=degree)
    shown = [(w.kind, w.center, w.radius_squared, w.codimension) for w in found]
    assert found.vertical == "hilbert-chow"
    assert shown == {"Hilb³ of degree 2": [("brill-noether", -2, 2, None)],
                     "Hilb² of degree 2": [("flop", Fraction(-3, 2), Fraction(5, 4), 2), ("lagrangian", -1, 0, None)],
                     "Hilb⁵ of degree 2": [("flop", -3, 5, 3), ("flop", Fraction(-5, 2), Fraction(9, 4), 2),
                                           ("flop", Fraction(-9, 4), Fraction(17, 16), 2),
                                           ("flop", Fraction(-13, 6), Fraction(25, 36), 4), ("lagrangian", -2, 0, None)],
                     "Hilb² of degree 6": [("li-gieseker-uhlenbeck", Fraction(-2, 3), Fraction(1, 9), None)]}[fact[:17]]
    if degree == 6:  # every deciding class with its kind, the wall's kind first
        assert sorted(found[0].deciding_classes) == [("brill-noether", (-2, 1, -2)), ("brill-noether", (2, -1, 2)),
                                                     ("li-gieseker-uhlenbeck", (-1, 1, -3)),
                                                     ("li-gieseker-uhlenbeck", (3, -1, 1))]
        assert found[0].deciding_classes[0][0] == "li-gieseker-uhlenbeck" and "also brill-noether" in str(found[0])


@pytest.mark.parametrize("v, degree, point", [
    ((1, 0, -7), 2, (-3, 1)), ((1, 0, -7), 4, ("-5/2", "1/4")), ((4, 2, -5), 2, (-1, "1/2")),
])
def test_above_keeps_the_walls_over_the_point(v, degree, point):
    beta, alpha = map(Fraction, point)
    found = k3_walls(*v, degree=degree, above=point)
    over = [w.center for w in found if (beta - w.center) ** 2 + alpha ** 2 < w.radius_squared]
    assert over == [w.center for w in found] and len(found) > 0
    if v != (4, 2, -5):
        full = k3_walls(*v, degree=degree)
        assert list(found) == [w for w in full if (beta - w.center) ** 2 + alpha ** 2 < w.radius_squared]
        assert (found.nef_cone, found.movable_cone, found.effective_cone) == (full.nef_cone, full.movable_cone,
                                                                              full.effective_cone)


@pytest.mark.parametrize("v, degree, above, message", [
    ((1, 0, -2), 3, None, "degree must be even and positive"),
    ((1, 0, -2), 0, None, "degree must be even and positive"),
    ((1, 0, -2), -2, None, "degree must be even and positive"),
    ((0, 1, 1), 2, None, "r must be >= 1"),
    ((2, 0, -2), 2, None, r"not primitive: it is 2·\(1, 0, -1\).* not computed"),
    ((-1, 0, -2), 2, None, "r must be >= 1.*take −v"),
    ((1, 0, 1), 2, None, "v² = -2 <= 0"),
    ((1, 0, 0), 2, None, "v² = 0 <= 0"),
    ((4, 2, -5), 2, None, "infinitely many flops"),
    ((1, 0, -2), 2, (0, 1), "above must be left of the vertical wall"),
    ((1, 0, -7), 2, (-3, 0), "alpha must be > 0"),
    ((1, 0, -7), 2, (-3, -1), "alpha must be > 0"),
])
def test_bad_input_is_named(v, degree, above, message):
    with pytest.raises(ValueError, match=message):
        k3_walls(*v, degree=degree, above=above)


def least_unit(d):
    """The least x + y·√d > 1 of norm ±1, by trying each y."""
    y = 1
    while not any(square(d * y * y + s) for s in (1, -1)):
        y += 1
    return next(isqrt(d * y * y + s) for s in (1, -1) if square(d * y * y + s)), y


# (d, k, whether X² − d·Y² = k has a solution): 4² − 8 = 8, 111² − 152·9² = 9, 48² − 532·2² = 176;
# x² ≢ 2 (mod 3), yet the expansion of x² − 3y² = 2 may reach the norm −2. Then d > 2^64: 4·(b² + 1)
# has the least unit (2b² + 1) + b·√d, as b + √(b² + 1) has the norm −1.
B = 2**40


@pytest.fixture(params=[False, True], ids=["period kept", "period walked"])
def period_walked(request, monkeypatch):
    """Both ways to tell that an expansion will not reach ±1: the period of √d kept, or walked again."""
    if request.param:
        monkeypatch.setattr(_pell, "PERIOD_KEPT", 1)


@pytest.mark.parametrize("d, k, solvable", [(8, 8, True), (8, 1, True), (44, 4, True), (152, 9, True),
                                            (3, 2, False), (532, 176, True), (4 * (B * B + 1), 1, True)])
def test_pell_expansions_give_norm_plus_or_minus_m(d, k, solvable, period_walked):
    found = PellEquations(d).expansions(k)
    assert bool(found) or not solvable
    for f, z, quotients in found:
        m = k // (f * f)
        assert k % (f * f) == 0 and (z * z - d) % m == 0 and -m < 2 * z <= m
        g, b = convergent(z, m, quotients)
        assert g * g - d * b * b in (m, -m)
    if d > 2**64:
        assert convergent(0, 1, found[0].quotients) == (2 * B * B + 1, B)


def test_expansion_of_root_d_is_the_least_unit(period_walked):
    for d in (d for d in range(2, 61) if not square(d)):
        (_, _, quotients), = PellEquations(d).expansions(1)
        assert convergent(0, 1, quotients) == least_unit(d), d


def test_walls_beyond_64_bits_are_those_of_their_classes():
    # Hilb² on a surface of degree 2·(2^80 + 1): D = 4·(2^80 + 1) > 2^64.
    v, degree = (1, 0, -1), 2 * (B * B + 1)
    found = k3_walls(*v, degree=degree)
    assert found.vertical == "hilbert-chow" and len(found) > 0
    for w in found:
        assert numerical_wall(v, w.special_classes[0], degree) == (w.center, w.radius_squared)
        assert kind_of(v, w.special_classes, degree) == w.kind


@pytest.mark.parametrize("arguments, status, expected", [
    (["k3", "1", "0", "-2", "--degree", "2", "--format", "json"], 0, "json"),
    (["k3", "1", "0", "-2", "--degree", "2"], 0, "brill-noether at"),
    (["k3", "1", "0", "-2", "--degree", "3"], 1, "degree must be even"),
    (["k3", "1", "0", "-99", "--degree", "2", "--max-pairs", "1810"], 1, "1,811 pairs"),
])
def test_command_line(arguments, status, expected, capfd):
    assert main(arguments) == status
    out, err = capfd.readouterr()
    if expected == "json":
        assert out == k3_walls(1, 0, -2, degree=2).to_json() + "\n"
    else:
        assert expected in out + err


def test_cones_in_every_display():
    found, texts = k3_walls(1, 0, -10, degree=4), ["⟨H̃, H̃ − 4/13·B⟩", "⟨H̃, H̃ − 4/9·B⟩", "⟨B, H̃ − 9/20·B⟩"]  # Hilb¹¹
    assert [found.cone_text(which) for which in ("nef", "movable", "effective")] == texts
    assert all(t in str(found) and escape(t) in found._repr_html_() for t in texts)
    assert r"\mathrm{Mov} = \langle \tilde{H},\ \tilde{H} - \frac{4}{9} B \rangle" in found._repr_latex_()
    shown = json.loads(found.to_json())
    assert (shown["dimension"], shown["movable_cone"]) == (22, [list(w) for w in found.movable_cone])
    chambers = [c.text() for c in found.chambers]  # the ample cones of the eight models, from the nef cone in
    assert len(chambers) == 8 and chambers[0] == texts[0] and "chambers: " + ", ".join(chambers) in str(found)
    assert escape(str(found.chambers[7])) in found._repr_html_() and r"\mathrm{Amp}_{7}" in found._repr_latex_()
    assert shown["chambers"][0] | {"v": None} == {"v": None, "rays": [[0, -1, 0], [4, -13, 40]], "kinds": ["hilbert-chow", "flop"]}
    rank_three = k3_walls(3, 1, -1, degree=2)  # the vertical wall is a flop: the chambers go on right of it
    assert "vertical wall: flop, the chambers go on right of it: 3 walls there" in str(rank_three)
    assert rank_three.movable_cone == (rank_three.right_walls[-1].divisor, rank_three[-1].divisor)
    unbounded = k3_walls(3, 1, -6, degree=4, above=("-2/3", "1/2"))  # infinitely many flops on both sides
    assert "right of it: infinitely many flops there, not listed" in str(unbounded) and unbounded.movable_cone is None


# Digests of every wall's fields and the cones, taken before the walk was made faster (classes by y, square
# roots from factors): the same walls, classes, order and fields, for these v. For seven v whose vertical wall
# is a flop, the movable and effective cones (then None) were taken again once the walls right of it were found.
FROZEN = json.loads((Path(__file__).parent / "k3_frozen_walls.json").read_text())


@pytest.mark.parametrize("v, degree, above, count, digest", FROZEN, ids=lambda x: str(x))
def test_walls_are_those_found_before(v, degree, above, count, digest):
    if count is None:
        with pytest.raises(ValueError, match="infinitely many flops"):
            k3_walls(*v, degree=degree, above=above)
        return
    found = k3_walls(*v, degree=degree, above=above)
    fields = [(w.center, w.radius_squared, w.kind, w.special_classes, w.lattice, w.divisor, w.codimension,
               w.contracted_divisor, w.deciding_classes) for w in found]
    whole = (found.vertical, fields, found.nef_cone, found.movable_cone, found.effective_cone)
    assert (len(found), hashlib.sha256(repr(whole).encode()).hexdigest()[:16]) == (count, digest)


@pytest.mark.parametrize("v, degree", [((1, 0, 1 - n), d) for d in (2, 4, 10) for n in (3, 7, 12)] +
                         [((2, 1, -3), 2), ((2, 3, 1), 4), ((5, 2, -7), 2), ((3, -2, -9), 8)])
def test_flop_classes_of_a_wall_are_those_of_a_box(v, degree):
    """Every class x·v + y·a of H_W in a box with 1 <= ⟨w, v⟩ <= v²/2 and w² = −2 or w² >= 0, in the order
    (t, q, then y descending), against the classes classify found by y."""
    for w in k3_walls(*v, degree=degree):
        if w.kind == "lagrangian":
            continue  # H_W is degenerate there
        lattice = wall_lattice(v, w.special_classes[0], degree)
        m, box = lattice.m, 2 * lattice.m
        model = sorted((pair(u, v, degree), pair(u, u, degree), -y, u) for y in range(-box, box + 1)
                       for x in range(-box, box + 1) for u in [tuple(x * p + y * q for p, q in zip(v, lattice.a))]
                       if 1 <= pair(u, v, degree) <= m // 2 and (pair(u, u, degree) == -2 or pair(u, u, degree) >= 0))
        assert _flop_classes(lattice) == [(t, q, u) for t, q, _, u in model]


def test_square_roots_are_those_of_every_residue():
    rng = random.Random(41)
    for m in [*range(1, 200), *(rng.randrange(1, 10**5) for _ in range(300)), 2**12 * 9, 3**7 * 4, 101**2 * 8]:
        d = rng.choice([rng.randrange(1, 10**6), m * rng.randrange(1, 9) * rng.choice([1, 2, 4, 9])])
        roots = sorted(z % m for z in _pell._square_roots(d, m))
        assert roots == [z for z in range(m) if (z * z - d) % m == 0], (d, m)


@pytest.mark.parametrize("v, max_pairs, message", [
    ((1, 0, -10**6), None, "at least 166,667,916,669 pairs .* more than max_pairs=300,000"),
    ((1, 0, -2**31), None, "at least 768,614,339,088,919,213 pairs"),
    ((1, 0, -99), 1_810, "1,811 pairs .* more than max_pairs=1,810"),
    ((1, 0, -99), -1, "max_pairs must be >= 0"),
    ((1000, 1, -1), None, "repeat modulo M = v²·r² = 2,002,000,000 only after more than 65,536 steps"),
])
def test_a_v_beyond_the_limits_is_refused_with_its_figures(v, max_pairs, message):
    with pytest.raises(ValueError, match=message):
        k3_walls(*v, degree=2, **({} if max_pairs is None else {"max_pairs": max_pairs}))
    if max_pairs is not None and max_pairs > 0:
        assert len(k3_walls(*v, degree=2, max_pairs=max_pairs + 1)) == 488


def test_pairs_asked_are_the_kinds_walked():
    for m in range(1, 300):
        assert pairs_asked(m, 10**9) == (3 + len(_flop_kinds(m)), True) and pairs_asked(m, 0)[0] <= 3 + len(_flop_kinds(m))


# A walk of minutes in a non-daemon thread while the main thread waits for it (on an event: an interrupted
# Thread.join marks the thread stopped in CPython 3.12, and the interpreter would not wait for it).
WORKER = """
import threading
from varnolt_walls import k3_walls
done = threading.Event()
def work():
    print("started", flush=True)
    k3_walls(1, 0, -2999, degree=2, max_pairs=10**7)
    print("finished", flush=True)
    done.set()
threading.Thread(target=work).start()
done.wait()
"""


def test_ctrl_c_ends_a_walk_in_a_worker_thread():
    child = subprocess.Popen([sys.executable, "-c", WORKER], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    assert child.stdout is not None and child.stdout.readline() == "started\n"
    child.send_signal(signal.SIGINT)
    out, err = child.communicate(timeout=600)  # a hang guard only
    assert (child.returncode, "finished" in out) == (-signal.SIGINT, False) and "KeyboardInterrupt" in err
