"""The command line: varnolt-walls R C D [--candidates | --count] [--format F] [--plot FILE],
and varnolt-walls sweep FILE (see _sweep_cli)."""

from __future__ import annotations

import argparse
import csv
import json
import os
import sys
from collections.abc import Sequence
from contextlib import nullcontext
from fractions import Fraction
from typing import Any, NoReturn, TextIO

import numpy as np

from ._beta import beta_minus_text
from ._errors import IrrationalBetaError
from ._progress import search_bar
from ._search import candidates, count
from ._walls import Wall, walls

PROG = "varnolt-walls"
INT64 = (-(2**63), 2**63 - 1)
PLOT_FORMATS = (".png", ".svg")

DESCRIPTION = """\
The pseudo-walls of the Chern character v = (R, C·ℓ, (D/2)·ℓ²) on a surface of
Picard rank one, largest first: the center and radius² of each semicircle in
the (β, α) half-plane and the candidate left pseudo-semistabilizers (r, c, d)
that give it, computed exactly. --candidates lists the candidates instead,
--count only counts them. A search that takes longer than a second shows a
progress bar on stderr when it is a terminal (needs tqdm).

varnolt-walls sweep FILE: the same for many Chern characters at once, on all
cores (see varnolt-walls sweep --help)."""

EPILOG = """\
exit status: 0 done, 1 the search cannot proceed (its message on stderr, e.g.
"β_ is not rational: ∞ walls"), 2 bad arguments, 130 interrupted (Ctrl-C).
Standard output carries nothing but the result.

example: varnolt-walls 1 0 -16 --format json"""


class Parser(argparse.ArgumentParser):
    def error(self, message: str) -> NoReturn:
        # One line, not the whole usage: the --help says the rest.
        self.exit(2, f"{self.prog}: error: {message} (see --help)\n")


def int64(text: str) -> int:
    try:
        value = int(text)
    except ValueError:
        raise argparse.ArgumentTypeError(f"not an integer: {text!r}") from None
    if not INT64[0] <= value <= INT64[1]:
        raise argparse.ArgumentTypeError(f"outside the signed 64-bit range: {text}")
    return value


def max_rank_bound(text: str) -> int:
    value = int64(text)
    if value < 0:
        raise argparse.ArgumentTypeError(f"--max-rank must be >= 0: {text}")
    return value


def point(text: str) -> tuple[Fraction, Fraction]:
    """BETA,ALPHA: each an integer, a fraction a/b or a decimal, taken exactly."""
    words = text.split(",")
    try:
        if len(words) != 2:
            raise ValueError
        return Fraction(words[0].strip()), Fraction(words[1].strip())
    except (ValueError, ZeroDivisionError):
        raise argparse.ArgumentTypeError(f"--above takes BETA,ALPHA, each an integer, a/b or a decimal: {text!r}") from None


def add_search_options(p: argparse.ArgumentParser) -> None:
    """The options of the searches: rank bound, surface, side and point."""
    p.add_argument("--max-rank", metavar="N", type=max_rank_bound,
                   help="only candidates of rank at most N (N or --above is required when β₋ is irrational)")
    p.add_argument("--surface", choices=["P2"],
                   help="P2: only classes with d ≡ c (mod 2), those of sheaves on the projective plane")
    p.add_argument("--side", choices=["left", "right"], default="left",
                   help="the walls left of the vertical wall β = C/R (default) or right of it")
    p.add_argument("--above", metavar="BETA,ALPHA", type=point,
                   help="only the walls over σ(BETA, ALPHA) or through it, of every rank (write "
                        "--above=-5,1 when BETA is negative)")


def search_options(args: argparse.Namespace) -> dict[str, Any]:
    return {"max_rank": args.max_rank, "surface": args.surface, "side": args.side, "above": args.above}


def options_document(options: dict[str, Any]) -> dict[str, object]:
    """The options of a search as JSON: the point as exact "p/q" texts."""
    above = options["above"]
    return {"max_rank": options["max_rank"], "surface": options["surface"], "side": options["side"],
            "above": None if above is None else [str(above[0]), str(above[1])]}


def options_text(options: dict[str, Any]) -> str:
    """The surface, side and point of a search for people: "" for the defaults."""
    parts = [f"on {options['surface']}"] if options["surface"] else []
    if options["side"] == "right":
        parts.append("right of the vertical wall")
    if options["above"] is not None:
        parts.append(f"over σ({options['above'][0]}, {options['above'][1]})")
    return "".join(f", {part}" for part in parts)


def parser() -> Parser:
    p = Parser(prog=PROG, description=DESCRIPTION, epilog=EPILOG,
               formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("R", type=int64, help="rank")
    p.add_argument("C", type=int64, help="ch1 = C·ℓ")
    p.add_argument("D", type=int64, help="ch2 = (D/2)·ℓ², the numerator over 2")
    mode = p.add_mutually_exclusive_group()
    mode.add_argument("--candidates", action="store_true", help="list the candidates (r, c, d) in search order")
    mode.add_argument("--count", action="store_true", help="print only the number of candidates")
    p.add_argument("--format", choices=["text", "json", "csv"], default="text", help="output format (default: text)")
    add_search_options(p)
    p.add_argument("--plot", metavar="FILE", help="also draw the walls to FILE (.png or .svg; needs matplotlib)")
    return p


def wall_document(wall: Wall) -> dict[str, object]:
    """A wall as JSON: center and radius² as exact "p/q" texts."""
    return {"center": str(wall.center), "radius_squared": str(wall.radius_squared),
            "semistabilizers": [list(u) for u in wall.semistabilizers]}


def write_walls(out: TextIO, form: str, v: tuple[int, int, int], found: Sequence[Wall],
                options: dict[str, Any]) -> None:
    if form == "json":
        document = {"chern_character": list(v), "beta_minus": beta_minus_text(*v), **options_document(options),
                    "walls": [wall_document(w) for w in found]}
        json.dump(document, out, ensure_ascii=False)
        out.write("\n")
    elif form == "csv":
        writer = csv.writer(out, lineterminator="\n")
        writer.writerow(["center", "radius_squared", "r", "c", "d"])
        writer.writerows([str(w.center), str(w.radius_squared), *u] for w in found for u in w.semistabilizers)
    else:
        out.write(f"v = {v}: β₋ = {beta_minus_text(*v)}{options_text(options)}, "
                  f"{len(found)} wall{'' if len(found) == 1 else 's'}\n")
        table = [("center", "radius²", "semistabilizers")] + [
            (str(w.center), str(w.radius_squared), "; ".join(map(str, w.semistabilizers))) for w in found]
        widths = [max(len(row[i]) for row in table) for i in range(2)]
        for center, radius_squared, semistabilizers in table:
            out.write(f"{center:<{widths[0]}}  {radius_squared:<{widths[1]}}  {semistabilizers}\n")


def write_candidates(out: TextIO, form: str, v: tuple[int, int, int], rows: np.ndarray,
                     options: dict[str, Any]) -> None:
    if form == "json":
        document = {"chern_character": list(v), "beta_minus": beta_minus_text(*v), **options_document(options),
                    "candidates": rows.tolist()}
        json.dump(document, out, ensure_ascii=False)
        out.write("\n")
    else:
        if form == "csv":
            out.write("r,c,d\n")
        np.savetxt(out, rows, fmt="%d", delimiter="," if form == "csv" else " ")


def write_count(out: TextIO, form: str, v: tuple[int, int, int], n: int, options: dict[str, Any]) -> None:
    if form == "json":
        json.dump({"chern_character": list(v), "beta_minus": beta_minus_text(*v), **options_document(options),
                   "count": n}, out, ensure_ascii=False)
        out.write("\n")
    else:
        out.write(("count\n" if form == "csv" else "") + f"{n}\n")


def save_plot(v: tuple[int, int, int], path: str, options: dict[str, Any]) -> None:
    try:
        from matplotlib.figure import Figure
    except ImportError:
        from ._plot import INSTALL_HINT
        raise ImportError(INSTALL_HINT) from None
    from ._plot import plot

    figure = Figure(figsize=(8, 5), layout="constrained")
    plot(*v, **options, ax=figure.add_subplot())
    figure.savefig(path)


def run(argv: Sequence[str] | None) -> int:
    p = parser()
    args = p.parse_args(argv)
    if args.plot is not None and not args.plot.lower().endswith(PLOT_FORMATS):
        p.error(f"--plot FILE must end in .png or .svg: {args.plot}")
    v = (args.R, args.C, args.D)
    out = sys.stdout
    # A bar on stderr once the search has run for a second, if it is a terminal.
    progress = search_bar(PROG)
    options = search_options(args)
    try:
        with progress or nullcontext():
            if args.count:
                write_count(out, args.format, v, count(*v, **options, progress=progress), options)
            elif args.candidates:
                write_candidates(out, args.format, v, candidates(*v, **options, progress=progress), options)
            else:
                write_walls(out, args.format, v, walls(*v, **options, progress=progress), options)
    except IrrationalBetaError as error:
        # The same words, with the option of the command line.
        raise IrrationalBetaError(error.chern_character, "--max-rank N") from None
    out.flush()
    if args.plot is not None:
        save_plot(v, args.plot, options)
    return 0


def main(argv: Sequence[str] | None = None) -> int:
    """Run the command line; returns the exit status."""
    arguments = sys.argv[1:] if argv is None else list(argv)
    if arguments[:1] == ["sweep"]:
        from ._sweep_cli import main as sweep_main

        return sweep_main(arguments[1:])
    try:
        return run(arguments)
    except KeyboardInterrupt:
        return 130
    except BrokenPipeError:
        # The reader went away (e.g. `| head`): stop quietly; point stdout at
        # /dev/null so the interpreter's last flush does not fail again.
        os.dup2(os.open(os.devnull, os.O_WRONLY), sys.stdout.fileno())
        return 1
    except (RuntimeError, OverflowError, MemoryError, ValueError, ImportError, OSError) as error:
        print(f"{PROG}: error: {error or 'out of memory'}", file=sys.stderr)
        return 1
