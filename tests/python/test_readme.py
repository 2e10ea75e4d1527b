"""What the README claims that a program can check: the signatures it gives and its command-line
sessions whose output it shows whole."""

import inspect
import os
import re
import subprocess
import sys
from pathlib import Path

import pytest

import varnolt_walls

README = (Path(__file__).parents[2] / "README.md").read_text(encoding="utf-8")
# "$ varnolt-walls …" and the lines it prints, up to the next command or the end of its block.
SESSIONS = re.findall(r"^\$ (varnolt-walls .*)\n((?:(?!\$ |```).*\n)*)", README, re.M)


@pytest.mark.parametrize("name", ["candidates", "count", "walls", "plot", "plot_html", "sweep"])
def test_signatures_name_every_parameter(name):
    written = re.search(rf"`{name}\(([^`]*)\)", README)[1]
    names = {word.split("=")[0].strip(" *\n") for word in written.split(",")} - {""}
    assert names == set(inspect.signature(getattr(varnolt_walls, name)).parameters)


@pytest.mark.parametrize("command, shown", [s for s in SESSIONS if "..." not in s[1] and "--plot" not in s[0]])
def test_sessions_print_what_is_shown(tmp_path, command, shown):
    path = f"{Path(sys.executable).parent}{os.pathsep}{os.environ['PATH']}"
    run = subprocess.run(["bash", "-c", command], stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                         timeout=120, cwd=tmp_path, env=os.environ | {"PATH": path})
    assert run.stdout == shown
