"""The continued fractions that solve X² − d·Y² = k (d > 0 not a square, k > 0), after Lagrange,
Matthews and Mollin: every solution is ±f·(G, B) times a unit, for a square f² dividing k and a
pair (G, B) read off the expansion of (z + √d)/m, m = k/f², z² ≡ d (mod m).

The expansion. For each f >= 1 with f² | k and each z with −m/2 < z <= m/2, z² ≡ d (mod m),
the partial quotients a_j of (z + √d)/m are followed up to the first complete quotient
(P_i + √d)/Q_i with Q_i = ±1 (i >= 1), when one comes within the first period; expansions that
never reach one are left out. With G_{−2} = −z, G_{−1} = m, B_{−2} = 1, B_{−1} = 0 and
G_j = a_j·G_{j−1} + G_{j−2} (B alike), G_{i−1}² − d·B_{i−1}² = (−1)^i·Q_i·m (`convergent`).

Why it is complete (the LMM theorem): a solution (X, Y) with gcd f has (X/f, Y/f) primitive of
norm m, so X ≡ z·Y (mod m) for one root z of d modulo m, and that class of primitive solutions,
if not empty, holds (G_{i−1}, B_{i−1}) when its norm is m; a norm −m is turned into m by a unit
of norm −1, and without one the class is empty. For k = 1 (f = 1, z = 0) the expansion is that
of √d over its first period: the least unit, of norm (−1)^i.

Why it ends. The complete quotients keep |P| <= √d + m and 0 < |Q| <= 2·√d + m, so finitely
many pairs (P, Q) occur, and from the first reduced one on the expansion goes round a period:
either the period of √d, which holds Q = 1, or one without Q = ±1, which ends the search at
once (see PellEquations._quotients_to_unit). Python's integers make every
step exact at any size, and Ctrl-C stops a long expansion between two steps.
"""

from __future__ import annotations

from math import isqrt
from typing import NamedTuple


# The longest period of √d kept as a set of pairs (P, Q), some 10 MB.
PERIOD_KEPT = 1 << 16


class PellExpansion(NamedTuple):
    f: int  # the square factor: f² divides k
    z: int  # −m/2 < z <= m/2, z² ≡ d (mod m), m = k/f²
    quotients: tuple[int, ...]  # a_0 ... a_{i−1}, for the first i >= 1 with Q_i = ±1


class PellEquations:
    """The equations X² − d·Y² = k of one d > 0, not a square, and the expansions that solve them."""

    def __init__(self, d: int) -> None:
        root = isqrt(d) if d > 0 else 0
        if d <= 0 or root * root == d:
            raise ValueError(f"PellEquations needs d > 0 not a square, not {d}")
        self.d, self.root = d, root
        # The period of √d, from its first reduced complete quotient root + √d over d − root²
        # (all its Q are > 0, so each partial quotient is floor((P + root)/Q)); None when it is
        # longer than PERIOD_KEPT, not to hold a huge d's period in memory.
        pairs: set[tuple[int, int]] = set()
        p, q = root, d - root * root
        while (p, q) not in pairs and len(pairs) < PERIOD_KEPT:
            pairs.add((p, q))
            p = (p + root) // q * q - p
            q = (d - p * p) // q
        self._principal = pairs if (p, q) in pairs else None
        self._by_m: dict[int, list[tuple[int, tuple[int, ...]]]] = {}

    def expansions(self, k: int) -> list[PellExpansion]:
        """The expansions that reach Q_i = ±1, for every square factor f² of k > 0 and every root z (see above)."""
        found = []
        for f in range(1, isqrt(k) + 1):
            if k % (f * f):
                continue
            m = k // (f * f)
            if m not in self._by_m:  # the same m comes back for many k
                self._by_m[m] = [(z, quotients) for z in _square_roots(self.d, m)
                                 if (quotients := self._quotients_to_unit(z, m))]
            found += [PellExpansion(f, z, quotients) for z, quotients in self._by_m[m]]
        return found

    def _quotients_to_unit(self, z: int, m: int) -> tuple[int, ...]:
        """The quotients of (z + √d)/m up to the first Q_i = ±1 with i >= 1, or none.

        Past finitely many steps the complete quotients are reduced (ξ > 1, −1 < ξ' < 0: Q > 0,
        P <= root < P + Q and Q <= P + root), and by Galois' theorem the reduced ones go round a
        cycle. The only reduced one with Q = 1 is root + √d, of the period of √d: so once reduced,
        the expansion meets Q = 1 exactly when it has come into that period, and never Q = −1;
        without that period at hand, the first reduced one coming back ends it.
        """
        quotients = []
        p, q, d, root, principal = z, m, self.d, self.root, self._principal
        first_reduced = None
        while True:
            if first_reduced is None:
                if 0 < q <= p + root and p <= root < p + q:
                    if principal is not None and (p, q) not in principal:
                        return ()
                    first_reduced = p, q
            elif p == first_reduced[0] and q == first_reduced[1]:
                return ()  # a whole period without Q = ±1 (when the period of √d is not kept)
            # floor((p + √d)/q): √d is irrational, so floor((p + root)/q) for q > 0, and for
            # q < 0 minus the ceiling of (p + √d)/|q|, −(floor((p + root)/|q|) + 1).
            a = (p + root) // q if q > 0 else -((p + root) // -q) - 1
            quotients.append(a)
            # Q_{i+1}·Q_i = d − P_{i+1}², and Q_i divides it exactly (Q_0 | d − z²).
            p = a * q - p
            q = (d - p * p) // q
            if q == 1 or q == -1:
                return tuple(quotients)


def _square_roots(d: int, m: int) -> list[int]:
    """The z with z² ≡ d (mod m) and −m/2 < z <= m/2, in order: those >= 0 and their negatives."""
    residue = d % m
    upper = [z for z in range(m // 2 + 1) if z * z % m == residue]
    return [-z for z in reversed(upper) if 0 < 2 * z < m] + upper


def convergent(z: int, m: int, quotients: tuple[int, ...]) -> tuple[int, int]:
    """(G_{i−1}, B_{i−1}) of the expansion of (z + √d)/m: G from (−z, m), B from (1, 0), by x_j = a_j·x_{j−1} + x_{j−2}."""
    g0, g1, b0, b1 = -z, m, 1, 0
    for a in quotients:
        g0, g1 = g1, a * g1 + g0
        b0, b1 = b1, a * b1 + b0
    return g1, b1
