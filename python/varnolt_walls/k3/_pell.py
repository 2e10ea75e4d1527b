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
step exact at any size, and Ctrl-C stops a long expansion between two steps (in a worker thread too:
see _interrupt).
"""

from __future__ import annotations

from math import isqrt
from typing import NamedTuple

from ._interrupt import poll


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
            poll()
            p = (p + root) // q * q - p
            q = (d - p * p) // q
        self._principal = pairs if (p, q) in pairs else None
        self._by_m: dict[int, list[tuple[int, tuple[int, ...]]]] = {}

    def expansions(self, k: int) -> list[PellExpansion]:
        """The expansions that reach Q_i = ±1, for every square factor f² of k > 0 and every root z (see above)."""
        poll()
        found = []
        # A small k tries each f (quicker there); a larger one has its square factors from its primes.
        squares: list[tuple[int, list[tuple[int, int]] | None]] = (
            [(f, None) for f in range(1, isqrt(k) + 1) if k % (f * f) == 0] if k <= 4096
            else list(_square_factors(_factorised(k))))
        for f, factors in squares:
            m = k // (f * f)
            if m not in self._by_m:  # the same m comes back for many k
                self._by_m[m] = [(z, quotients) for z in _square_roots(self.d, m, factors)
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
        quotients: list[int] = []
        p, q, d, root, principal = z, m, self.d, self.root, self._principal
        first_reduced = None
        while True:
            if len(quotients) % 64 == 63:
                poll()
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


def _square_roots(d: int, m: int, factors: list[tuple[int, int]] | None = None) -> list[int]:
    """The z with z² ≡ d (mod m) and −m/2 < z <= m/2, in order: those >= 0 and their negatives.

    From the roots modulo each prime power p^e of m, joined by the Chinese remainder theorem:
    modulo p by Tonelli–Shanks (p odd, p ∤ d; 0 alone when p | d) or by trying each residue
    (p < 64), then lifted from p^j to p^(j+1) by trying the p residues z + i·p^j that reduce to
    a root z modulo p^j (every root modulo p^(j+1) reduces to one modulo p^j); p^2 | m makes p <= √m.
    `factors` are those of m when known. A small m is scanned whole, which is quicker there.
    """
    if m <= 128:
        upper = [z for z in range(m // 2 + 1) if (z * z - d) % m == 0]
        return [-z for z in reversed(upper) if 0 < 2 * z < m] + upper
    roots, modulus = [0], 1
    for p, e in _factorised(m) if factors is None else factors:
        local = _roots_modulo_prime(d, p)
        power = p
        for _ in range(e - 1):
            local = [z + i * power for z in local for i in range(p) if ((z + i * power) ** 2 - d) % (power * p) == 0]
            power *= p
        if not local:
            return []
        # CRT: x ≡ r (mod modulus), x ≡ z (mod power).
        inverse = pow(modulus, -1, power)
        roots = [r + modulus * ((z - r) * inverse % power) for r in roots for z in local]
        modulus *= power
    upper = sorted(z for z in roots if 2 * z <= m)
    lower = sorted(m - z for z in roots if 2 * z > m)
    return [-z for z in reversed(lower)] + upper


def _roots_modulo_prime(d: int, p: int) -> list[int]:
    """The z in 0..p − 1 with z² ≡ d (mod p), p prime."""
    d %= p
    if d == 0 or p < 64:
        return [z for z in range(p) if z * z % p == d]
    if pow(d, (p - 1) // 2, p) != 1:
        return []
    # Tonelli–Shanks: p − 1 = q·2^s with q odd, n a non-residue.
    q, s = p - 1, 0
    while q % 2 == 0:
        q, s = q // 2, s + 1
    n = 2
    while pow(n, (p - 1) // 2, p) != p - 1:
        n += 1
    z, c, t, r = s, pow(n, q, p), pow(d, q, p), pow(d, (q + 1) // 2, p)
    while t != 1:
        i, t2 = 0, t
        while t2 != 1:
            t2, i = t2 * t2 % p, i + 1
        b = pow(c, 1 << (z - i - 1), p)
        z, c, t, r = i, b * b % p, t * b * b % p, r * b % p
    return sorted({r, p - r})


# The primes found so far by the sieve of _primes_to, in order; it sieves no further than SIEVED.
_primes = [2, 3, 5, 7]
SIEVED = 1 << 20


def _primes_to(bound: int) -> list[int]:
    """The primes <= min(bound, SIEVED) at least (the sieve of Eratosthenes, kept and grown on demand)."""
    global _primes
    bound = min(bound, SIEVED)
    if _primes[-1] < bound:
        size = min(max(bound, 2 * _primes[-1]), SIEVED) + 1
        sieve = bytearray([1]) * size
        sieve[:2] = b"\0\0"
        for p in range(2, isqrt(size - 1) + 1):
            if sieve[p]:
                sieve[p * p::p] = bytes(len(range(p * p, size, p)))
        _primes = [p for p in range(size) if sieve[p]]
    return _primes


def _factorised(n: int) -> list[tuple[int, int]]:
    """The primes of n > 0 with their exponents, by trial division (n here is a right side K,
    <= r²·((v²)²/4 + 2v²)): by the sieved primes to √n, and past SIEVED by every odd number."""
    found = []

    def divide(p: int) -> None:
        nonlocal n
        e = 0
        while n % p == 0:
            n, e = n // p, e + 1
        found.append((p, e))

    primes = _primes_to(isqrt(n))
    for i, p in enumerate(primes):
        if p * p > n:
            break
        if n % p == 0:
            divide(p)
        if i % 4096 == 4095:
            poll()
    p = primes[-1] + 2
    while p * p <= n:
        if n % p == 0:
            divide(p)
        if p % 8192 == 1:
            poll()
        p += 2
    if n > 1:
        found.append((n, 1))
    return found


def _square_factors(factors: list[tuple[int, int]]) -> list[tuple[int, list[tuple[int, int]]]]:
    """(f, the factors of n/f²) for every f with f² | n, ascending, from the factors of n."""
    found: list[tuple[int, list[tuple[int, int]]]] = [(1, [])]
    for p, e in factors:
        found = [(f * p ** j, [*rest, (p, e - 2 * j)] if e > 2 * j else rest) for f, rest in found for j in range(e // 2 + 1)]
    return sorted(found)  # the f differ, so the lists are never compared


def convergent(z: int, m: int, quotients: tuple[int, ...]) -> tuple[int, int]:
    """(G_{i−1}, B_{i−1}) of the expansion of (z + √d)/m: G from (−z, m), B from (1, 0), by x_j = a_j·x_{j−1} + x_{j−2}."""
    g0, g1, b0, b1 = -z, m, 1, 0
    for a in quotients:
        g0, g1 = g1, a * g1 + g0
        b0, b1 = b1, a * b1 + b0
    return g1, b1
