"""Sphinx configuration of the varnolt documentation: the user guide and the API
reference, built offline (no intersphinx, nothing fetched) with warnings as errors
(`bash scripts/docs.sh`)."""

import os

os.environ.setdefault("MPLBACKEND", "Agg")  # importing the plotting modules opens no window

project = "varnolt"
copyright = "the varnolt developers"
author = "the varnolt developers"

extensions = ["myst_parser", "sphinx.ext.autodoc", "sphinx.ext.napoleon"]
source_suffix = {".md": "markdown"}
root_doc = "index"
exclude_patterns = ["_build", "conftest.py"]

# Headings up to ### get anchors, so that pages link to each other's sections.
myst_heading_anchors = 3
myst_enable_extensions = ["dollarmath"]

# The reference: NumPy-style sections, members in source order, type hints in the
# signatures (they name the package's own classes).
napoleon_google_docstring = False
napoleon_numpy_docstring = True
autodoc_member_order = "bysource"
autodoc_typehints = "signature"
autodoc_default_options = {"members": True, "show-inheritance": False}

html_theme = "alabaster"
html_title = "varnolt"
html_static_path: list[str] = []
