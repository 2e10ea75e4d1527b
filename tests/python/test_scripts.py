"""The set-up scripts: the example explains the module's announcement before it appears, and the
scripts' environment is .venv unless VARNOLT_VENV names another (scripts/test.sh points it into build/)."""

import os
import re
import subprocess
import sys
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]


def test_the_example_says_what_the_announcement_is_before_it_appears():
    script = (ROOT / "scripts" / "example.sh").read_text(encoding="utf-8")
    example = re.search(r"<<'PY'\n(.*?)\nPY\n", script, re.S).group(1)
    lines = subprocess.run([sys.executable, "-c", example], capture_output=True, text=True, check=True,
                           timeout=120).stdout.splitlines()
    announced = next(i for i, line in enumerate(lines) if line.startswith("Computing pseudo semistabilizers"))
    assert "announces" in lines[announced - 1] and lines[announced + 2].startswith("[(1, 0, 0)")


@pytest.mark.parametrize("environment, expected", [({}, ROOT / ".venv"), ({"VARNOLT_VENV": "/tmp/elsewhere"},
                                                                          Path("/tmp/elsewhere"))])
def test_the_scripts_use_dot_venv_unless_told_otherwise(environment, expected):
    env = {k: v for k, v in os.environ.items() if k != "VARNOLT_VENV"} | environment
    shown = subprocess.run(["bash", "-c", 'source scripts/common.sh && echo "$venv"'], cwd=ROOT, env=env,
                           capture_output=True, text=True, check=True).stdout.strip()
    assert Path(shown) == expected
