"""Walls, arrays, counts and pictures of the candidate left pseudo-semistabilizers.

The companion of ``varnolt`` for interactive work: the same exact search, with
its candidates as a NumPy array (:func:`candidates`), their number
(:func:`count`), the pseudo-walls they give (:func:`walls`), β₋ exactly
(:func:`beta_minus`), a picture of the walls (:func:`plot`, needs
matplotlib) and the searches of many Chern characters at once, on all cores
or a cluster (:func:`sweep`). Nothing is printed, and the interpreter lock is released while
the search runs. The command line ``varnolt-walls`` (or
``python -m varnolt_walls``) offers the same.
"""

from ._beta import beta_minus
from ._errors import IrrationalBetaError, NoRealBetaError
from ._plot import plot
from ._search import candidates, count
from ._walls import Wall, Walls, walls
from .quadratic_irrational import QuadraticIrrational
from .sweep import sweep

__all__ = ["candidates", "count", "walls", "Wall", "Walls", "beta_minus", "QuadraticIrrational", "plot", "sweep",
           "IrrationalBetaError", "NoRealBetaError"]
