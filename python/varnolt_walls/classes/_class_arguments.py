"""The public functions' v, from their arguments: a ChernCharacter alone, or the integers (r, c, d)
with the options' surface; checked once into the exact row of a search and its surface."""

from __future__ import annotations

from collections.abc import Sequence
from dataclasses import replace
from fractions import Fraction
from typing import SupportsIndex

from ._arguments import RATIO, ExactRow, Row, chern_character, exact_d, int64, lattice_row
from ._chern import ChernCharacter, rational
from ._options import SearchOptions, Surface


# What the search functions take as v: a class, or its row's first entry r (then c and d follow).
ChernArgument = ChernCharacter | SupportsIndex


def _no_fraction_hint(r: object, c: object, value: Fraction) -> ValueError:
    """Why a d that is not an integer needs a surface, and the two ways to say what was meant."""
    return ValueError(
        f"d = {value} is not an integer: without a surface, d = 2·ch2 must be one (ch2 ∈ ½ℤ). For ch2 = {value} "
        f"(in units of ℓ²) pass ch({r}, {c}, {str(value)!r}); for d = {value} give the surface whose lattice "
        "holds it (surface=Surface(degree=n))")


def alone(v: ChernCharacter, c: object, d: object) -> ChernCharacter:
    """v, when a function that takes a class in place of (r, c, d) got no c and d beside it."""
    if c is not None or d is not None:
        raise TypeError(f"v is a ChernCharacter alone or the integers r, c, d, not both: got {v} and "
                        f"c={c!r}, d={d!r}")
    return v


def chern_character_on(r: SupportsIndex, c: SupportsIndex, d: object, surface: Surface | None) -> ExactRow:
    """(r, c, d) for a search on `surface`: d any integer on the module's lattice (None), exact on a Surface."""
    if surface is None:
        return chern_character(r, c, d)  # type: ignore[arg-type]
    return int64("r", r), int64("c", c), exact_d(d)


def chern_row(r: ChernArgument, c: SupportsIndex | None, d: object,
              surface: Surface | None) -> tuple[ExactRow, Surface | None]:
    """v as the exact row (r, c, d) of a search and the search's surface, from a public function's arguments:
    a ChernCharacter alone (its surface becomes the search's; a `surface` that contradicts it is a
    ValueError), or the integers r, c, d with `surface` (d exact on a Surface, an integer without one)."""
    if isinstance(r, ChernCharacter):
        alone(r, c, d)
        if surface is not None and r.surface is not None and surface != r.surface:
            raise ValueError(f"{r!r} lives on {r.surface}, but surface={surface!r} was given: leave surface "
                             "out, or make the class on that surface")
        surface = r.surface or surface
        return chern_character_on(*r.row, surface), surface
    if c is None or d is None:
        missing = " and ".join(name for name, value in (("c", c), ("d", d)) if value is None)
        raise TypeError(f"v is a ChernCharacter or the integers r, c, d: {missing} missing (or None)")
    if surface is None and isinstance(d, Fraction | str) and (isinstance(d, Fraction) or RATIO.fullmatch(d.strip())):
        value = rational(d, "d")
        if value.denominator != 1:
            raise _no_fraction_hint(r, c, value)
        d = value.numerator
    return chern_character_on(r, c, d, surface), surface


def chern_options(r: ChernArgument, c: SupportsIndex | None, d: object,
                  options: SearchOptions) -> tuple[ExactRow, SearchOptions]:
    """v and the checked options of a search with the class's surface in them (see chern_row)."""
    v, surface = chern_row(r, c, d, options.surface)
    return v, options if surface is options.surface else replace(options, surface=surface)


def wall_rows(v: ChernCharacter | Sequence[SupportsIndex],
              u: ChernCharacter | Sequence[SupportsIndex]) -> tuple[Row, Row, int]:
    """v and u of a numerical wall, each a ChernCharacter or three integers (r, c, d), as integer rows in the
    coordinates (r, λ·c, λ²·d) of their surface's λ, and λ: there d is an integer on every class of the
    surface, and a wall's center and radius² are λ and λ² times those of v and u."""
    surfaces = {x.surface for x in (v, u) if isinstance(x, ChernCharacter) and x.surface is not None}
    if len(surfaces) > 1:
        raise ValueError(f"{v} and {u} live on different surfaces")
    scale = surfaces.pop().scale if surfaces else 1

    def row(x: ChernCharacter | Sequence[SupportsIndex], name: str) -> Row:
        if isinstance(x, ChernCharacter):
            return lattice_row(x.row, scale)
        r, c, d = (int64(f"{name}[{i}]", y) for i, y in enumerate(x))
        return r, c * scale, d * scale * scale

    return row(v, "v"), row(u, "u"), scale
