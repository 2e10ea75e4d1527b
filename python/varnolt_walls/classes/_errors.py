"""The exceptions that say why a Chern character has no list of candidates, and the one table
that turns a refusal of the native search into them."""

from __future__ import annotations

from collections.abc import Callable, Sequence
from fractions import Fraction
from typing import Any, SupportsIndex

from ._arguments import ExactRow, discriminant, shown_ch
from ._options import SearchOptions, on_surface

# The forms of the two ways to a finite list of walls: in Python, and on the command line.
FORMS = {"max_rank=R": ("R", "above=(β, α)", "σ(β, α)"), "--max-rank N": ("N", "--above B,A", "σ(B, A)")}


class _ChernCharacterError(ValueError):
    """A ValueError about one Chern character v, kept as ``chern_character``, the tuple (r, c, d)
    (d a Fraction where it is not an integer, on a surface of degree n >= 3)."""

    def __init__(self, chern_character: Sequence[SupportsIndex | Fraction], *details: Any) -> None:
        r, c, d = (x if isinstance(x, Fraction) and x.denominator != 1 else int(x) for x in chern_character)
        self.chern_character: ExactRow = (int(r), int(c), d)
        self._details = details
        super().__init__(self._message(*details))

    def _message(self, *details: Any) -> str:
        raise NotImplementedError

    def __reduce__(self) -> tuple[type[_ChernCharacterError], tuple[Any, ...]]:
        return type(self), (self.chern_character, *self._details)


class IrrationalBetaError(_ChernCharacterError):
    """β₋ of v is irrational, so v has infinitely many candidates: pass a rank bound or a point.

    Raised by :func:`candidates`, :func:`count`, :func:`walls` and :func:`plot`
    without `max_rank` and `above` when v has positive rank and c² − r·d is
    positive and not a square: the pseudo-walls accumulate at β₋; `max_rank`
    lists those of the candidates of rank at most it, `above` the walls over
    a point, whatever their rank. ``chern_character`` is v = (r, c, d).

    Examples
    --------
    >>> import varnolt_walls as vw
    >>> try:
    ...     vw.count(3, 2, -1)
    ... except vw.IrrationalBetaError as error:
    ...     print(error.chern_character)
    ...     print(error)
    (3, 2, -1)
    β₋ of ch = (3, 2, -1/2) is irrational: its pseudo-walls are infinitely many and accumulate at β₋; pass max_rank=R for those of the candidates of rank at most R, or above=(β, α) for the walls over σ(β, α)
    """

    def __init__(self, chern_character: Sequence[SupportsIndex | Fraction], option: str = "max_rank=R") -> None:
        """`option` is how the message names the rank bound: "max_rank=R", or the command line's "--max-rank N"."""
        super().__init__(chern_character, option)

    def _message(self, *details: Any) -> str:
        option = str(details[0])
        bound, point, sigma = FORMS.get(option, (option[-1], "above=(β, α)", "σ(β, α)"))
        return (f"β₋ of {shown_ch(self.chern_character)} is irrational: its pseudo-walls are infinitely many and accumulate "
                f"at β₋; pass {option} for those of the candidates of rank at most {bound}, or {point} for the "
                f"walls over {sigma}")


class NoRealBetaError(_ChernCharacterError):
    """v has no real β₋ (c² − r·d < 0, or r = c = 0), so it has no pseudo-wall at all.

    Raised by :func:`candidates`, :func:`count`, :func:`walls` and :func:`plot`,
    with or without `max_rank`. ``chern_character`` is v = (r, c, d).

    Examples
    --------
    >>> import varnolt_walls as vw
    >>> vw.count(1, 0, 1)
    Traceback (most recent call last):
      ...
    varnolt_walls.classes._errors.NoRealBetaError: the Bogomolov discriminant c₁² - 2·r·ch₂ of ch = (1, 0, 1/2) is -1, negative, so there is no β₋ and no wall
    """

    def __init__(self, chern_character: Sequence[SupportsIndex | Fraction]) -> None:
        super().__init__(chern_character)

    def _message(self, *details: Any) -> str:
        r, c, d = v = self.chern_character
        reason = (f"{shown_ch(v)} has r = c₁ = 0" if r == c == 0 else
                  f"the Bogomolov discriminant c₁² - 2·r·ch₂ of {shown_ch(v)} is {discriminant(r, c, d)}, negative")
        return f"{reason}, so there is no β₋ and no wall"


def _shown(x: Fraction) -> str:
    """A coordinate in a message: short, whatever its size."""
    try:
        return f"{float(x):g}"
    except OverflowError:
        return f"{'-' if x < 0 else ''}1e+{len(str(abs(x.numerator) // x.denominator)) - 1}…"


def _point_side(v: ExactRow, options: SearchOptions, where: str) -> ValueError:
    beta, alpha = options.above or (Fraction(0), Fraction(0))
    other = "right" if options.side == "left" else "left"
    hint = "" if where == "on" else f" (the {other} walls are on that side)"
    where = where if where == "on" else f"{other} of"
    return ValueError(f"the point (β, α) = ({beta}, {alpha}) lies {where} the vertical wall β = {Fraction(v[1], v[0])} "
                      f"of {shown_ch(v)}, over which no {options.side} wall passes{hint}")


def _too_large_bound(v: ExactRow, options: SearchOptions, text: str, bound: str) -> OverflowError:
    beta, alpha = options.above or (Fraction(0), Fraction(0))
    return OverflowError(f"the walls of {shown_ch(v)} over σ({_shown(beta)}, {_shown(alpha)}) may come from candidates of "
                         f"rank up to {bound}, {text}; pass max_rank or a point farther from β₋")


def _off_lattice(v: ExactRow, options: SearchOptions) -> ValueError:
    r, c, d = v
    if options.surface is None or options.surface.degree == 1:
        return ValueError(f"{shown_ch(v)} is not a Chern character on P2: c₂ = c₁²/2 - ch₂ = {Fraction(c * c - d, 2)} "
                          "is not an integer (ch₂ must be in c₁²/2 + ℤ)")
    n = options.surface.degree
    return ValueError(f"{shown_ch(v)} is not a Chern character on a surface with ℓ² = {n}: c₂ = n·(c₁²/2 - ch₂) = "
                      f"{n * (c * c - Fraction(d)) / 2} is not an integer (ch₂ must lie in c₁²/2 + (1/{n})ℤ)")


def _overflow(v: ExactRow, options: SearchOptions, text: str) -> OverflowError:
    """The search met a number past its exact integers: no list at all (never a partial one)."""
    bound = "" if options.max_rank is None else f", rank ≤ {options.max_rank}"
    return OverflowError(f"the search of {shown_ch(v)} {on_surface(options.surface)}{bound} stopped, it met numbers "
                         f"too large for its exact integer arithmetic ({text}): its sizes grow with the ranks, the "
                         "entries of v and the degree ℓ²; pass a smaller max_rank, or a class or surface with "
                         "smaller numbers")


# What each kind of refusal raises: (kind) -> f(v, options, text, detail).
REFUSALS: dict[str, Callable[[ExactRow, SearchOptions, str, str], Exception]] = {
    "irrational_beta": lambda v, o, text, detail: IrrationalBetaError(v),
    "no_real_beta": lambda v, o, text, detail: NoRealBetaError(v),
    # Not on the package's route, which searches a shifted class as −v: varnolt's own refusals.
    "negative_rank": lambda v, o, text, detail: RuntimeError(text),
    "negative_rank_irrational": lambda v, o, text, detail: RuntimeError(text),
    "overflow": lambda v, o, text, detail: _overflow(v, o, text),
    "internal_fault": lambda v, o, text, detail: RuntimeError(text),
    "off_lattice": lambda v, o, text, detail: _off_lattice(v, o),
    "alpha_not_positive": lambda v, o, text, detail: ValueError(
        f"alpha must be > 0: σ(β, α) is a stability condition only for α > 0, not {o.above and o.above[1]}"),
    "point_on_vertical_wall": lambda v, o, text, detail: _point_side(v, o, "on"),
    "point_across_vertical_wall": lambda v, o, text, detail: _point_side(v, o, "across"),
    "rank_bound_beyond_int64": lambda v, o, text, detail: _too_large_bound(v, o, text, detail),
    "rank_bound_beyond_walk": lambda v, o, text, detail: _too_large_bound(v, o, text, detail),
}


def refusal(arguments: tuple[Any, ...], options: SearchOptions) -> Exception:
    """The exception for the native search's Refused(kind, v, text, detail)."""
    kind, v, text, detail = arguments
    return REFUSALS[kind](tuple(v), options, text, detail)
