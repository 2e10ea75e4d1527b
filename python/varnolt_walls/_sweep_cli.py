"""The command line's sweep: varnolt-walls sweep FILE|- [--what W] [--max-rank N] [--jobs N]."""

from __future__ import annotations

import argparse
import json
import os
import sys
from collections.abc import Iterable, Sequence
from contextlib import closing
from typing import TextIO

import numpy as np

from ._sweep_tasks import Result, What
from ._walls import Walls
from .cli import INT64, Parser, add_search_options, options_document, search_options, wall_document
from .sweep import sweep

PROG = "varnolt-walls sweep"

DESCRIPTION = """\
The searches of many Chern characters at once, spread over all cores. FILE
(or - for standard input) holds one Chern character v = (R, C·ℓ, (D/2)·ℓ²)
per line as three integers "R C D"; blank lines and everything after a # are
skipped. The whole input is checked before any search starts.

Standard output gets one JSON object per v, in input order (JSON Lines), each
with the options of its search ("max_rank", "surface", "side", "above"):
  {"chern_character": [R, C, D], "count": N}
  {"chern_character": [R, C, D], "walls": [{"center": "-5/2", "radius_squared": "9/4",
                                            "semistabilizers": [[1, -1, 1]]}, ...]}
  {"chern_character": [R, C, D], "candidates": [[r, c, d], ...]}
or, for a v whose search failed,
  {"chern_character": [R, C, D], "error": {"type": "ValueError", "message": "..."}}
A progress bar goes to standard error when it is a terminal (needs tqdm)."""

EPILOG = """\
exit status: 0 every v done, 1 some v failed (each has its "error" object in
the output; the others are done), 2 bad arguments or a bad input line (one
line on stderr naming it, nothing searched), 130 interrupted (Ctrl-C; no
worker is left running).

example: printf '1 0 -4\\n1 0 -16\\n3 2 -1\\n' | varnolt-walls sweep - --max-rank 10"""


def positive(text: str) -> int:
    try:
        value = int(text)
    except ValueError:
        value = 0
    if value < 1:
        raise argparse.ArgumentTypeError(f"not a positive integer: {text!r}")
    return value


def parser() -> Parser:
    p = Parser(prog=PROG, description=DESCRIPTION, epilog=EPILOG,
               formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("file", metavar="FILE", help="the Chern characters, one 'R C D' per line; - for stdin")
    p.add_argument("--what", choices=["count", "walls", "candidates"], default="count",
                   help="what to compute for each v (default: count)")
    add_search_options(p)
    p.add_argument("--jobs", metavar="N", type=positive, help="worker threads (default: one per core)")
    return p


class BadLine(Exception):
    """An input line that is not three signed 64-bit integers."""


def chern_characters(lines: Iterable[str], name: str) -> list[tuple[int, int, int]]:
    """The v of the input, in order; BadLine names the first bad line."""
    found: list[tuple[int, int, int]] = []
    for number, line in enumerate(lines, 1):
        words = line.split("#", 1)[0].split()
        if not words:
            continue
        try:
            values = [int(word) for word in words]
        except ValueError:
            values = []
        if len(values) != 3 or not all(INT64[0] <= x <= INT64[1] for x in values):
            raise BadLine(f"{name}, line {number}: expected three signed 64-bit integers 'R C D', "
                          f"got {line.strip()!r}")
        found.append((values[0], values[1], values[2]))
    return found


def document(v: tuple[int, int, int], what: What, result: Result | Exception,
             options: dict[str, object]) -> dict[str, object]:
    """The JSON object of one v, with the options of its search."""
    line: dict[str, object] = {"chern_character": list(v), **options}
    if isinstance(result, Exception):
        line["error"] = {"type": type(result).__name__, "message": str(result) or type(result).__name__}
    elif isinstance(result, np.ndarray):
        line[what] = result.tolist()
    elif isinstance(result, Walls):
        line[what] = [wall_document(wall) for wall in result]
    else:
        line[what] = result
    return line


def read_input(path: str) -> list[str]:
    if path == "-":
        return sys.stdin.readlines()
    with open(path, encoding="utf-8") as file:
        return file.readlines()


def run(argv: Sequence[str]) -> int:
    args = parser().parse_args(argv)
    try:
        vs = chern_characters(read_input(args.file), "<stdin>" if args.file == "-" else args.file)
    except (OSError, UnicodeDecodeError) as error:
        print(f"{PROG}: error: cannot read {args.file}: {error}", file=sys.stderr)
        return 2
    except BadLine as error:
        print(f"{PROG}: error: {error}", file=sys.stderr)
        return 2
    out: TextIO = sys.stdout
    what: What = args.what
    failed = False
    options = search_options(args)
    recorded = options_document(options)
    with closing(sweep(vs, what, **options, jobs=args.jobs)) as results:
        for v, result in results:
            failed = failed or isinstance(result, Exception)
            out.write(json.dumps(document(v, what, result, recorded), ensure_ascii=False) + "\n")
            out.flush()
    return 1 if failed else 0


def main(argv: Sequence[str]) -> int:
    """Run the sweep command line; returns the exit status."""
    try:
        return run(argv)
    except KeyboardInterrupt:
        return 130
    except BrokenPipeError:
        os.dup2(os.open(os.devnull, os.O_WRONLY), sys.stdout.fileno())
        return 1
