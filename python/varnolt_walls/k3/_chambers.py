"""The chambers of the walls of v: the ample cones of the birational models of M_H(v).

Bayer and Macrì's map ℓ sends each chamber of the stability manifold onto the ample cone of the
model M_σ(v) of its σ, and a wall W onto the ray of H_W^⊥ (see _cones). Along the path that
crosses the walls (the semicircle of centre c/r, see _walls), the rays come in order, so the
ample cone of the model between two consecutive walls is the cone their rays span. The
Gieseker chamber (M_H(v) itself) lies next to the vertical wall on the left; when the vertical
wall is a flop the next model lies across it, and the chambers go on right of it (the right
walls, from the vertical wall inwards); when it is no wall, the Gieseker chamber reaches over
it, to the first wall on the right. Past the wall that ends the movable cone (divisorial or
Lagrangian) there are no more models. Every wall listed is an actual wall (none is fake where
it is crossed), so consecutive walls bound different models.
"""

from __future__ import annotations

from dataclasses import dataclass

from ._cones import Ray, cone_text
from ._lattice import DIVISORIAL, Mukai


@dataclass(frozen=True)
class K3Chamber:
    """The ample cone of one birational model of M_H(v): the cone of two rays of v^⊥.

    ``rays`` are primitive Mukai vectors in v^⊥ oriented into the positive cone, the side
    toward the Gieseker chamber first (for the Gieseker chamber the vertical wall's side);
    ``kinds`` the kinds of the walls there, in the same order. :meth:`text` writes the cone
    as researchers do, "⟨H̃, H̃ − 2/3·B⟩" for Hilbⁿ.
    """

    v: Mukai
    rays: tuple[Ray, Ray]
    kinds: tuple[str, str]

    def text(self, latex: bool = False) -> str:
        """The cone as "⟨H̃, H̃ − 2/3·B⟩" for Hilbⁿ, in the basis h, b of v^⊥ otherwise (LaTeX with `latex`)."""
        return cone_text(self.v, self.rays, latex)

    def __str__(self) -> str:
        return f"{self.text()} between {self.kinds[0]} and {self.kinds[1]}"


Bound = tuple[Ray, str]


def chambers_of(v: Mukai, vertical: Bound | None, left: list[Bound], right: list[Bound] | None) -> tuple[K3Chamber, ...]:
    """The chambers from the Gieseker chamber inwards: left of the vertical wall, then right of it.

    `vertical` is the vertical wall's ray and kind (None when it is no wall), `left` and `right`
    the walls on each side from the vertical wall inwards (`right` None when not computed:
    a divisorial vertical wall ends the models there)."""
    def between(bounds: list[Bound]) -> list[K3Chamber]:
        return [K3Chamber(v, (a[0], b[0]), (a[1], b[1])) for a, b in zip(bounds, bounds[1:])]
    if vertical is None:  # the Gieseker chamber reaches over the vertical line
        if not right:
            return ()
        return tuple(between([right[0], *left]) + between(right))
    found = between([vertical, *left])
    if right is not None and vertical[1] not in DIVISORIAL:
        found += between([vertical, *right])
    return tuple(found)
