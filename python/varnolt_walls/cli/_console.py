"""What both commands of the command line share: their parser class, argument types, the
failures that end a command with a message and a status, and standard output."""

from __future__ import annotations

import argparse
import os
import re
import signal
import sys
import threading
from collections.abc import Callable, Iterator
from contextlib import contextmanager
from decimal import Decimal
from fractions import Fraction
from types import FrameType
from typing import Any, NoReturn

from ..classes._arguments import INT64, ExactRow, checked_max_rank, exact_d, shown
from ..classes._chern import ChernCharacter, ch, from_chern_classes, from_mukai, ideal_sheaf, rational
from ..classes._class_arguments import chern_row
from ..classes._options import LARGEST_DEGREE, Surface, checked_surface
from ..pictures._plot import point_text

PROG = "varnolt-walls"
CHUNK = 1 << 16  # bytes of output gathered before they are written


class Parser(argparse.ArgumentParser):
    def __init__(self, *args: Any, **kwargs: Any) -> None:
        super().__init__(*args, **kwargs)
        # An argument that starts with "-" and a digit is a value, not an option: argparse's own
        # pattern takes only "-5" or "-.5" for one, so "--above -5,1" and "1 0 -16e0" would read
        # "-5,1" and "-16e0" as unknown options. No option of ours starts so.
        self._negative_number_matcher = re.compile(r"-\.?\d")

    def error(self, message: str) -> NoReturn:
        # One line, not the whole usage: the --help says the rest.
        self.exit(2, f"{self.prog}: error: {message} (see --help)\n")


class Stop(Exception):
    """Ends a command with its message as one line on stderr and an exit status."""

    def __init__(self, message: str, status: int = 1) -> None:
        super().__init__(message)
        self.status = status


def int64(text: str) -> int:
    """An argument that must be a signed 64-bit integer."""
    try:
        value = int(text)
    except ValueError:  # also for more digits than int() reads
        raise argparse.ArgumentTypeError(f"not an integer: {shown(text)!r}") from None
    if not INT64[0] <= value <= INT64[1]:
        raise argparse.ArgumentTypeError(f"outside the signed 64-bit range: {shown(text)}")
    return value


def exact_ch2(text: str) -> int | Fraction:
    """D: a signed 64-bit integer, or p/q (on a surface of degree n >= 3)."""
    try:
        return exact_d(text)
    except OverflowError:
        raise argparse.ArgumentTypeError(f"outside the signed 64-bit range: {shown(text)}") from None
    except (ValueError, TypeError):
        raise argparse.ArgumentTypeError(f"not an integer: {shown(text)!r} (nor p/q, as D may be with --degree)"
                                         ) from None


def degree(text: str) -> Surface:
    try:
        return Surface(int(text))
    except ValueError:
        raise argparse.ArgumentTypeError(f"not a degree from 1 to {LARGEST_DEGREE}: {shown(text)!r}") from None


def rank_bound(text: str) -> int:
    """The --max-rank argument, checked as the functions check max_rank."""
    value = int64(text)
    try:
        checked_max_rank(value)
    except ValueError as error:
        raise argparse.ArgumentTypeError(str(error)) from None
    return value


# The most digits a coordinate of --above may have, its exponent counted: Fraction("1e-99999999")
# would compute 10^99999999 before anything could be said.
MOST_DIGITS = 10_000
# Its exponent, which Fraction reads as its own (a fraction a/b has none).
EXPONENT = re.compile(r"[eE]\s*[+-]?\s*([\d_]*)")


def coordinate_digits(word: str) -> int:
    """The digits of the exact value of a coordinate's text, at most: its length and its exponent."""
    exponent = EXPONENT.search(word)
    digits = exponent[1].replace("_", "") if exponent else ""
    if len(digits) > len(str(MOST_DIGITS)):  # not converted: it may have millions of digits
        return MOST_DIGITS + 1
    return len(word) + int(digits or 0)


def exact_coordinate(word: str) -> Fraction:
    """A coordinate's text "a", "a/b" or a decimal as a Fraction. Decimal reads the digits, of
    any number (int() refuses more than 4300), and Fraction(Decimal) is exact."""
    numerator, slash, denominator = word.partition("/")
    value = Fraction(Decimal(numerator))
    if slash:
        divisor = Fraction(Decimal(denominator))
        if value.denominator != 1 or divisor.denominator != 1 or "." in word or "e" in word.lower():
            raise ValueError(word)
        value /= divisor
    return value


def point(text: str) -> tuple[Fraction, Fraction]:
    """BETA,ALPHA: each an integer, a fraction a/b or a decimal, taken exactly."""
    words = text.split(",")
    if len(words) == 2 and max(map(coordinate_digits, words)) > MOST_DIGITS:
        raise argparse.ArgumentTypeError(
            f"BETA and ALPHA may have at most {MOST_DIGITS} digits each, the exponent counted: {shown(text)!r}")
    try:
        if len(words) != 2:
            raise ValueError
        return exact_coordinate(words[0]), exact_coordinate(words[1])
    except (ValueError, ArithmeticError):  # ArithmeticError: decimal's errors, a division by 0
        raise argparse.ArgumentTypeError(
            f"--above takes BETA,ALPHA, each an integer, a/b or a decimal: {shown(text)!r}") from None


def add_search_options(p: argparse.ArgumentParser) -> None:
    """The options of the searches, the same for both commands: rank bound, surface, side and point."""
    p.add_argument("--max-rank", metavar="N", type=rank_bound,
                   help="only candidates of rank at most N (N or --above is required when β₋ is irrational)")
    where = p.add_mutually_exclusive_group()
    where.add_argument("--surface", choices=["P2"],
                       help="P2: only classes with d ≡ c (mod 2), those of sheaves on the projective plane")
    where.add_argument("--degree", metavar="N", type=degree,
                       help="a surface with Pic = ℤ·ℓ and ℓ² = N (a quartic K3: 4): only classes with an integral "
                            "c2 = N·(C² - D)/2, D an integer or p/q; N = 1 is P2")
    p.add_argument("--side", choices=["left", "right", "both"], default="left",
                   help="the walls left of the vertical wall β = C/R (default), right of it, or both "
                        "(the left ones first)")
    p.add_argument("--above", metavar="BETA,ALPHA", type=point,
                   help="only the walls over σ(BETA, ALPHA) or through it, of every rank; "
                        "e.g. --above -5,1")


def search_options(args: argparse.Namespace) -> dict[str, Any]:
    surface = args.degree if args.degree is not None else args.surface
    return {"max_rank": args.max_rank, "surface": surface, "side": args.side, "above": args.above}


# The forms of a Chern character besides R C D: option, its values, what they are, and how they make the
# class on the Surface of --surface or --degree (None without either: then only --ch is a class).
CLASS_FORMS: dict[str, tuple[str, str, Callable[[list[str], Surface | None], ChernCharacter]]] = {
    "ch": ("R C1 CH2", "ch = (R, C1·ℓ, CH2·ℓ²), CH2 in units of ℓ² (an integer or p/q; without a surface in ½ℤ)",
           lambda words, surface: ch(int64(words[0]), int64(words[1]), words[2], surface=surface)),
    "chern_classes": ("R C1 C2", "rank R and Chern classes c1 = C1·ℓ, c2 = C2 points (needs --surface or --degree)",
                      lambda words, surface: from_chern_classes(*map(int64, words), surface=surface)),
    "mukai": ("R C S", "the Mukai vector (R, C·ℓ, S) on a K3 surface, S = ch2 + R in points (needs --degree N)",
              lambda words, surface: from_mukai(*map(int64, words), degree=surface.degree if surface else 0)),
    "ideal_sheaf": ("N", "the ideal sheaf I_Z of N points, ch = (1, 0, -N/ℓ²) (needs --surface or --degree)",
                    lambda words, surface: ideal_sheaf(int64(words[0]), surface=surface)),
}


def add_class_forms(p: argparse.ArgumentParser) -> None:
    """The options that give v as researchers write it, in place of R C D."""
    forms = p.add_argument_group("the Chern character in other forms (in place of R C D)").add_mutually_exclusive_group()
    for name, (values, text, _) in CLASS_FORMS.items():
        forms.add_argument(f"--{name.replace('_', '-')}", nargs=len(values.split()), metavar=tuple(values.split()),
                           help=text)


def chern_argument(args: argparse.Namespace, surface: object) -> tuple[ExactRow, Surface | None]:
    """v as the exact row (r, c, d) and the search's surface: from R C D, or from the one class form given,
    made on the surface of --surface or --degree; Stop with status 2 for a missing, doubled or bad v."""
    surface = checked_surface(surface)
    forms = [(name, getattr(args, name)) for name in CLASS_FORMS if getattr(args, name) is not None]
    given = [x for x in (args.R, args.C, args.D) if x is not None]
    if forms and given:
        raise Stop(f"give R C D or --{forms[0][0].replace('_', '-')}, not both", 2)
    if not forms:
        if len(given) < 3:
            raise Stop("the Chern character is missing: give R C D, or --ch, --chern-classes, --mukai or "
                       "--ideal-sheaf", 2)
        d = Fraction(args.D)
        if surface is None and d.denominator != 1:
            raise Stop(f"D = {d} is not an integer: without --surface or --degree, D = 2·ch2 must be one. For "
                       f"ch2 = {d} (in units of ℓ²) give --ch {args.R} {args.C} {d}; for D = {d}, --degree N", 2)
        return (args.R, args.C, args.D), surface
    name, words = forms[0]
    try:
        return class_row(name, words, surface)
    except BAD_CLASS as error:
        raise Stop(f"argument --{name.replace('_', '-')}: {error}", 2) from None


# What class_row raises for words that make no class.
BAD_CLASS = (ValueError, TypeError, OverflowError, argparse.ArgumentTypeError)


def class_row(form: str, words: list[str], surface: Surface | None) -> tuple[ExactRow, Surface | None]:
    """v as the exact row (r, c, d) and its surface, from the words of a class form (a key of CLASS_FORMS)
    on `surface`; one of BAD_CLASS says why they make none."""
    if surface is None and form != "ch":
        raise ValueError("needs --degree N, the degree of the K3 surface" if form == "mukai" else
                         "c2 counts points: it needs --surface P2 or --degree N")
    if surface is None and (2 * rational(words[2], "CH2")).denominator != 1:
        raise ValueError(f"CH2 = {words[2]} is not in ½ℤ, the lattice without a surface (d = 2·ch2 must be an "
                         "integer): give --surface P2 or --degree N for a finer one")
    return chern_row(CLASS_FORMS[form][2](words, surface), None, None, None)


def options_text(v: ExactRow, options: dict[str, Any]) -> str:
    """The side and point of a search of v for people: "" for the defaults."""
    parts = []
    if options["side"] != "left":
        # Rank 0 has no vertical wall: its one family of walls is the answer for both sides.
        where = "right of" if options["side"] == "right" else "both sides of"
        parts.append(f"{where} the vertical wall β = {Fraction(v[1], v[0])}" if v[0] != 0 else
                     f"{options['side']} side (rank 0: one family of walls, the same for both sides)")
    if options["above"] is not None:
        parts.append(f"over {point_text(options['above'])}")
    return "".join(f", {part}" for part in parts)


def error_text(error: BaseException) -> str:
    """The message of a failure, never empty: a MemoryError without one says what it is."""
    if isinstance(error, MemoryError):
        return str(error) or "out of memory (MemoryError)"
    return str(error) or type(error).__name__


def positive(text: str) -> int:
    try:
        value = int(text)
    except ValueError:
        value = 0
    if value < 1:
        raise argparse.ArgumentTypeError(f"not a positive integer: {shown(text)!r}")
    return value


@contextmanager
def interrupts_deferred() -> Iterator[None]:
    """Within it, a first Ctrl-C waits for the end of the block (then raises
    KeyboardInterrupt); a second one raises at once. Outside the main thread,
    or when SIGINT is not Python's default handler, nothing changes."""
    if (threading.current_thread() is not threading.main_thread()
            or signal.getsignal(signal.SIGINT) is not signal.default_int_handler):
        yield
        return
    pending = False

    def defer(signum: int, frame: FrameType | None) -> None:
        nonlocal pending
        if pending:
            raise KeyboardInterrupt
        pending = True

    signal.signal(signal.SIGINT, defer)
    try:
        yield
    finally:
        signal.signal(signal.SIGINT, signal.default_int_handler)
    if pending:
        raise KeyboardInterrupt


class Output:
    """Standard output, written in chunks of CHUNK bytes straight to its file
    descriptor, so that memory does not grow with the output.

    What was passed to one write() and then flush() goes out whole even when
    Ctrl-C comes while a full pipe holds it back (a second Ctrl-C gives up):
    each line of JSON Lines output, written so, ends whole. A write that fails
    raises Stop, except for a reader that went away (BrokenPipeError).
    """

    def __init__(self) -> None:
        stdout = sys.stdout
        try:
            if stdout is None:
                raise OSError("it is closed")
            stdout.flush()
            self._fd = stdout.fileno()
        except (OSError, ValueError) as error:  # ValueError: a closed file object
            raise Stop(f"cannot write to standard output: {error}") from None
        self._encoding = getattr(stdout, "encoding", None) or "utf-8"
        self._pending: list[bytes] = []
        self._size = 0

    def write(self, text: str) -> None:
        data = text.encode(self._encoding, "backslashreplace")
        self._pending.append(data)
        self._size += len(data)
        if self._size >= CHUNK:
            self.flush()

    def flush(self) -> None:
        data = memoryview(b"".join(self._pending))
        self._pending.clear()
        self._size = 0
        try:
            with interrupts_deferred():
                while data:
                    data = data[os.write(self._fd, data):]
        except BrokenPipeError:
            raise
        except OSError as error:
            raise Stop(f"cannot write to standard output: {error.strerror or error}") from None


def read_lines(path: str) -> list[str]:
    """The lines of a file, or of standard input for "-"; Stop (status 2) when it cannot be read."""
    name = "<stdin>" if path == "-" else path
    try:
        if path != "-":
            with open(path, encoding="utf-8") as file:
                return file.readlines()
        if sys.stdin is None:
            raise OSError("standard input is closed")
        return sys.stdin.readlines()
    except (OSError, UnicodeDecodeError) as error:
        raise Stop(f"cannot read {shown(name)}: {error}", 2) from None
