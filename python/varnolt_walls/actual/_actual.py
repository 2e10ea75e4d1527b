"""The pseudo-walls of a class on P², each actual (with its certificate) or undecided."""

from __future__ import annotations

import json
from collections.abc import Iterator, Sequence
from dataclasses import dataclass
from html import escape
from typing import Any, Literal, SupportsIndex, overload

from ..classes._chern import ChernCharacter, ch  # noqa: F401 (ch: for the examples)
from ..classes._options import Point, SideOption
from ..plane._moduli import PLANE
from ..search._described import Described
from ..search._walls import Wall, Walls, _latex_called, walls, walls_document
from ._certificate import Certificate, Certifier

Status = Literal["actual", "undecided"]


@dataclass(frozen=True, slots=True)
class ActualWall:
    """A pseudo-wall of v (a :class:`Wall`) with its `status`: "actual" with the `certificate` that
    proves it (a :class:`Certificate`), or "undecided" (certificate None), where no proof is within
    reach: it may or may not change the moduli space.

    >>> found = actual_walls(ch(1, 0, -2, surface="P2"))
    >>> print(found[0])
    actual: (β + 5/2)² + α² = 9/4; O(-1) (line bundle) ⊂ E → O_L(-2) (Gieseker-stable sheaves, above all their pseudo-walls), χ = -3, E stable above
    """

    wall: Wall
    certificate: Certificate | None

    @property
    def status(self) -> Status:
        """"actual" (proved by the certificate) or "undecided"."""
        return "undecided" if self.certificate is None else "actual"

    def __str__(self) -> str:
        proof = "" if self.certificate is None else f"; {self.certificate}"
        return f"{self.status}: {self.wall._equation(str, 'β', 'α', '²')}{proof}"

    def _repr_latex_(self) -> str:
        equation = "$" + self.wall._repr_latex_().split("$")[1] + "$"  # the wall's equation, without its classes
        c = self.certificate
        if c is None:
            return f"undecided: {equation}"
        if c.kind == "morphism":
            proof = f"${_latex_called(c.sub)}$ ({c.sub_reason}) $\\to E$ ({c.quotient_reason})"
        else:
            def power(of: Literal["sub", "quotient"]) -> str:
                return c.power(of).replace("⊕", "\\oplus ")

            proof = (f"${_latex_called(c.sub)}{power('sub')}$ ({c.sub_reason}) $\\subset E \\to$ "
                     f"${_latex_called(c.quotient)}{power('quotient')}$ ({c.quotient_reason})")
        return f"actual: {equation}; {proof}, $\\chi = {c.chi}$, $E$ stable {c.stable_side}"


class ActualWalls(Described, Sequence[ActualWall]):
    """The pseudo-walls of a class v on P², largest first, each an :class:`ActualWall`.

    It describes its search as :class:`Walls` does (`v`, `side`, `max_rank`, `above`,
    `complete`); `walls` is that search's :class:`Walls`. Its caption counts the walls proved
    actual and the undecided ones; it prints as text, LaTeX and HTML, and :meth:`to_json` writes
    the walls' document with each wall's status and certificate, which :meth:`from_json` reads back.

    >>> found = actual_walls(ch(1, 0, -8, surface="P2"))
    >>> found.caption()
    '8 walls of I_Z, |Z| = 8 on P²: 6 actual, 2 undecided'
    >>> ActualWalls.from_json(found.to_json()) == found
    True
    """

    __slots__ = ("walls", "_found", "_description")

    def __init__(self, found: Walls, certificates: Sequence[Certificate | None]) -> None:
        self.walls = found
        self._description = found._description
        self._found = tuple(ActualWall(w, c) for w, c in zip(found, certificates))

    def __len__(self) -> int:
        return len(self._found)

    @overload
    def __getitem__(self, index: int) -> ActualWall: ...
    @overload
    def __getitem__(self, index: slice) -> list[ActualWall]: ...

    def __getitem__(self, index: int | slice) -> ActualWall | list[ActualWall]:
        return list(self._found[index]) if isinstance(index, slice) else self._found[index]

    def __iter__(self) -> Iterator[ActualWall]:
        return iter(self._found)

    def __eq__(self, other: object) -> bool:
        if isinstance(other, ActualWalls):
            return self.walls == other.walls and self._found == other._found
        return NotImplemented

    __hash__ = None  # type: ignore[assignment]

    def __repr__(self) -> str:
        return repr(list(self._found))

    def counts(self) -> tuple[int, int]:
        """(actual, undecided)."""
        actual = sum(w.certificate is not None for w in self._found)
        return actual, len(self._found) - actual

    def caption(self) -> str:
        """For people: ``8 walls of I_Z, |Z| = 8 on P²: 6 actual, 2 undecided``, with the options of
        the search where it has some ("left side" is the default and left unsaid)."""
        v = self.v
        return self._caption(v.name or f"ch = ({v.rank}, {v.c1}, {v.ch2})", "P²")

    def _caption(self, named: str, plane: str) -> str:
        options = []
        if self.side != "left":
            options.append("both sides" if self.side == "both" else f"{self.side} side")
        if self.max_rank is not None:
            options.append(f"rank ≤ {self.max_rank}")
        if self.above is not None:
            options.append(f"over σ({self.above[0]}, {self.above[1]})")
        if not self.complete:
            options.append("may be incomplete")
        n, (actual, undecided) = len(self), self.counts()
        extra = f" ({', '.join(options)})" if options else ""
        return f"{n} wall{'' if n == 1 else 's'} of {named} on {plane}{extra}: {actual} actual, {undecided} undecided"

    def __str__(self) -> str:
        return "\n".join([self.caption(), *(f"  {w}" for w in self._found)])

    def _repr_latex_(self) -> str:
        items = "".join(rf"\item {w._repr_latex_()}" for w in self._found)
        caption = self._caption(f"${_latex_called(self.v)}$", r"$\mathbb{P}^2$").replace("σ", r"$\sigma$")
        return caption + rf"\begin{{itemize}}{items}\end{{itemize}}"

    def _repr_html_(self) -> str:
        def cell(text: str) -> str:
            return f"<td>{escape(text)}</td>"

        rows = "".join(
            f"<tr>{cell(w.status)}{cell(str(w.wall.center))}{cell(str(w.wall.radius_squared))}"
            f"{cell('' if w.certificate is None else str(w.certificate))}</tr>" for w in self._found)
        return (f"<table><caption>{escape(self.caption())}; largest first</caption>"
                f"<tr><th>status</th><th>center</th><th>radius²</th><th>certificate</th></tr>{rows}</table>")

    def to_json(self) -> str:
        """The document of :meth:`Walls.to_json` with, on each wall, "status" and "certificate"
        (null, or {"sub", "quotient": [r, c1, ch2], their names and reasons, "chi", "stable_side",
        "multiplicity" and which of the two is "multiple"})."""
        found = json.loads("".join(walls_document(self.walls)))
        for wall, actual in zip(found["walls"], self._found):
            wall["status"] = actual.status
            wall["certificate"] = None if actual.certificate is None else _certificate_document(actual.certificate)
        return json.dumps(found, ensure_ascii=False)

    @classmethod
    def from_json(cls, text: str | bytes) -> ActualWalls:
        """The result of a document of :meth:`to_json`: its walls read back, certified again, and
        checked against the document's statuses and certificates (a ValueError where they differ)."""
        try:
            found = json.loads(text)
            claimed = [(w.pop("status"), _with_multiplicity(w.pop("certificate"))) for w in found["walls"]]
        except RecursionError:
            raise ValueError("not a document of actual walls: its JSON nests too deeply") from None
        except (KeyError, TypeError, AttributeError, ValueError) as error:  # ValueError: not JSON, too many digits
            raise ValueError(f"not a document of actual walls: {type(error).__name__}: {error}") from None
        result = certified(Walls.from_json(json.dumps(found)))
        for wall, (status, certificate) in zip(result, claimed):
            proof = None if wall.certificate is None else _certificate_document(wall.certificate)
            if (status, certificate) != (wall.status, proof):
                raise ValueError(f"the wall centred at {wall.wall.center} with radius² {wall.wall.radius_squared} is "
                                 f"{wall.status}, with the certificate {proof}, not {status} with {certificate}")
        return result


def _certificate_document(c: Certificate) -> dict[str, Any]:
    def row(u: ChernCharacter) -> list[int | str]:
        return [u.rank, u.c1, str(u.ch2) if u.ch2.denominator != 1 else int(u.ch2)]

    return {"kind": c.kind, "sub": row(c.sub), "sub_name": c.sub.name, "sub_reason": c.sub_reason,
            "quotient": row(c.quotient), "quotient_name": c.quotient.name, "quotient_reason": c.quotient_reason,
            "chi": c.chi, "stable_side": c.stable_side, "multiplicity": c.multiplicity, "multiple": c.multiple}


def _with_multiplicity(certificate: Any) -> Any:
    """A certificate of a document written before certificates had a multiplicity: one, of the sub."""
    if isinstance(certificate, dict) and "multiplicity" not in certificate:
        return {**certificate, "multiplicity": 1, "multiple": "sub"}
    return certificate


def certified(found: Walls) -> ActualWalls:
    """Each wall of a search on P² with its certificate, or None (undecided)."""
    certifier = Certifier()
    return ActualWalls(found, [certifier.certificate(w) for w in found])


def actual_walls(v: ChernCharacter, *, max_rank: SupportsIndex | None = None, above: Point | None = None,
                 side: SideOption = "left") -> ActualWalls:
    """The pseudo-walls of v on P², each proved an actual wall or left undecided.

    The walls are those of :func:`walls` with the same options (and its refusals). A wall W with
    classes u ⊂ v → w is proved actual when objects of classes u and w (or w and u) are known to
    be σ-stable in the heart at a point of W and χ(w, u) < 0: then a non-split extension of them
    is stable on one side of W only, so the moduli space of σ-stable objects of class v changes
    across W. Where one class is a multiple k·u₀ (as O(-2)^{⊕2}), stable objects of u₀ and of the
    other class with χ ≤ −k give an extension by k copies that does the same. Known stable: line
    bundles and their shifts where they lie in the heart (Arcara–Miles), and classes with
    Gieseker-stable sheaves (Drézet–Le Potier; rank 0: sheaves on curves) when all their own
    pseudo-walls on that side are strictly inside W (one search of each class, over a point of W). Every other wall is "undecided": no proof either way.

    Parameters
    ----------
    v : ChernCharacter
        A class on P2 (``surface="P2"``); a class elsewhere is a ValueError, anything else a
        TypeError.
    max_rank, above, side
        As for :func:`walls`.

    Returns
    -------
    ActualWalls
        The walls, largest first, each an :class:`ActualWall` with its `status` and `certificate`.

    Examples
    --------
    Seven points (β₋ = -√14: a rank bound): the sixth wall is made by the exceptional bundle
    T(-4), of ch (2, -5, 11/2), with quotient O(-5)[1].

    >>> found = actual_walls(ch(1, 0, -7, surface="P2"), max_rank=14)
    >>> found.caption()
    '9 walls of I_Z, |Z| = 7 on P² (rank ≤ 14, may be incomplete): 6 actual, 3 undecided'
    >>> print(found[5].certificate)
    T(-4) (Gieseker-stable sheaves, above all their pseudo-walls) ⊂ E → O(-5)[1] (shifted line bundle), χ = -15, E stable above
    """
    if not isinstance(v, ChernCharacter):
        raise TypeError(f"v must be a ChernCharacter on P2 (ch(r, c, ch2, surface='P2')), not {type(v).__name__}")
    if v.surface != PLANE:
        raise ValueError(f"{v} is not on P2: walls are certified on P2 only (ch(r, c, ch2, surface='P2'))")
    return certified(walls(v, max_rank=max_rank, above=above, side=side))
