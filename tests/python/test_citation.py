"""CITATION.cff names the version and the license the package is installed with."""

import tomllib
from importlib.metadata import version
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]


def test_the_citation_names_the_installed_version_and_the_license():
    fields = dict(line.split(": ", 1) for line in (ROOT / "CITATION.cff").read_text(encoding="utf-8").splitlines()
                  if ": " in line and not line.startswith((" ", "-")))
    license_text = tomllib.loads((ROOT / "pyproject.toml").read_text(encoding="utf-8"))["project"]["license"]["text"]
    assert (fields["title"], fields["version"], fields["license"]) == ("varnolt", version("varnolt"), license_text)
