"""The command line: varnolt-walls [walls] R C D [--candidates | --count] [--format F] [--plot FILE],
varnolt-walls sweep FILE (see _sweep), varnolt-walls k3 R C S --degree N (see _k3) and
varnolt-walls moduli R C D (see _moduli)."""

from __future__ import annotations

import argparse
import csv
import sys
from collections.abc import Iterable, Sequence
from contextlib import nullcontext
from fractions import Fraction
from typing import Any

import numpy as np
from numpy.typing import NDArray

from .._version import __version__
from ..actual._actual import ActualWalls, certified
from ..classes._arguments import ExactRow, shown_v
from ..classes._chern import ChernCharacter
from ..classes._errors import IrrationalBetaError
from ..classes._options import Side
from ..pictures._plot import accumulation_points
from ..plane._moduli import PLANE, no_sheaf_note
from ..search._beta import no_real_beta
from ..search._described import chern_text
from ..search._schema import ROWS_PER_PIECE, candidates_json, candidates_start, document, header
from ..search._search import candidates, count
from ..search._walls import Walls, walls, walls_document
from ..sweep._progress import search_bar
from ._console import (PROG, Output, Parser, Stop, add_class_forms, add_search_options, chern_argument, error_text,
                       exact_ch2, int64, options_text, search_options)
from ._k3 import add_k3_command
from ._moduli import add_moduli_command
from ._plot_option import checked_plot_path, save_plot
from ._sweep import add_sweep_command

DESCRIPTION = """\
The pseudo-walls of Chern characters on a surface of Picard rank one, computed
exactly. `varnolt-walls R C D` is short for `varnolt-walls walls R C D`."""

WALLS_DESCRIPTION = """\
The pseudo-walls of the Chern character v = (R, C·ℓ, (D/2)·ℓ²) on a surface of
Picard rank one, largest first: the center and radius² of each semicircle in
the (β, α) half-plane and the classes that give it, computed exactly. The text
speaks ch = (r, c1, ch2): each class is the sub or the quotient of the object
it destabilizes in the heart ("O(-1) ⊂ v, quotient ch = (0, 1, -5/2)"; right of
the vertical wall the object is v[1]); --rows adds the search's rows (r, c, d),
d = 2·ch2, which JSON and CSV always carry. Without --surface or --degree the
classes are those of the lattice ch2 ∈ ½ℤ (ℓ² = 2), not those of P2. In place
of R C D (D = 2·ch2) v may be given as researchers write it, on the surface of
--surface or --degree:
  --ch R C1 CH2          ch2 in units of ℓ² (two points on P2: --ch 1 0 -2 --surface P2)
  --chern-classes R C1 C2  c2 in points (T_P2: --chern-classes 2 3 3 --surface P2)
  --mukai R C S          a Mukai vector on a K3 surface (--mukai 1 0 -7 --degree 4)
  --ideal-sheaf N        N points (--ideal-sheaf 8 --degree 4)
A v of negative rank, or of rank 0 with C < 0, is the class of a shifted
object E[1], whose walls are those of E: its candidates are those of -v.

--candidates lists the candidates instead, --count only counts them. On P2,
--actual adds a status column: "actual" for a wall proved to change the
moduli space (with its certificate, the stable objects whose extension or
morphism proves it), "undecided" where no proof is within reach; in JSON each
wall gets "status" and "certificate". A search that takes longer than a second shows a
progress bar on stderr when it is a terminal (needs tqdm); it is cleared
before the result is written.

--format json writes one object:
  {"chern_character": [R, C, D], "surface": null, "degree": null, "d_scale": 1,
   "side": "left", "max_rank": N or null, "above": null, "complete": true or false,
   "beta_minus": {"text": "-4", "float": -4.0, "fraction": [-4, 1]}, "wall_count": 1,
   "walls": [{"center": "-5/2", "radius_squared": "9/4", "semistabilizers": [[1, -1, 1]],
              "side": "left", "classes": [{"ch": [1, -1, "1/2"], "name": "O(-1)",
              "quotient": [0, 1, "-5/2"], "quotient_name": null}]}, ...]}
("ch" is the class of the sub, "quotient" that of the quotient: on the right the
semistabilizer is the quotient of v[1]);
with "candidates": [[r, c, d], ...] or "count": N in place of "walls";
"complete" is true when the list is every pseudo-wall of v on its side (over
--above's point) not cut by --max-rank; an irrational β₋ is {"text", "float",
"c", "discriminant", "r"}, the number (c - √discriminant)/r. With --side both
the left walls come first, then the right ones, each with its "side"; the
candidates of both sides come with "side_rows": [["left", N], ["right", M]]."""

EPILOG = """\
exit status: 0 done, 1 the search cannot proceed (its message on stderr, e.g.
"β_ is not rational: ∞ walls") or the output or --plot cannot be written,
2 bad arguments, 130 interrupted (Ctrl-C), 141 the reader of the output went
away (as for tools killed by SIGPIPE). Standard output carries nothing but the
result; --plot is written before it.

example: varnolt-walls 1 0 -16 --format json"""

COMMANDS = ("walls", "sweep", "k3", "moduli")
Result = Walls | NDArray[np.int64] | int


def parser() -> Parser:
    p = Parser(prog=PROG, description=DESCRIPTION, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--version", action="version", version=f"%(prog)s {__version__}")
    commands = p.add_subparsers(title="commands", metavar="{walls,sweep,k3,moduli}")
    add_walls_command(commands)
    add_sweep_command(commands)
    for command in commands.choices.values():
        add_search_options(command)
    add_k3_command(commands)  # options of its own
    add_moduli_command(commands)
    return p


def add_walls_command(commands: argparse._SubParsersAction[Parser]) -> None:
    # Its own name is left out of its usage line: it is the default command.
    p = commands.add_parser("walls", prog=PROG, help="the walls of one Chern character (the default)",
                            description=WALLS_DESCRIPTION, epilog=EPILOG,
                            formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("R", type=int64, nargs="?", help="rank")
    p.add_argument("C", type=int64, nargs="?", help="ch1 = C·ℓ")
    p.add_argument("D", type=exact_ch2, nargs="?", help="ch2 = (D/2)·ℓ², the numerator over 2 (p/q with --degree N)")
    add_class_forms(p)
    mode = p.add_mutually_exclusive_group()
    mode.add_argument("--candidates", action="store_true", help="list the candidates (r, c, d) in search order")
    mode.add_argument("--count", action="store_true", help="print only the number of candidates")
    mode.add_argument("--actual", action="store_true",
                      help="on P2: say of each wall whether it is proved actual (with the proof) or undecided")
    p.add_argument("--format", choices=["text", "json", "csv"], default="text", help="output format (default: text)")
    p.add_argument("--rows", action="store_true",
                   help="in text output, also the search's rows (r, c, d) with d = 2·ch2 (JSON and CSV always have them)")
    p.add_argument("--plot", metavar="FILE",
                   help="also draw the walls to FILE: .png, .svg or .pdf (needs matplotlib), or .html, "
                        "an interactive page that works offline (needs bokeh)")
    p.set_defaults(run=run_walls)


# The search's rows (r, c, d) in CSV headers and with --rows: what their last column is.
D_COLUMN = "d = 2·ch₂"


def write_walls(out: Output, form: str, found: Walls, proved: ActualWalls | None = None, rows: bool = False) -> None:
    """The walls as `form` says; with `proved` (--actual), each wall's status and certificate; as text
    with the rows (r, c, d) of the classes when `rows` (--rows)."""
    statuses = [""] * len(found) if proved is None else [w.status for w in proved]
    proofs = [""] * len(found) if proved is None else [str(w.certificate or "") for w in proved]
    if form == "json":
        for piece in (walls_document(found) if proved is None else [proved.to_json()]):
            out.write(piece)
        out.write("\n")
    elif form == "csv":
        # Both sides' walls say which side each is on, in a first column.
        sided = found.side == "both"
        writer = csv.writer(out, lineterminator="\n")
        shown = proved is not None
        writer.writerow(["side"] * sided + ["status"] * shown + ["center", "radius_squared", "r", "c", D_COLUMN])
        writer.writerows([*[str(w.side)] * sided, *[status] * shown, str(w.center), str(w.radius_squared), *map(str, u)]
                         for w, status in zip(found, statuses) for u in w.semistabilizers)
    else:
        sided = found.side == "both"
        shown_rows = [f"{'; '.join(map(shown_v, w.semistabilizers))}  " if rows else "" for w in found]
        widths = [max([len("center"), *(len(str(w.center)) for w in found)]),
                  max([len("radius²"), *(len(str(w.radius_squared)) for w in found)]),
                  max([len(f"(r, c, {D_COLUMN})  "), *map(len, shown_rows)]) if rows else 0]
        status = "status     " if proved is not None else ""
        out.write(f"{'side   ' * sided}{status}{'center':<{widths[0]}}  {'radius²':<{widths[1]}}  "
                  f"{f'(r, c, {D_COLUMN})' if rows else '':<{widths[2]}}classes\n")
        for w, mark, proof, row in zip(found, statuses, proofs, shown_rows):
            out.write(f"{f'{w.side:<5}  ' * sided}{f'{mark:<9}  ' if status else ''}{str(w.center):<{widths[0]}}  "
                      f"{str(w.radius_squared):<{widths[1]}}  {row:<{widths[2]}}{'; '.join(map(str, w.classes))}"
                      f"{f'  [{proof}]' if proof else ''}\n")


def write_candidates(out: Output, form: str, start: dict[str, object], rows: NDArray[np.int64],
                     shown_rows: bool = False) -> None:
    """The rows (r, c, s·d) of `candidates`: in JSON as they are (with "d_scale": s), in CSV with d exact
    ("p/q" where it is not an integer), as text in ch = (r, c₁, ch₂) (rows (r, c, d) with --rows); of
    both sides, each CSV and text line starts with its side."""
    if form == "json":
        write_json(out, candidates_start(start, rows), "candidates", candidates_json(rows))
        return
    side_rows: tuple[tuple[str, int], ...] = getattr(rows, "side_rows", ())
    parts = side_rows if len(side_rows) > 1 else (("", len(rows)),)
    sep, scale = ("," if form == "csv" else " "), start["d_scale"]
    if form == "csv":
        out.write(f"{'side,' if parts[0][0] else ''}r,c,{D_COLUMN}\n")
    if form == "text" and not shown_rows:
        scale = 2 * int(scale)  # type: ignore[call-overload]  # ch₂ = d/2
    begin = 0
    for side, size in parts:
        side = "" if not side else f"{side}," if form == "csv" else f"{side:<5} "
        for first in range(begin, begin + size, ROWS_PER_PIECE):  # Python ints for some thousand rows at a time
            out.write("".join(f"{side}{r}{sep}{c}{sep}{Fraction(d, int(scale))}\n"  # type: ignore[call-overload]
                              for r, c, d in rows[first:min(first + ROWS_PER_PIECE, begin + size)].tolist()))
        begin += size


def write_json(out: Output, start: dict[str, object], key: str, value: Iterable[str]) -> None:
    for piece in document(start, key, value):
        out.write(piece)
    out.write("\n")


def write_result(out: Output, form: str, v: ExactRow, options: dict[str, Any], result: Result,
                 proved: ActualWalls | None = None, rows: bool = False) -> None:
    start = header(v, options)
    if isinstance(result, int):
        if form == "json":
            write_json(out, start, "count", [str(result)])
        else:
            out.write(("count\n" if form == "csv" else "") + f"{result}\n")
    elif isinstance(result, np.ndarray):
        write_candidates(out, form, start, result, rows)
    else:
        if form == "text":
            s = "" if len(result) == 1 else "s"
            out.write(f"{v_text(result.v, rows)}: {accumulation_point(v, result._description.sides)}"
                      f"{options_text(v, options)}{bound_text(result)}, {len(result)} wall{s}{completeness_text(result)}"
                      f"{no_sheaf_note(result.v)}\n")
            if proved is not None:
                out.write(proved.caption() + "\n")
        write_walls(out, form, result, proved, rows)


def v_text(v: ChernCharacter, rows: bool) -> str:
    """v in a header: "v: ch = (1, 0, -8) on P2 (I_Z, |Z| = 8)", with --rows its row (r, c, d) too."""
    name = f" ({v.name})" if v.name else ""
    row = f", (r, c, {D_COLUMN}) = {shown_v(v.row)}" if rows else ""
    return f"v: {chern_text(v)}{name}{row}"


def accumulation_point(v: ExactRow, sides: Sequence[Side]) -> str:
    """Where the walls of the sides searched accumulate, for the header: β₋, and β₊ for right walls."""
    if no_real_beta(v):
        return "β₋ = none"
    return ", ".join(f"{name} = {beta}" for name, beta in accumulation_points(v, sides))


def bound_text(found: Walls) -> str:
    return "" if found.max_rank is None else f", candidates of rank ≤ {found.max_rank}"


def completeness_text(found: Walls) -> str:
    """After the number of walls: whether a rank bound may have cut the list (nothing without a bound)."""
    if found.max_rank is None:
        return ""
    return " (all of them)" if found.complete else " (may be incomplete: more may come from higher ranks)"


def run_walls(args: argparse.Namespace, out: Output) -> int:
    checked_plot_path(args.plot)
    options = search_options(args)
    v, options["surface"] = chern_argument(args, options["surface"])
    if args.actual and options["surface"] != PLANE:
        raise Stop("argument --actual: walls are certified on P2 only: add --surface P2", 2)
    # A bar on stderr once the search has run for a second, if it is a terminal;
    # gone before anything is written.
    progress = search_bar(PROG)
    result: Result
    try:
        with progress or nullcontext():
            if args.count:
                result = count(*v, **options, progress=progress)
            elif args.candidates:
                result = candidates(*v, **options, progress=progress)
            else:
                result = walls(*v, **options, progress=progress)
    except IrrationalBetaError as error:
        # The same words, with the option of the command line.
        raise IrrationalBetaError(error.chern_character, "--max-rank N") from None
    except OverflowError as error:  # a rank bound too large, or numbers past the core's: "pass max_rank ..."
        raise OverflowError(str(error).replace("max_rank", "--max-rank")) from None
    proved = certified(result) if args.actual and isinstance(result, Walls) else None
    if args.plot is not None:
        # The walls found, drawn as they are; those of a count or of candidates are searched for it.
        save_plot(args.plot, proved if proved is not None else result if isinstance(result, Walls) else walls(*v, **options))
    write_result(out, args.format, v, options, result, proved, args.rows)
    out.flush()
    return 0


def with_default_command(arguments: list[str]) -> list[str]:
    """The arguments with "walls" put first when they name no command (nor ask for help or the version)."""
    if arguments[:1] and arguments[0] in (*COMMANDS, "-h", "--help", "--version"):
        return arguments
    return ["walls", *arguments]


# What a command that cannot finish prints: its message, one line on stderr; status 1.
FAILURES = (RuntimeError, OverflowError, MemoryError, ValueError, ImportError, OSError)


def main(argv: Sequence[str] | None = None) -> int:
    """Run the command line; returns the exit status."""
    arguments = with_default_command(sys.argv[1:] if argv is None else list(argv))
    try:
        args = parser().parse_args(arguments)
        return int(args.run(args, Output()))
    except KeyboardInterrupt:
        return 130
    except BrokenPipeError:
        return 141  # 128 + SIGPIPE: the status of a shell tool whose reader went away
    except Stop as stop:
        print(f"{PROG}: error: {stop}", file=sys.stderr)
        return stop.status
    except FAILURES as error:
        print(f"{PROG}: error: {error_text(error)}", file=sys.stderr)
        return 1
