"""The (μ, Δ)-plane of P² with matplotlib: the Drézet–Le Potier curve Δ = δ(μ), the exceptional bundles
and, optionally, some Chern characters marked by what sheaves they carry."""

from __future__ import annotations

from collections.abc import Iterable
from fractions import Fraction
from math import sqrt
from typing import TYPE_CHECKING, Any, SupportsIndex

from ..classes._chern import ChernCharacter, Rational, integer, rational
from ..plane._moduli import exceptional_bundles, moduli
from ._plot import INSTALL_HINT

if TYPE_CHECKING:
    from matplotlib.axes import Axes

# How each character is marked: by whether stable, only semistable, or no semistable sheaves have it.
MARKS = {"stable": ("C2", "o"), "semistable": ("C1", "s"), "none": ("C3", "x")}


def _discriminant(v: ChernCharacter) -> Fraction:
    """Δ = μ²/2 − ch₂/r, the normalisation of δ."""
    return v.discriminant / (2 * v.rank * v.rank)


def plot_dlp(lo: Rational = -1, hi: Rational = 1, *, max_rank: SupportsIndex = 200,
             labels_up_to: SupportsIndex = 5, characters: Iterable[ChernCharacter] = (), ax: Axes | None = None,
             **style: Any) -> Axes:
    """Draw the (μ, Δ)-plane of P² for slopes μ in [lo, hi]: the curve Δ = δ(μ) of Drézet–Le Potier,
    the exceptional bundles, and optionally some Chern characters.

    Stable non-exceptional sheaves of slope μ and discriminant Δ = μ²/2 − ch₂/r exist exactly on and
    above the curve (Drézet–Le Potier, "Fibrés stables et fibrés exceptionnels sur P₂", Ann. Sci. ÉNS
    1985). Over the interval I_α of each exceptional slope α of rank at most `max_rank` the curve is
    the parabola ``P(−|μ − α|) − Δ_α``, drawn exactly there (the intervals of larger ranks, shorter than
    1/(3·max_rank²), are left out); the bundles are dots at (α, Δ_α), named up to rank
    `labels_up_to`. Each character (of positive rank on P2) is a green dot when stable sheaves have
    it, an orange square when only semistable ones do, a red cross when none does.

    Parameters
    ----------
    lo, hi : int, Fraction or str
        The slopes drawn, lo < hi.
    max_rank : int, optional
        The largest rank of the exceptional bundles drawn (default 200).
    labels_up_to : int, optional
        The largest rank of the bundles named (default 5).
    characters : iterable of ChernCharacter, optional
        Classes on P2 of positive rank to mark.
    ax : matplotlib.axes.Axes, optional
        Where to draw; a new figure's Axes when omitted.
    **style
        Passed on to each piece of the curve, e.g. ``color="k"``.

    Returns
    -------
    matplotlib.axes.Axes
        The Axes drawn on.

    Examples
    --------
    >>> import matplotlib
    >>> matplotlib.use("Agg")
    >>> from varnolt_walls import ch
    >>> ax = plot_dlp(0, 1, max_rank=13, characters=[ch(3, 0, -2, surface="P2")])
    >>> sorted(t.get_text() for t in ax.texts)[:4]
    ['$E_{2/5}$', '$E_{3/5}$', '$O$', '$O(1)$']
    """
    try:
        import matplotlib.pyplot as pyplot
    except ImportError as missing:
        raise ImportError(INSTALL_HINT) from missing
    low, high = rational(lo, "lo"), rational(hi, "hi")
    if low >= high:
        raise ValueError(f"lo must be less than hi: [{low}, {high}] has no width to draw")
    named = integer(labels_up_to, "labels_up_to")
    marked = list(characters)
    for v in marked:
        if not isinstance(v, ChernCharacter) or v.surface is None or v.surface.degree != 1 or v.rank <= 0:
            raise ValueError(f"characters must be classes of positive rank on P2, not {v!r}")
    if ax is None:
        ax = pyplot.figure(figsize=(8.0, 4.5), layout="constrained").add_subplot()
    # Bundles a little outside [lo, hi] reach into it with their intervals.
    bundles = exceptional_bundles(low - 1, high + 1, max_rank=max_rank)
    piece_style: dict[str, Any] = {"color": "C0", "linewidth": 1.2} | style
    for e in bundles:
        alpha, r = e.c1 / e.rank, e.rank
        disc = (1 - 1 / r**2) / 2
        width = (3 - sqrt(5 + 8 * disc)) / 2  # x_α
        start, end = max(alpha - width, float(low)), min(alpha + width, float(high))
        if start < end:
            xs = [start + (end - start) * i / 64 for i in range(65)]
            ax.plot(xs, [(1 - abs(x - alpha)) * (2 - abs(x - alpha)) / 2 - disc for x in xs], **piece_style)
        if low <= Fraction(e.c1, e.rank) <= high:
            ax.plot([alpha], [disc], "o", color="k", markersize=3 if r > named else 4, zorder=4)
            if r <= named:
                ax.annotate(f"${e.name}$", (alpha, disc), xytext=(0, -4), textcoords="offset points",
                            ha="center", va="top", fontsize="x-small")
    for v in marked:
        found = moduli(v)
        kind = "stable" if found.stable_exists else "semistable" if found.semistable_exists else "none"
        colour, marker = MARKS[kind]
        x, y = v.c1 / v.rank, float(_discriminant(v))
        ax.plot([x], [y], marker, color=colour, markersize=6, zorder=5)
        ax.annotate(f"({v.rank}, {v.c1}, {v.ch2})", (x, y), xytext=(4, 4), textcoords="offset points",
                    fontsize="x-small", color=colour)
    ax.axhline(0.5, color="0.6", linestyle=":", linewidth=0.8)
    ax.set_xlim(float(low), float(high))
    ax.set_ylim(-0.08, max([1.1, *(float(_discriminant(v)) + 0.15 for v in marked)]))
    ax.set_xlabel("μ = c₁/r")
    ax.set_ylabel("Δ = μ²/2 − ch₂/r")
    ax.set_title(f"P²: δ(μ) and the exceptional bundles of rank ≤ {integer(max_rank, 'max_rank')}",
                 fontsize="medium")
    return ax
