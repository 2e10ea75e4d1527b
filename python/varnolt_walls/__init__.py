"""Walls, arrays, counts and pictures of the candidate left pseudo-semistabilizers.

The companion of ``varnolt`` for interactive work: the same exact search, with
its candidates as a NumPy array (:func:`candidates`), their number
(:func:`count`), the pseudo-walls they give (:func:`walls`, and
:func:`numerical_wall` of one candidate), β₋ exactly
(:func:`beta_minus`), a picture of the walls (:func:`plot`, needs
matplotlib), an interactive page of them (:func:`plot_html`, needs Bokeh)
and the searches of many Chern characters at once, on all cores or a cluster
(:func:`sweep`), and the actual walls of a Mukai vector on a K3 surface of
Picard rank one, classified (:func:`k3_walls`, drawn by :func:`plot_k3`, their cones by :func:`plot_k3_cones`), and on P² which pseudo-walls are actual walls,
each with a proof (:func:`actual_walls`).
Nothing is printed, and the interpreter lock is released while the search
runs. The command line ``varnolt-walls`` (or ``python -m varnolt_walls``)
offers the same.
"""

from ._version import __version__
from .actual._actual import ActualWall, ActualWalls, actual_walls
from .actual._certificate import Certificate
from .classes._chern import ChernCharacter, ch, from_chern_classes, from_mukai, ideal_sheaf, line_bundle
from .classes._errors import IrrationalBetaError, NoRealBetaError
from .classes._options import Surface
from .k3._chambers import K3Chamber
from .k3._walls import K3Wall, K3Walls, k3_walls
from .pictures._k3_cones_plot import plot_k3_cones
from .pictures._k3_plot import plot_k3
from .pictures._plot import plot
from .pictures._plot_html import plot_html
from .pictures._plot_dlp import plot_dlp
from .plane._moduli import DrezetLePotier, PlaneModuli, drezet_le_potier, exceptional_bundles, moduli
from .quadratic_irrational import QuadraticIrrational
from .search._beta import beta_minus
from .search._search import Candidates, candidates, count
from .search._walls import Destabilizer, Wall, Walls, numerical_wall, walls
from .sweep import sweep

__all__ = ["ChernCharacter", "ch", "from_chern_classes", "from_mukai", "ideal_sheaf", "line_bundle", "candidates", "count", "walls", "Surface", "Wall", "Walls",
           "Destabilizer", "Candidates", "numerical_wall", "beta_minus",
           "QuadraticIrrational", "plot", "plot_html", "sweep",
           "k3_walls", "K3Wall", "K3Walls", "K3Chamber", "plot_k3", "plot_k3_cones",
           "exceptional_bundles", "drezet_le_potier", "DrezetLePotier", "moduli", "PlaneModuli", "plot_dlp",
           "actual_walls", "ActualWalls", "ActualWall", "Certificate", "IrrationalBetaError", "NoRealBetaError", "__version__"]
