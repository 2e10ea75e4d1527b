"""The command line's sweep: varnolt-walls sweep FILE|- [--what W] [--max-rank N] [--jobs N]."""

from __future__ import annotations

import argparse
import json
from collections.abc import Iterable, Iterator
from contextlib import closing
from typing import TYPE_CHECKING, Any

import numpy as np

from ..classes._arguments import INT64, ExactRow, exact_d, shown
from ..classes._errors import IrrationalBetaError
from ..classes._options import Surface, checked_surface
from ..search._schema import candidates_json, candidates_start, document, header
from ..search._walls import Walls, walls_document
from ..sweep import sweep
from ..sweep._tasks import Result, What
from ._console import (BAD_CLASS, CLASS_FORMS, Output, Stop, class_row, error_text, positive, read_lines,
                       search_options)

if TYPE_CHECKING:
    from ._console import Parser

DESCRIPTION = """\
The searches of many Chern characters at once, spread over all cores. FILE
(or - for standard input) holds one Chern character v = (R, C·ℓ, (D/2)·ℓ²)
per line as three integers "R C D" (D = 2·ch2, p/q on a surface of degree
n >= 3), or with --lines FORM as a class in that form ("--lines ch" reads
"R C1 CH2", CH2 in units of ℓ²); blank lines and everything after a # are
skipped. The whole input is checked before any search starts.

Standard output gets one JSON object per v, in input order (JSON Lines), as
varnolt-walls walls R C D --format json writes it (see varnolt-walls walls --help),
with the options of its search:
  {"chern_character": [R, C, D], "surface": null, "side": "left", "max_rank": null,
   "above": null, "complete": true, "beta_minus": {...}, "count": N}
with "walls" or "candidates" in place of "count" (--what), or, for a v whose
search failed, "complete": false and
  "error": {"type": "ValueError", "message": "..."}
Each line is written whole, also when Ctrl-C comes while a full pipe holds it
back. A progress bar goes to standard error when it is a terminal (needs tqdm)."""

EPILOG = """\
exit status: 0 every v done, 1 some v failed (each has its "error" object in
the output; the others are done), 2 bad arguments or a bad input line (one
line on stderr naming it, nothing searched), 130 interrupted (Ctrl-C; no
worker is left running), 141 the reader of the output went away.

example: printf '1 0 -4\\n1 0 -16\\n3 2 -1\\n' | varnolt-walls sweep - --max-rank 10
         printf '2\\n3\\n' | varnolt-walls sweep - --lines ideal-sheaf --surface P2"""


def add_sweep_command(commands: argparse._SubParsersAction[Parser]) -> None:
    p = commands.add_parser("sweep", help="the searches of many Chern characters, read from a file",
                            description=DESCRIPTION, epilog=EPILOG,
                            formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("file", metavar="FILE", help="the Chern characters, one 'R C D' per line; - for stdin")
    p.add_argument("--what", choices=["count", "walls", "candidates"], default="count",
                   help="what to compute for each v (default: count)")
    p.add_argument("--jobs", metavar="N", type=positive, help="worker threads (default: one per core)")
    p.add_argument("--lines", choices=[name.replace("_", "-") for name in CLASS_FORMS], metavar="FORM",
                   help="read each line as a class in that form, on the surface of --surface or --degree, "
                        "as the walls command's option of that name reads it: ch ('R C1 CH2', CH2 in units "
                        "of ℓ²), chern-classes ('R C1 C2'), mukai ('R C S') or ideal-sheaf ('N'); "
                        "default: 'R C D', D = 2·ch2")
    p.set_defaults(run=run_sweep)


def chern_characters(lines: Iterable[str], name: str, form: str | None = None,
                     surface: Surface | None = None) -> list[ExactRow]:
    """The v of the input, in order (D an integer or p/q, or each line a class in `form` on `surface`);
    Stop (status 2) names the first bad line."""
    found: list[ExactRow] = []
    for number, line in enumerate(lines, 1):
        words = line.split("#", 1)[0].split()
        if not words:
            continue
        if form is not None:
            expected = CLASS_FORMS[form][0]
            try:
                if len(words) != len(expected.split()):
                    raise ValueError(f"expected '{expected}'")
                found.append(class_row(form, words, surface)[0])
            except BAD_CLASS as error:
                raise Stop(f"{name}, line {number}: {error}, got {shown(line.strip())!r}", 2) from None
            continue
        try:
            values = [int(word) for word in words[:2]] + [exact_d(word) for word in words[2:]]
        except (ValueError, OverflowError, TypeError):
            values = []
        if len(values) != 3 or not all(INT64[0] <= x <= INT64[1] for x in values[:2]):
            raise Stop(f"{name}, line {number}: expected 'R C D', signed 64-bit integers (D also p/q), "
                       f"got {shown(line.strip())!r}", 2)
        found.append((int(values[0]), int(values[1]), values[2]))
    return found


def line_pieces(v: ExactRow, what: What, options: dict[str, Any], result: Result | Exception) -> Iterator[str]:
    """The JSON object of one v, in pieces."""
    start = header(v, options, searched=not isinstance(result, Exception))
    if isinstance(result, IrrationalBetaError):  # in the words of the command line
        result = IrrationalBetaError(result.chern_character, "--max-rank N")
    if isinstance(result, Exception):
        error = {"type": type(result).__name__, "message": error_text(result)}
        return document(start, "error", [json.dumps(error, ensure_ascii=False)])
    if isinstance(result, np.ndarray):
        return document(candidates_start(start, result), what, candidates_json(result))
    if isinstance(result, Walls):
        return walls_document(result)
    return document(start, what, [str(result)])


def run_sweep(args: argparse.Namespace, out: Output) -> int:
    options = search_options(args)
    form = None if args.lines is None else args.lines.replace("-", "_")
    if form is not None:
        options["surface"] = checked_surface(options["surface"])
    vs = chern_characters(read_lines(args.file), "<stdin>" if args.file == "-" else shown(args.file), form,
                          options["surface"])
    what: What = args.what
    failed = False
    with closing(sweep(vs, what, **options, jobs=args.jobs)) as results:
        for v, result in results:
            failed = failed or isinstance(result, Exception)
            out.write("".join(line_pieces(v, what, options, result)) + "\n")
            out.flush()  # the line whole, at once: its reader sees each v as it is done
    return 1 if failed else 0

