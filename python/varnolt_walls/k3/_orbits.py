"""The classes that decide the walls of a Mukai vector v on a K3 surface of Picard rank one, found
in order from the vertical wall inwards, exactly and completely.

Why the classes of one kind are the solutions of a Pell equation. Let v = (r, c, s),
m = v² = c²·degree − 2r·s > 0 and D = m·degree. A class a = (r_a, c_a, s_a) with
⟨a, v⟩ = t and a² = q gives, with X = m·r_a − t·r and Y = r·c_a − c·r_a,

    X² − D·Y² = K,   K = r²·(t² − m·q)                                  (P)

(eliminate s_a = (c_a·c·degree − r_a·s − t)/r from a² = q and complete the squares),
and conversely a solution of (P) is such a class when r_a = (X + t·r)/m, c_a =
(Y + c·r_a)/r and s_a are integers. These conditions depend only on X and Y modulo
M = m·r² (r_a mod r² on X mod m·r², c_a mod r on Y mod r² and r_a mod r², s_a on c_a
and r_a mod r).

Where the class's wall lies. The numerical wall of v and a has centre
x = c/r + X/(r·degree·Y) (Y = 0: the vertical wall), and radius² (x − c/r)² − m/(degree·r²);
it lies left of the vertical wall exactly when X·Y < 0, and the walls of v are nested
there, so a wall is the farther out (met first from the large-volume limit) the
smaller its x, i.e. the smaller |Y|/|X|. Every class the theorem asks about has
t² − m·q > 0 (K > 0), so X ≠ 0.

Why every solution is found. If D is not a square, let ε = x1 + y1·√D be the least unit
> 1 of norm 1. Writing X + Y·√D = √K·e^φ (X > 0), multiplication by ε^j adds j·log ε
to φ and keeps (P); the solutions with X > 0 fall into finitely many orbits, and
one solution of each comes from the continued fractions of the theorem of Lagrange,
Matthews and Mollin (see _pell; exact integers of any size throughout). Each orbit is walked
from its first member left of the vertical wall (φ < 0) by ε⁻¹, which lowers φ, i.e.
raises x: it meets its walls in order. The solutions with X < 0 are the negatives,
of the same walls. Whether an orbit member is a class is periodic along the orbit
(ε is invertible modulo M), so one period decides whether an orbit ever holds a
class. If D = g² is a square, (P) reads (X − g·Y)(X + g·Y) = K: finitely many
solutions, one for each factorisation of K.

What it costs. A call asks about every pair (t, q) of _walls' kinds, about (v²)²/24 of them
(`pairs_asked` counts them exactly before the walk, and k3_walls refuses more than its
`max_pairs`): for each, K is factored once (trial division by sieved primes, √K steps at
most), its square factors and the square roots of D modulo K/f² come from those factors
(_pell), and each root's continued fraction runs to at most a period of √D. Then each orbit
member walked is a wall or the step past the cut, and each wall is classified in O(v²/√Δ)
steps (_lattice). So the cost is that of the pairs plus that of the walls: on one machine
some 7–25 µs a pair and 0.1 ms a wall (benchmarks/k3_walls.py).
"""

from __future__ import annotations

from collections.abc import Iterator
from dataclasses import dataclass
from fractions import Fraction
from functools import cached_property
from math import isqrt

from ._interrupt import poll
from ._lattice import Mukai
from ._pell import PellEquations, _factorised, convergent

Solution = tuple[int, int]

# The longest walk along an orbit modulo M that first_class takes before it refuses v: a class found
# s steps in has entries of some s·log₁₀ ε digits, and a period of M-sized steps takes seconds.
PERIOD_STEPS = 1 << 16


@dataclass(frozen=True)
class Setting:
    v: Mukai
    degree: int

    @cached_property
    def m(self) -> int:
        r, c, s = self.v
        return c * c * self.degree - 2 * r * s

    @cached_property
    def modulus(self) -> int:
        return self.m * self.v[0] ** 2

    def right_side(self, t: int, q: int) -> int:
        return self.v[0] ** 2 * (t * t - self.m * q)

    def class_of(self, t: int, xy: Solution) -> Mukai | None:
        """The class a of the solution (X, Y) of (P) for ⟨a, v⟩ = t, or None when it is not integral."""
        r, c, s = self.v
        r_a, rest = divmod(xy[0] + t * r, self.m)
        if rest:
            return None
        c_a, rest = divmod(xy[1] + c * r_a, r)
        if rest:
            return None
        s_a, rest = divmod(c_a * c * self.degree - r_a * s - t, r)
        return None if rest else (r_a, c_a, s_a)

    def center(self, xy: Solution) -> Fraction:
        r, c, _ = self.v
        return Fraction(*self._center_terms(xy))

    def past(self, xy: Solution, cut: Fraction, strict: bool) -> bool:
        """Whether the centre of the wall of xy lies beyond `cut` (or on it, when `strict`): compared
        without building the Fraction, the hot step of the walk."""
        numerator, denominator = self._center_terms(xy)
        difference = numerator * cut.denominator - cut.numerator * denominator
        if denominator < 0:
            difference = -difference
        return difference > 0 or (strict and difference == 0)

    def _center_terms(self, xy: Solution) -> tuple[int, int]:
        """The centre c/r + X/(r·degree·Y) as a numerator and a denominator (not in lowest terms)."""
        r, c, _ = self.v
        return c * self.degree * xy[1] + xy[0], r * self.degree * xy[1]


class Orbits:
    """The solutions of (P) left of the vertical wall, orbit by orbit, each from the vertical wall inwards."""

    def __init__(self, setting: Setting) -> None:
        self.setting = setting
        self.d = setting.m * setting.degree
        self.root = isqrt(self.d)
        self.square = self.root * self.root == self.d
        self.unit, self.negative_unit = (1, 0), None  # ε and a unit of norm −1, if D is not a square
        if not self.square:
            self.pell = PellEquations(self.d)
            (_, _, quotients), = self.pell.expansions(1)
            g, b = convergent(0, 1, quotients)
            if g * g - self.d * b * b == 1:
                self.unit = (g, b)
            else:
                self.unit, self.negative_unit = (g * g + self.d * b * b, 2 * g * b), (g, b)
        self._starts: dict[int, list[Solution]] = {}

    def starts(self, k: int) -> list[Solution]:
        """One solution with X > 0 of each orbit, the first left of the vertical wall (all of them if D is a square)."""
        poll()
        if k not in self._starts:
            self._starts[k] = self._factorisations(k) if self.square else [
                self._first_left(xy) for xy in self._representatives(k)]
        return self._starts[k]

    def _representatives(self, k: int) -> list[Solution]:
        """A solution with X > 0 of every orbit of (P), from the continued fractions of _pell."""
        found = []
        for f, z, quotients in self.pell.expansions(k):
            m = k // (f * f)
            g, b = convergent(z, m, quotients)
            if g * g - self.d * b * b == -m:
                if self.negative_unit is None:
                    continue  # that class of solutions is empty
                t, u = self.negative_unit
                g, b = g * t + b * u * self.d, g * u + b * t
            sign = 1 if g > 0 else -1
            found.append((sign * f * g, sign * f * b))
        return found

    def _first_left(self, xy: Solution) -> Solution:
        """The member of the orbit of xy (X > 0) that is the first left of the vertical wall (Y < 0)."""
        while xy[1] >= 0:
            poll()
            xy = self.inwards(xy)
        while (outer := self.outwards(xy))[1] < 0:
            poll()
            xy = outer
        return xy

    def _factorisations(self, k: int) -> list[Solution]:
        g = self.root
        found = []
        divisors = [1]
        for p, power in _factorised(k):  # the divisors e <= √k of k, ascending
            divisors = [x * p ** j for x in divisors for j in range(power + 1)]
        for e in sorted(x for x in divisors if x * x <= k):
            for low, high in ((e, k // e), (k // e, e)):
                # X − g·Y = low, X + g·Y = high (X > 0); left when Y < 0.
                if (low + high) % 2 == 0 and (high - low) % (2 * g) == 0 and high < low:
                    found.append(((low + high) // 2, (high - low) // (2 * g)))
        return list(dict.fromkeys(found))

    def outwards(self, xy: Solution) -> Solution:
        """Multiplication by ε: the solution before xy in its orbit, on a larger wall."""
        x1, y1 = self.unit
        return x1 * xy[0] + self.d * y1 * xy[1], x1 * xy[1] + y1 * xy[0]

    def inwards(self, xy: Solution) -> Solution:
        """Multiplication by ε⁻¹: the next solution of the orbit, on a smaller wall."""
        x1, y1 = self.unit
        return x1 * xy[0] - self.d * y1 * xy[1], x1 * xy[1] - y1 * xy[0]

    def walk(self, start: Solution) -> Iterator[Solution]:
        """The orbit from start inwards (start alone if D is a square)."""
        xy = start
        while True:
            yield xy
            poll()
            if self.square:
                return
            xy = self.inwards(xy)

    def first_class(self, t: int, start: Solution) -> tuple[Solution, Mukai] | None:
        """The outermost solution of the orbit of ±start that is a class with ⟨a, v⟩ = t, if any."""
        setting = self.setting
        modulus = setting.modulus
        first = (start[0] % modulus, start[1] % modulus)
        residue, steps = first, 0
        while True:  # one period of the orbit modulo M
            poll()
            for sign in (1, -1):
                if setting.class_of(t, (sign * residue[0], sign * residue[1])) is not None:
                    xy = start
                    for step in range(steps):
                        if step % 1024 == 0:
                            poll()
                        xy = self.inwards(xy)
                    signed = (sign * xy[0], sign * xy[1])
                    a = setting.class_of(t, signed)
                    assert a is not None
                    return signed, a
            if self.square:
                return None
            residue = tuple(x % modulus for x in self.inwards(residue))  # type: ignore[assignment]
            steps += 1
            if steps > PERIOD_STEPS:
                raise ValueError(f"v = {setting.v} on degree {setting.degree}: the orbits of its classes repeat "
                                 f"modulo M = v²·r² = {modulus:,} only after more than {PERIOD_STEPS:,} steps (a class that "
                                 "far along has entries of tens of thousands of digits); its walls are not listed")
            if residue == first:
                return None


def pairs_asked(m: int, limit: int) -> tuple[int, bool]:
    """How many pairs (t, q) = (⟨a, v⟩, a²) the walk asks about for v² = m: the three divisorial ones and
    the flop ones of _walls (for each t in 1..m/2 the spherical q = −2 and q in 0..(t² − 1)//m), each a
    Pell equation (P) to solve. Returns (count, exact): exact counts while the count is at most `limit`,
    else (a lower bound > limit, False) without a loop of m/2 steps: as ⌊(t² − 1)/m⌋ >= (t² − m)/m,
    the count is at least 3 + h + h·(h + 1)·(2h + 1)/(6m) with h = ⌊m/2⌋.
    """
    h = m // 2
    bound = 3 + h + h * (h + 1) * (2 * h + 1) // (6 * m)
    if bound > limit:
        return bound, False
    return 3 + sum(2 + (t * t - 1) // m for t in range(1, h + 1)), True
