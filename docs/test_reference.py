"""The API reference (docs/api.md) documents every public name."""

from pathlib import Path

import varnolt
import varnolt_walls

REFERENCE = (Path(__file__).parent / "api.md").read_text(encoding="utf-8")


def test_reference_names_every_public_name():
    names = [f"varnolt.{name}" for name in varnolt.__all__]
    names += [f"varnolt_walls.{name}" for name in varnolt_walls.__all__]
    assert [name for name in names if name not in REFERENCE] == []
