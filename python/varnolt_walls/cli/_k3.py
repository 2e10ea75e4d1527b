"""The command line's k3: varnolt-walls k3 R C S --degree N [--above B,A] [--max-pairs N]
[--format text|json|csv] [--plot FILE [--cones]]."""

from __future__ import annotations

import argparse
import csv
from typing import TYPE_CHECKING

from .._digits import decimal_text, fraction_text
from ..k3._walls import MAX_PAIRS, K3Walls, k3_walls
from ..pictures._k3_plot import plot_k3
from ..pictures._plot import save_figure
from ._console import Output, Stop, int64, point
from ._plot_option import checked_plot_path, save_plot

if TYPE_CHECKING:
    from matplotlib.axes import Axes

    from ._console import Parser

DESCRIPTION = """\
The actual walls of the Mukai vector v = (R, C·H, S) (S = ch2 + R, ch2 in points) on a
K3 surface X with Pic X = ZH, H² = N: the walls left of the vertical wall β = C/R,
largest first, from the large-volume limit down to the end of the movable cone of
M(v) (the first divisorial contraction, or the Lagrangian fibration: the point
where the walls shrink to radius 0), each classified exactly by the theorem of
Bayer and Macrì: flop, brill-noether, hilbert-chow, li-gieseker-uhlenbeck,
lagrangian. The Hilbert scheme of n points is v = (1, 0, 1 - n). Each wall's
divisor class (its ray in NS(M) = v^⊥, a Mukai vector), the divisor a divisorial
contraction contracts, and the nef, movable and effective cones follow; for the
Hilbert scheme they are written in H̃ and B (a·H̃ − b·B is (b, −a, b·(n − 1))),
otherwise in the basis h = (0, −R, −C·N), b = (−R, 0, S) of v^⊥, printed below.

--format json writes one object:
  {"mukai_vector": [R, C, S], "degree": N, "dimension": 6, "above": null,
   "vertical": "hilbert-chow",
   "walls": [{"center": "-2", "radius_squared": "2", "kind": "brill-noether",
              "special_classes": [[1, -1, 2]], "lattice": [[1, 0, -2], [-1, 1, -3]],
              "divisor": [1, -2, 2], "codimension": null,
              "contracted_divisor": [1, -1, 2],
              "deciding_classes": [["brill-noether", [1, -1, 2]], ...]}, ...],
   "nef_cone": [[0, -1, 0], [1, -2, 2]], "movable_cone": [[0, -1, 0], [1, -2, 2]],
   "effective_cone": [[-1, 0, -2], [1, -1, 2]],
   "chambers": [{"v": [1, 0, -2], "rays": [[0, -1, 0], [1, -2, 2]],
                 "kinds": ["hilbert-chow", "brill-noether"]}], "right_walls": []}
Numbers are exact, whatever their size (the classes of a wall can have many
thousands of digits on a surface of large degree). --format csv writes one row
per special class of each wall (those right of the vertical wall last, their
centre > C/R): kind,center,radius_squared,codimension,r,c,s.
--plot draws the walls coloured by kind: .png, .svg or .pdf (needs matplotlib),
or .html, an interactive page that works offline (needs bokeh); with --cones a
picture has the cones in NS ⊗ R = v^⊥ beside the walls (the rays of the walls,
the nef, movable and effective cones, in the plane of H̃ and B for Hilbⁿ)."""

EPILOG = """\
exit status: 0 done, 1 the walls cannot be listed (bad v or N, infinitely many
flops without --above, or more pairs than --max-pairs; the message on stderr) or
--plot cannot be written, 2 bad arguments, 130 interrupted (Ctrl-C), 141 the reader of the output went away.

example: varnolt-walls k3 1 0 -2 --degree 2 (or k3 --ideal-sheaf 3 --degree 2)"""


def add_k3_command(commands: argparse._SubParsersAction[Parser]) -> None:
    p = commands.add_parser("k3", help="the actual walls of a Mukai vector on a K3 surface of Picard rank one",
                            description=DESCRIPTION, epilog=EPILOG,
                            formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("R", type=int64, nargs="?", help="rank")
    p.add_argument("C", type=int64, nargs="?", help="c1 = C·H")
    p.add_argument("S", type=int64, nargs="?", help="ch2 + R, ch2 in points")
    p.add_argument("--ideal-sheaf", metavar="N", type=int64,
                   help="in place of R C S: the ideal sheaf of N points, v = (1, 0, 1 - N) (the Hilbert scheme of N points)")
    p.add_argument("--degree", metavar="N", type=int64, required=True, help="H², even and positive")
    p.add_argument("--above", metavar="BETA,ALPHA", type=point,
                   help="only the walls strictly over σ(BETA, ALPHA) (write --above=-5,1 when BETA is "
                        "negative); needed when infinitely many flops come first")
    p.add_argument("--max-pairs", metavar="N", type=int64, default=MAX_PAIRS,
                   help=f"the most pairs (⟨a, v⟩, a²) of deciding classes to solve for (default: {MAX_PAIRS})")
    p.add_argument("--format", choices=["text", "json", "csv"], default="text", help="output format (default: text)")
    p.add_argument("--plot", metavar="FILE", help="also draw the walls to FILE: .png, .svg or .pdf (needs matplotlib), "
                                                  "or .html, an interactive page that works offline (needs bokeh)")
    p.add_argument("--cones", action="store_true",
                   help="with a .png, .svg or .pdf --plot: draw the cones in NS ⊗ R = v^⊥ beside the walls")
    p.set_defaults(run=run_k3)


def run_k3(args: argparse.Namespace, out: Output) -> int:
    checked_plot_path(args.plot)
    if args.cones and (args.plot is None or args.plot.lower().endswith(".html")):
        raise Stop("--cones draws beside the walls of --plot FILE, a .png, .svg or .pdf", 2)
    given = [x for x in (args.R, args.C, args.S) if x is not None]
    if len(given) != (0 if args.ideal_sheaf is not None else 3):
        raise Stop("give R C S or --ideal-sheaf N, one of them", 2)
    v = (1, 0, 1 - args.ideal_sheaf) if args.ideal_sheaf is not None else given
    found = k3_walls(*v, degree=args.degree, above=args.above, max_pairs=args.max_pairs)
    if args.cones:
        save_cones_plot(args.plot, found)
    elif args.plot is not None:
        save_plot(args.plot, found)
    if args.format == "csv":
        write_csv(out, found)
    else:
        out.write(found.to_json() + "\n" if args.format == "json" else f"{found}\n")
    out.flush()
    return 0


def write_csv(out: Output, found: K3Walls) -> None:
    """One row per special class of each wall, right of the vertical wall too, its numbers exact whatever their size."""
    writer = csv.writer(out, lineterminator="\n")
    writer.writerow(["kind", "center", "radius_squared", "codimension", "r", "c", "s"])
    writer.writerows([w.kind, fraction_text(w.center), fraction_text(w.radius_squared),
                      "" if w.codimension is None else decimal_text(w.codimension), *map(decimal_text, a)]
                     for w in (*found, *found.right_walls) for a in w.special_classes)



def save_cones_plot(path: str, found: K3Walls) -> None:
    """The walls and, beside them, the cones drawn to the picture `path` (a figure twice as wide)."""
    def draw(ax: Axes) -> None:
        from matplotlib.figure import Figure

        if isinstance(ax.figure, Figure):  # save_figure's own figure, made wider for the two pictures
            ax.figure.set_figwidth(12.8)
        plot_k3(found, cones=True, ax=ax)
    try:
        save_figure(path, draw)
    except OSError as error:
        raise Stop(f"cannot write the plot {path}: {error.strerror or error}") from None
