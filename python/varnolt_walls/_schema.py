"""The JSON form of a search's result, the same for the command line and each line of a sweep.

    {"chern_character": [R, C, D], "surface": null | "P2" | "ℓ² = n", "degree": null | n,
     "d_scale": s, "side": "left" | "right",
     "max_rank": N | null, "above": null | ["p/q", "p/q"], "complete": true | false,
     "beta_minus": {"text": "-√2", "float": -1.414..., "c": 0, "discriminant": 2, "r": 1}
                 | {"text": "-4", "float": -4.0, "fraction": [-4, 1]} | null,
     "walls": [...] | "candidates": [[r, c, s·d], ...] | "count": N | "error": {"type": ..., "message": ...}}

D, and d of a wall's classes, is an integer or, on a surface of degree n >= 3, a text "p/q"
where it is not one; the rows of "candidates" carry s·d, an integer (s = 1 but on such a surface).

The document is produced as pieces of text, so that a large one is written as it
is made rather than held whole.
"""

from __future__ import annotations

import json
from collections.abc import Iterable, Iterator
from decimal import MAX_EMAX, MIN_EMIN, Decimal, Inexact, localcontext
from fractions import Fraction
from typing import Any

import numpy as np
from numpy.typing import NDArray

from ._arguments import ExactRow, lattice_row
from ._beta import exact_beta_minus, no_real_beta
from ._options import Surface, dual, mirrored, unshifted
from ._walls import Wall
from .quadratic_irrational import QuadraticIrrational

ROWS_PER_PIECE = 4096

Beta = Fraction | QuadraticIrrational | None


def _json_number(x: int | Fraction) -> int | str:
    """An int as it is, a Fraction as "p/q" (an integral one as its int)."""
    if isinstance(x, Fraction):
        return int(x) if x.denominator == 1 else str(x)
    return x


def complete(v: ExactRow, options: dict[str, Any]) -> bool:
    """Whether the list of a search that ran is every pseudo-wall of v on its surface and side.

    Not when it keeps the walls over a point. Without a rank bound it is.
    With one, it is when β₋ = m/n of the searched v (v, or its dual for the
    right walls) is rational and the bound is at least X² (X = c·n − r·m),
    the largest rank a candidate can have; an irrational β₋ has candidates
    of every rank.
    """
    if options["above"] is not None:
        return False
    if options["max_rank"] is None:
        return True
    # The search's coordinates (r, λ·c, λ²·d), where its rank bound X² holds.
    surface = options["surface"]
    v = unshifted(lattice_row(v, 1 if not isinstance(surface, Surface) else surface.scale))
    searched = dual(v) if mirrored(v, options["side"]) else v
    beta = None if no_real_beta(searched) else exact_beta_minus(searched)
    if not isinstance(beta, Fraction):
        return False
    r, c, _ = searched
    x = c * beta.denominator - r * beta.numerator
    return bool(options["max_rank"] >= x * x)


def exact_text(x: Fraction) -> str:
    """x as "p/q" (or "p"), for any size: Decimal writes the digits of an int that str() refuses
    beyond 4300 digits."""
    numerator = str(Decimal(x.numerator))
    return numerator if x.denominator == 1 else f"{numerator}/{Decimal(x.denominator)}"


def readable_text(x: Fraction) -> str:
    """x for people: "p/q" while both have at most 38 digits, else ten digits in scientific
    notation ("1e-5000", "≈1.234567890e+60")."""
    if max(x.numerator.bit_length(), x.denominator.bit_length()) <= 126:
        return str(x)
    with localcontext(prec=10, Emax=MAX_EMAX, Emin=MIN_EMIN) as context:
        value = Decimal(x.numerator) / Decimal(x.denominator)
        approximate = context.flags[Inexact]
    return f"{'≈' if approximate else ''}{value.normalize():e}"


def beta_document(beta: Beta) -> dict[str, object] | None:
    """β₋ for programs: its text, nearest float and exact form."""
    if beta is None:
        return None
    exact: dict[str, object] = (
        {"fraction": [beta.numerator, beta.denominator]} if isinstance(beta, Fraction)
        else {"c": beta.c, "discriminant": beta.discriminant, "r": beta.r})
    return {"text": str(beta), "float": float(beta)} | exact


def header(v: ExactRow, options: dict[str, Any], searched: bool = True) -> dict[str, object]:
    """The fields that every document starts with: v, the options of its search, whether the
    list is complete (`searched` False for a search that failed) and β₋ of v."""
    above = options["above"]
    beta = None if no_real_beta(v) else exact_beta_minus(unshifted(v))  # where the walls of v accumulate
    surface = options["surface"]
    degree = surface.degree if isinstance(surface, Surface) else 1 if surface else None
    return {"chern_character": [_json_number(x) for x in v], "surface": None if surface is None else str(surface),
            "degree": degree, "d_scale": Surface(degree).d_scale if degree else 1, "side": options["side"],
            "max_rank": options["max_rank"], "above": None if above is None else [exact_text(above[0]), exact_text(above[1])],
            "complete": searched and complete(v, options), "beta_minus": beta_document(beta)}


def wall_document(wall: Wall) -> dict[str, object]:
    """A wall: center and radius² as exact "p/q" texts, and the candidates that give it."""
    return {"center": str(wall.center), "radius_squared": str(wall.radius_squared),
            "semistabilizers": [[_json_number(x) for x in u] for u in wall.semistabilizers]}


def _listed(pieces: Iterable[str]) -> Iterator[str]:
    yield "["
    for i, piece in enumerate(pieces):
        yield piece if i == 0 else ", " + piece
    yield "]"


def walls_json(found: Iterable[Wall]) -> Iterator[str]:
    return _listed(json.dumps(wall_document(w), ensure_ascii=False) for w in found)


def candidates_json(rows: NDArray[np.int64]) -> Iterator[str]:
    # Some thousand rows at a time: a Python list of each row only for those.
    return _listed(json.dumps(rows[i:i + ROWS_PER_PIECE].tolist())[1:-1]
                   for i in range(0, len(rows), ROWS_PER_PIECE))


def document(start: dict[str, object], key: str, value: Iterable[str]) -> Iterator[str]:
    """The pieces of the document `start` + {key: value}, `value` given as pieces of JSON."""
    text = json.dumps(start, ensure_ascii=False)
    yield f"{text[:-1]}, {json.dumps(key)}: "
    yield from value
    yield "}"
