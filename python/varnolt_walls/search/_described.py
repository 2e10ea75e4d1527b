"""What a search's result says of itself: the v searched, its surface, the side, the rank bound,
the point and whether the list is complete."""

from __future__ import annotations

from dataclasses import dataclass
from fractions import Fraction
from typing import Any

from ..classes._arguments import ExactRow, lattice_row
from ..classes._chern import ChernCharacter
from ..classes._options import (ExactPoint, SearchOptions, Side, SideOption, Surface, dual, mirrored, on_surface,
                                unshifted)
from ..plane._moduli import no_sheaf_note
from ._beta import exact_beta_minus, no_real_beta


def searched_sides(v: ExactRow, side: str, above: ExactPoint | None) -> tuple[Side, ...]:
    """The sides a search of `side` runs, in order: "both" is left then right, but a rank 0 has
    one family of walls (searched once, as "left"), and no wall of the far side passes over a point
    (only the point's side is searched)."""
    if side != "both":
        return ("right",) if side == "right" else ("left",)
    r, c, _ = unshifted(v)  # a shifted class's walls and sides are those of −v
    if r == 0:
        return ("left",)
    if above is not None:
        return ("left",) if above[0] < Fraction(c, r) else ("right",)
    return ("left", "right")


def complete(v: ExactRow, options: SearchOptions) -> bool:
    """Whether a search's list is every pseudo-wall of v on its surface and side (over its point when
    it has one): not cut by the rank bound.

    Without a rank bound it is. With one, it is when on each side searched β₋ = m/n of the searched
    v (v, or its dual for the right walls) is rational and the bound is at least X² (X = c·n − r·m),
    the largest rank a candidate can have; an irrational β₋ has candidates of every rank (over a
    point, of ranks up to a bound the core proves, which this does not know: such a list counts as
    possibly cut).
    """
    if options.max_rank is None:
        return True
    # The search's coordinates (r, λ·c, λ²·d), where its rank bound X² holds; a shifted class
    # is searched as −v.
    lattice = unshifted(lattice_row(v, options.scale))
    for side in searched_sides(v, options.side, options.above):
        searched = dual(lattice) if mirrored(lattice, side) else lattice
        beta = None if no_real_beta(searched) else exact_beta_minus(searched)
        if not isinstance(beta, Fraction):
            return False
        r, c, _ = searched
        x = c * beta.denominator - r * beta.numerator
        if options.max_rank < x * x:
            return False
    return True


@dataclass(frozen=True, slots=True)
class Description:
    """The search a result comes from: v, the side asked and the sides searched, the rank bound, the
    point and whether the list is complete (see :func:`complete`)."""

    v: ChernCharacter
    side: SideOption
    sides: tuple[Side, ...]
    max_rank: int | None
    above: ExactPoint | None
    complete: bool

    @property
    def options(self) -> SearchOptions:
        return SearchOptions(self.max_rank, self.v.surface, self.side, self.above)

    def keywords(self) -> dict[str, Any]:
        """The options as the public functions take them."""
        return self.options.keywords()

    def caption(self) -> str:
        """What was searched, for people: "ch = (1, 0, -2) on P2, left side, rank ≤ 10, may be incomplete"
        (without a surface: "on the ½ℤ lattice of ℓ² = 2, no surface given")."""
        v = self.v
        parts = [chern_text(v),
                 "both sides" if self.side == "both" else f"{self.side} side"]
        if self.max_rank is not None:
            parts.append(f"rank ≤ {self.max_rank}")
        if self.above is not None:
            parts.append(f"over σ({self.above[0]}, {self.above[1]})")
        parts.append("complete" if self.complete else "may be incomplete")
        return ", ".join(parts) + no_sheaf_note(v)


def chern_text(v: ChernCharacter) -> str:
    """A class for people, with its lattice: "ch = (1, 0, -8) on P2"."""
    return f"ch = ({v.rank}, {v.c1}, {v.ch2}) {on_surface(v.surface)}"


def described(v: ExactRow, options: SearchOptions) -> Description:
    """The description of a search of v with `options` (v on the options' surface)."""
    r, c, d = v
    chern = ChernCharacter(r, c, Fraction(d) / 2, options.surface)
    return Description(chern, options.side, searched_sides(v, options.side, options.above),
                       options.max_rank, options.above, complete(v, options))


class Described:
    """The attributes of a result that describe its search (from its `_description`)."""

    __slots__ = ()
    _description: Description

    @property
    def v(self) -> ChernCharacter:
        """The Chern character searched."""
        return self._description.v

    @property
    def surface(self) -> Surface | None:
        """Its surface (None: the lattice ch₂ ∈ ½ℤ of the module)."""
        return self._description.v.surface

    @property
    def side(self) -> SideOption:
        """The side asked: "left", "right" or "both"."""
        return self._description.side

    @property
    def max_rank(self) -> int | None:
        """The rank bound of the search, or None."""
        return self._description.max_rank

    @property
    def above(self) -> ExactPoint | None:
        """The point (β, α) the walls pass over, exactly, or None."""
        return self._description.above

    @property
    def complete(self) -> bool:
        """Whether the list is every pseudo-wall of v on its side (over `above`): not cut by `max_rank`."""
        return self._description.complete
