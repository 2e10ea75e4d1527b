"""The command line's moduli: varnolt-walls moduli R C D [--format text|json], or a class form in place
of R C D (--ch, --chern-classes, --ideal-sheaf), always on P²."""

from __future__ import annotations

import argparse
import json
from fractions import Fraction
from typing import TYPE_CHECKING

from ..classes._chern import ChernCharacter
from ._console import Output, Stop, add_class_forms, chern_argument, exact_ch2, int64
from ..plane._moduli import PLANE, PlaneModuli, moduli

if TYPE_CHECKING:
    from ._console import Parser

DESCRIPTION = """\
Whether stable and semistable sheaves with Chern character v = (R, C·ℓ, (D/2)·ℓ²)
exist on the projective plane P2, and the dimension of their moduli space, by the
theorem of Drézet and Le Potier: a non-exceptional stable sheaf exists iff
Δ ≥ δ(μ), μ = C/R, Δ = μ²/2 - ch2/R, and its moduli space has dimension
R²(2Δ - 1) + 1. In place of R C D (D = 2·ch2, with D ≡ C mod 2) v may be given as
  --ch R C1 CH2            ch2 itself (two points: --ch 1 0 -2)
  --chern-classes R C1 C2  c2 in points (T_P2: --chern-classes 2 3 3)
  --ideal-sheaf N          N points (the Hilbert scheme of N points)
A v of negative rank, or of rank 0 with C < 0, is the class of a shifted sheaf E[1]:
the answer is that of -v.

--format json writes one object, v and the sheaf's class (v or -v) as the rows (R, C, D) of
the walls' documents, D = 2·ch2:
  {"chern_character": [2, 0, -4], "sheaf": [2, 0, -4], "stable_exists": true,
   "semistable_exists": true, "exceptional": false, "dimension": 5,
   "expected_dimension": 5, "euler_characteristic": 0, "discriminant": "1",
   "delta": "1", "exceptional_slope": "0", "text": "M(2, 0, −2) on P²: ..."}"""

EPILOG = """\
exit status: 0 done, 1 v cannot be answered (e.g. rank 0 with C = 0; the message on
stderr), 2 bad arguments, 130 interrupted (Ctrl-C), 141 the reader of the output went away.

example: varnolt-walls moduli --chern-classes 2 0 2"""


def add_moduli_command(commands: argparse._SubParsersAction[Parser]) -> None:
    p = commands.add_parser("moduli", help="whether stable sheaves of a Chern character exist on P2, and their "
                            "moduli's dimension", description=DESCRIPTION, epilog=EPILOG,
                            formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("R", type=int64, nargs="?", help="rank")
    p.add_argument("C", type=int64, nargs="?", help="ch1 = C·ℓ")
    p.add_argument("D", type=exact_ch2, nargs="?", help="ch2 = (D/2)·ℓ², an integer with D ≡ C (mod 2)")
    add_class_forms(p)
    p.add_argument("--format", choices=["text", "json"], default="text", help="output format (default: text)")
    p.set_defaults(run=run_moduli)


def moduli_json(found: PlaneModuli) -> str:
    def exact(x: Fraction | None) -> str | None:
        return None if x is None else str(x)

    v, w = found.chern_character, found.sheaf
    return json.dumps({
        "chern_character": list(v.row), "sheaf": list(w.row),  # (r, c, d), d = 2·ch₂: an int on P²
        "stable_exists": found.stable_exists, "semistable_exists": found.semistable_exists,
        "exceptional": found.exceptional, "dimension": found.dimension,
        "expected_dimension": found.expected_dimension, "euler_characteristic": found.euler_characteristic,
        "discriminant": exact(found.discriminant), "delta": exact(found.delta),
        "exceptional_slope": exact(found.exceptional_slope), "text": str(found)}, ensure_ascii=False)


def run_moduli(args: argparse.Namespace, out: Output) -> int:
    (r, c, d), _ = chern_argument(args, PLANE)
    try:
        v = ChernCharacter(r, c, Fraction(d) / 2, PLANE)
    except ValueError as error:
        raise Stop(str(error), 2) from None
    found = moduli(v)
    out.write(f"{moduli_json(found) if args.format == 'json' else found}\n")
    out.flush()
    return 0
