"""The JSON form of a search's result, the same for the command line and each line of a sweep.

    {"chern_character": [R, C, D], "surface": null | "P2" | "ℓ² = n", "degree": null | n,
     "d_scale": s, "side": "left" | "right" | "both",
     "max_rank": N | null, "above": null | ["p/q", "p/q"], "complete": true | false,
     "beta_minus": {"text": "-√2", "float": -1.414..., "c": 0, "discriminant": 2, "r": 1}
                 | {"text": "-4", "float": -4.0, "fraction": [-4, 1]} | null,
     "wall_count": N, "walls": [...] | "candidates": [[r, c, s·d], ...] | "count": N | "error": {"type": ..., "message": ...}}

D, and d of a wall's classes, is an integer or, on a surface of degree n >= 3, a text "p/q"
where it is not one; the rows of "candidates" carry s·d, an integer (s = 1 but on such a surface).
A wall is {"center": "p/q", "radius_squared": "p/q", "semistabilizers": [[r, c, d], ...],
"side": "left" | "right", "classes": [{"ch": [r, c1, ch2], "name": "O(-1)" | null,
"quotient": [r, c1, ch2], "quotient_name": ... | null}, ...]}, ch2 = d/2 in units of ℓ² (an int
or "p/q"). "wall_count" is the number of walls (in a document of walls only). With "side": "both",
candidates come with "side_rows": [["left", N], ["right", M]].

The document is produced as pieces of text, so that a large one is written as it
is made rather than held whole. The walls' part is written beside the walls (_walls.wall_document),
and read back by _walls_json.
"""

from __future__ import annotations

import json
from collections.abc import Iterable, Iterator
from decimal import MAX_EMAX, MIN_EMIN, Decimal, Inexact, localcontext
from fractions import Fraction
from typing import Any

import numpy as np
from numpy.typing import NDArray

from ..classes._arguments import ExactRow
from ..classes._options import SearchOptions, Surface, unshifted
from ..quadratic_irrational import QuadraticIrrational
from ._beta import exact_beta_minus, no_real_beta
from ._described import complete

ROWS_PER_PIECE = 4096

Beta = Fraction | QuadraticIrrational | None


def json_number(x: int | Fraction) -> int | str:
    """An int as it is, a Fraction as "p/q" (an integral one as its int)."""
    if isinstance(x, Fraction):
        return int(x) if x.denominator == 1 else str(x)
    return x


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
    checked = SearchOptions.checked(options["max_rank"], surface, options["side"], above)
    return {"chern_character": [json_number(x) for x in v], "surface": None if surface is None else str(surface),
            "degree": degree, "d_scale": Surface(degree).d_scale if degree else 1, "side": options["side"],
            "max_rank": options["max_rank"], "above": None if above is None else [exact_text(above[0]), exact_text(above[1])],
            "complete": searched and complete(v, checked), "beta_minus": beta_document(beta)}


def listed(pieces: Iterable[str]) -> Iterator[str]:
    yield "["
    for i, piece in enumerate(pieces):
        yield piece if i == 0 else ", " + piece
    yield "]"


def candidates_start(start: dict[str, object], rows: NDArray[np.int64]) -> dict[str, object]:
    """The header of a document of candidates: for side="both", with the rows of each side."""
    side_rows = getattr(rows, "side_rows", ())
    return start | {"side_rows": [list(pair) for pair in side_rows]} if start["side"] == "both" else start


def candidates_json(rows: NDArray[np.int64]) -> Iterator[str]:
    # Some thousand rows at a time: a Python list of each row only for those.
    return listed(json.dumps(rows[i:i + ROWS_PER_PIECE].tolist())[1:-1]
                   for i in range(0, len(rows), ROWS_PER_PIECE))


def document(start: dict[str, object], key: str, value: Iterable[str]) -> Iterator[str]:
    """The pieces of the document `start` + {key: value}, `value` given as pieces of JSON."""
    text = json.dumps(start, ensure_ascii=False)
    yield f"{text[:-1]}, {json.dumps(key)}: "
    yield from value
    yield "}"
