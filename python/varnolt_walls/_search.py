"""The search of varnolt's core, with its results in compact form."""

from __future__ import annotations

import operator
from collections.abc import Callable
from math import isqrt
from typing import TypeVar

import numpy as np
from numpy.typing import NDArray

from . import _native

T = TypeVar("T")

IRRATIONAL = "β_ is not rational: ∞ walls"


def _irrational_beta(r: int, c: int, d: int) -> bool:
    discriminant = c * c - r * d
    return r > 0 and discriminant > 0 and isqrt(discriminant) ** 2 != discriminant


def irrational_hint(r: int, c: int, d: int, option: str = "max_rank=R") -> str:
    """Why the search stops at an irrational β₋, and what to do: pass a rank bound."""
    return (f"β₋ of ({r}, {c}, {d}) is irrational, so there are infinitely many pseudo-walls; "
            f"pass {option} to list those of the candidates of rank at most {option[-1]}")


# A search's progress callback: called with (done, total) steps.
ProgressCallback = Callable[[int, int], object]


def _search(native: Callable[[int, int, int, int | None, ProgressCallback | None], T], r: int, c: int,
            d: int, max_rank: int | None, progress: ProgressCallback | None = None) -> T:
    """native(r, c, d, bound, progress) with max_rank checked; an irrational β₋
    without a bound is a ValueError that keeps the search's message and says to pass one."""
    if max_rank is None:
        try:
            return native(r, c, d, None, progress)
        except RuntimeError as error:
            # The search also stops so when v has no real β₋ at all; only an
            # irrational one (rank > 0, c² − r·d > 0 not a square) has
            # candidates of every rank, which a bound makes finitely many.
            if str(error) == IRRATIONAL and _irrational_beta(*map(operator.index, (r, c, d))):
                raise ValueError(f"{IRRATIONAL}: {irrational_hint(r, c, d)}") from None
            raise
    bound = operator.index(max_rank)
    if bound < 0:
        raise ValueError(f"max_rank must be >= 0, not {bound}")
    return native(r, c, d, bound, progress)


def candidates(r: int, c: int, d: int, *, max_rank: int | None = None,
               progress: ProgressCallback | None = None) -> NDArray[np.int64]:
    """The candidate left pseudo-semistabilizers of v = (r, c·ℓ, (d/2)·ℓ²), as an array.

    The rows are those of ``varnolt.pseudo_semistabilizers(r, c, d)``, in the
    same order (by twisted ch1 q, then rank, then ch2), without the
    announcement. The array is built straight from the search's output: 24
    bytes per candidate, no Python object per row. The interpreter lock is
    released while the search runs, and Ctrl-C interrupts it.

    Parameters
    ----------
    r, c, d : int
        Rank, ch1 = c·ℓ and ch2 = (d/2)·ℓ² of v, each a signed 64-bit integer.
    max_rank : int, optional
        Only the candidates of rank at most `max_rank` (>= 0), in the same
        order. For a rational β₋ this is the full list without the ranks
        above it, and the search never visits them. An irrational β₋
        (r > 0, c² − r·d > 0 not a square) has infinitely many candidates,
        whose pseudo-walls accumulate at β₋, so there it is required: the
        candidates are then every (r', c', d') with 1 <= r' <= max_rank that
        meets the search's conditions at the exact β₋ = (c − √Δ)/r, ordered
        by q = c' − r'·β₋ as a real number, then r', then d'.
    progress : callable, optional
        Called as ``progress(done, total)`` now and then while a long search
        runs (at most every 50 ms, with the interpreter lock held): ``done``
        of ``total`` steps, the values of q for a rational β₋, ranks of
        `max_rank` for an irrational one. An exception it raises ends the
        search and propagates.

    Returns
    -------
    numpy.ndarray
        Shape (N, 3), dtype int64, writable; row i is (r, c, d) of candidate i.

    Raises
    ------
    RuntimeError
        When the search cannot proceed, with its message, e.g.
        "β_ is not rational: ∞ walls" when v has no real β₋.
    ValueError
        When β₋ is irrational and `max_rank` is not given (the message starts
        with the search's and says to pass `max_rank`), or `max_rank` is
        negative.
    OverflowError
        When an argument or a value the search needs leaves 64 bits (128 bits
        for the intermediate values of an irrational β₋).
    MemoryError
        When the result (or, for an irrational β₋, one record per rank up to
        `max_rank`) does not fit in memory.

    Examples
    --------
    >>> candidates(2, 1, -4)
    array([[ 1,  0,  0],
           [ 2,  0, -1],
           [ 2,  0,  0],
           [ 3, -1,  0]])
    >>> candidates(2, 1, -4, max_rank=2)
    array([[ 1,  0,  0],
           [ 2,  0, -1],
           [ 2,  0,  0]])
    >>> candidates(1, 0, -1).shape
    (0, 3)

    One point in the plane, β₋ = -√2: O(-1) = (1, -1, 1) comes first.

    >>> candidates(1, 0, -2, max_rank=12)
    array([[  1,  -1,   1],
           [  9, -12,  16],
           [  2,  -2,   2],
           [  5,  -6,   7]])
    """
    rows = _search(_native.candidates, r, c, d, max_rank, progress)
    return np.frombuffer(rows, dtype=np.int64).reshape(-1, 3)


def count(r: int, c: int, d: int, *, max_rank: int | None = None,
          progress: ProgressCallback | None = None) -> int:
    """The number of candidate left pseudo-semistabilizers of v = (r, c·ℓ, (d/2)·ℓ²).

    The same as ``len(candidates(r, c, d, max_rank=max_rank))``, without
    building the rows. It takes the same time as the search, and raises the
    same errors as :func:`candidates`; `max_rank` and `progress` are as there
    (`max_rank` is required when β₋ is irrational).

    Examples
    --------
    >>> count(1, 0, -40000)
    8057113
    >>> count(1, 0, -2, max_rank=12), count(1, 0, -2, max_rank=1000)
    (4, 9)
    """
    return _search(_native.count, r, c, d, max_rank, progress)
