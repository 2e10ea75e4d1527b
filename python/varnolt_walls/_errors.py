"""The exceptions that say why a Chern character has no list of candidates."""

from __future__ import annotations

from collections.abc import Sequence
from typing import Any, SupportsIndex

# What the search says when β₋ is not rational; the message of an irrational
# β₋ starts with it, as varnolt.pseudo_semistabilizers raises exactly it.
NOT_RATIONAL = "β_ is not rational: ∞ walls"


class _ChernCharacterError(ValueError):
    """A ValueError about one Chern character v, kept as ``chern_character``, the tuple (r, c, d)."""

    def __init__(self, chern_character: Sequence[SupportsIndex], *details: Any) -> None:
        r, c, d = (x.__index__() for x in chern_character)
        self.chern_character: tuple[int, int, int] = (r, c, d)
        self._details = details
        super().__init__(self._message(*details))

    def _message(self, *details: Any) -> str:
        raise NotImplementedError

    def __reduce__(self) -> tuple[type[_ChernCharacterError], tuple[Any, ...]]:
        return type(self), (self.chern_character, *self._details)


class IrrationalBetaError(_ChernCharacterError):
    """β₋ of v is irrational, so v has infinitely many candidates: pass a rank bound.

    Raised by :func:`candidates`, :func:`count`, :func:`walls` and :func:`plot`
    without `max_rank` when v has positive rank and c² − r·d is positive and
    not a square: the pseudo-walls accumulate at β₋, and `max_rank` lists
    those of the candidates of rank at most it. The message starts with the
    search's, "β_ is not rational: ∞ walls". ``chern_character`` is v = (r, c, d).

    Examples
    --------
    >>> import varnolt_walls as vw
    >>> try:
    ...     vw.count(3, 2, -1)
    ... except vw.IrrationalBetaError as error:
    ...     print(error.chern_character)
    (3, 2, -1)
    """

    def __init__(self, chern_character: Sequence[SupportsIndex], option: str = "max_rank=R") -> None:
        """`option` is how the message names the rank bound (the command line's is "--max-rank N")."""
        super().__init__(chern_character, option)

    def _message(self, *details: Any) -> str:
        option = str(details[0])
        return (f"{NOT_RATIONAL}: β₋ of {self.chern_character} is irrational, so there are infinitely many "
                f"pseudo-walls; pass {option} to list those of the candidates of rank at most {option[-1]}")


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
    varnolt_walls._errors.NoRealBetaError: the Bogomolov discriminant c² - r·d of (1, 0, 1) is -1, negative, so there is no β₋ and no wall
    """

    def __init__(self, chern_character: Sequence[SupportsIndex]) -> None:
        super().__init__(chern_character)

    def _message(self, *details: Any) -> str:
        from ._beta import discriminant  # here: _beta raises these errors

        r, c, d = v = self.chern_character
        reason = (f"{v} has r = c = 0" if r == c == 0 else
                  f"the Bogomolov discriminant c² - r·d of {v} is {discriminant(r, c, d)}, negative")
        return f"{reason}, so there is no β₋ and no wall"
