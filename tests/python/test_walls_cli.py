"""The varnolt-walls command line, run as a user would: outputs and exit statuses."""

import doctest
import fcntl
import importlib
import inspect
import json
import os
import pty
import re
import resource
import shutil
import signal
import struct
import subprocess
import sys
import termios
from fractions import Fraction
from pathlib import Path

import pytest

import varnolt_walls
from conftest import json_document, walls_json

CLI = [shutil.which("varnolt-walls", path=str(Path(sys.executable).parent))]
MODULE = [sys.executable, "-m", "varnolt_walls"]


def as_json(out):
    return json.loads(out)


def walls_document(v):
    return json_document(v, None, "walls", walls_json(varnolt_walls.walls(*v)))


NO_SURFACE = "on the ½ℤ lattice of ℓ² = 2, no surface given"
WALLS_OF_TWO_POINTS = (f"v: ch = (1, 0, -2) {NO_SURFACE}: β₋ = -2, 1 wall\ncenter  radius²  classes\n"
                       "-5/2    9/4      O(-1) ⊂ v, quotient ch = (0, 1, -5/2)\n")
CASES = [
    # (command, arguments, exit status, stdout: text or a check, stderr contains)
    (CLI, "1 0 -4", 0, WALLS_OF_TWO_POINTS, ""),
    (MODULE, "1 0 -4", 0, WALLS_OF_TWO_POINTS, ""),
    (CLI, "1 0 -16 --format json", 0, lambda out: as_json(out) == walls_document((1, 0, -16))
     and any(w["center"] == "-25/6" and w["radius_squared"] == "49/36"
             and w["semistabilizers"] == [[1, -3, 9], [2, -6, 18]] for w in as_json(out)["walls"]), ""),
    (CLI, "1 0 -16 --format csv", 0, lambda out: out.splitlines()[:2] == ["center,radius_squared,r,c,d = 2·ch₂",
                                                                          "-17/2,225/4,1,-1,1"]
     and len(out.splitlines()) == 1 + varnolt_walls.count(1, 0, -16), ""),
    (CLI, "2 1 -4 --candidates", 0, "1 0 0\n2 0 -1/2\n2 0 0\n3 -1 0\n", ""),  # ch₂ = d/2
    (CLI, "2 1 -4 --candidates --rows", 0, "1 0 0\n2 0 -1\n2 0 0\n3 -1 0\n", ""),
    (CLI, "2 1 -4 --candidates --format csv", 0, "r,c,d = 2·ch₂\n1,0,0\n2,0,-1\n2,0,0\n3,-1,0\n", ""),
    (CLI, "2 1 -4 --candidates --format json", 0, lambda out: as_json(out) == json_document(
        (2, 1, -4), None, "candidates", [[1, 0, 0], [2, 0, -1], [2, 0, 0], [3, -1, 0]]), ""),
    (CLI, "1 0 -1 --candidates", 0, "", ""),
    (CLI, "1 0 -40000 --count", 0, "8057113\n", ""),
    (CLI, "0 3 4 --count --format json", 0, lambda out: as_json(out) == json_document(
        (0, 3, 4), None, "count", varnolt_walls.count(0, 3, 4)), ""),
    (CLI, "0 3 4 --count --format csv", 0, f"count\n{varnolt_walls.count(0, 3, 4)}\n", ""),
    (CLI, "3 2 -1", 1, "", "β₋ of ch = (3, 2, -1/2) is irrational"),
    (CLI, "3 2 -1 --count --format json", 1, "", "β₋ of ch = (3, 2, -1/2) is irrational"),
    (CLI, "-1 1 3", 0, f"v: ch = (-1, 1, 3/2) {NO_SURFACE}: β₋ = -3, 1 wall\ncenter  radius²  classes\n"
     "-7/2    9/4      O(-2) ⊂ v[-1], quotient ch = (0, 1, -7/2)\n", ""),
    (CLI, "1 0 -2 --max-rank 12 --rows", 0, f"v: ch = (1, 0, -1) {NO_SURFACE}, (r, c, d = 2·ch₂) = (1, 0, -2): "
     "β₋ = -√2, candidates of rank ≤ 12, 2 walls (may be incomplete: more may come from higher ranks)\n"
     "center  radius²  (r, c, d = 2·ch₂)         classes\n"
     "-3/2    1/4      (1, -1, 1); (2, -2, 2)    O(-1) ⊂ v, quotient ch = (0, 1, -3/2); ch = (2, -2, 1) ⊂ v, "
     "quotient O(-2)[1]\n-17/12  1/144    (9, -12, 16); (5, -6, 7)  ch = (9, -12, 8) ⊂ v, quotient "
     "ch = (-8, 12, -9); ch = (5, -6, 7/2) ⊂ v, quotient ch = (-4, 6, -9/2)\n", ""),
    (CLI, "2 3 3 --max-rank 40 --candidates --format json", 0, lambda out: as_json(out) == json_document(
        (2, 3, 3), 40, "candidates", varnolt_walls.candidates(2, 3, 3, max_rank=40).tolist()), ""),
    (CLI, "2 1 -4 --max-rank 2 --candidates --rows", 0, "1 0 0\n2 0 -1\n2 0 0\n", ""),
    (CLI, "1 0 -4 --surface P2 --side both --candidates", 0, "left  1 -1 1/2\nright -1 -1 -1/2\n", ""),
    (CLI, "1 0 -4 --surface P2 --side both --candidates --format csv", 0, "side,r,c,d = 2·ch₂\nleft,1,-1,1\nright,-1,-1,-1\n", ""),
    (CLI, "1 0 -2", 1, "", "β₋ of ch = (1, 0, -1) is irrational: its pseudo-walls are infinitely many and accumulate "
     "at β₋; pass --max-rank N for those of the candidates of rank at most N, or --above B,A for the walls over "
     "σ(B, A)"),
    (CLI, "1 0 -2 --max-rank -1", 2, "", "argument --max-rank: max_rank must be >= 0, not -1"),
    (CLI, "1 0 -16 --surface P2 --side right --above 5,1/2 --count --format json", 0, lambda out: as_json(out) == (
        json_document((1, 0, -16), None, "count", varnolt_walls.count(1, 0, -16, surface="P2", side="right",
                                                                      above=(5, 0.5)))
        | {"surface": "P2", "degree": 1, "side": "right", "above": ["5", "1/2"], "complete": True}), ""),
    (CLI, "1 0 -2 --above=-3/2,0.1", 0, f"v: ch = (1, 0, -1) {NO_SURFACE}: β₋ = -√2, over σ(-3/2, 1/10), 1 wall\n"
     "center  radius²  classes\n-3/2    1/4      O(-1) ⊂ v, quotient ch = (0, 1, -3/2); ch = (2, -2, 1) ⊂ v, "
     "quotient O(-2)[1]\n", ""),
    (CLI, "1 1 -4 --surface P2", 1, "", "not a Chern character on P2"),
    (CLI, "1 0 -4 --above 1", 2, "", "--above takes BETA,ALPHA"),
    (CLI, "1 x 3", 2, "", "argument C"),
    (CLI, "1 0", 2, "", "the Chern character is missing: give R C D, or --ch"),
    (CLI, f"1 0 {2**63}", 2, "", "outside the signed 64-bit range"),
    (CLI, "1 0 -4 --candidates --count", 2, "", "not allowed with"),
    (CLI, "1 0 -4 --format xml", 2, "", "invalid choice"),
    (CLI, "1 0 -4 --plot walls.jpg", 2, "", ".png, .svg, .pdf or .html"),
    (CLI, "2 3 3/2", 2, "", "give --ch 2 3 3/2; for D = 3/2, --degree N"),
    (CLI, "1 0 -4 --surface P2 --side both --format csv", 0,
     "side,center,radius_squared,r,c,d = 2·ch₂\nleft,-5/2,9/4,1,-1,1\nright,5/2,9/4,-1,-1,-1\n", ""),
    (CLI, "1 0 -4 --plot walls.pdf", 0, WALLS_OF_TWO_POINTS, ""),
    (CLI, "walls 1 0 -4", 0, WALLS_OF_TWO_POINTS, ""),
    (CLI, "--format csv -1 1 3", 0, "center,radius_squared,r,c,d = 2·ch₂\n-7/2,9/4,1,-2,4\n", ""),  # options first, R < 0
    (CLI, "--help", 0, lambda out: "{walls,sweep,k3,moduli}" in out and "varnolt-walls R C D" in out, ""),
    (CLI, "--version", 0, f"varnolt-walls {varnolt_walls.__version__}\n", ""),
    (CLI, "1 0 2 --format json", 1, "", "c₁² - 2·r·ch₂ of ch = (1, 0, 1) is -2, negative, so there is no β₋ and no wall"),
    (CLI, "0 0 5", 1, "", "ch = (0, 0, 5/2) has r = c₁ = 0, so there is no β₋ and no wall"),
    (CLI, "1 0 -4 --plot no-such-directory/walls.png", 1, "", "cannot write the plot"),  # before any result
    (CLI, "1 0 -16 --above -5,1 --count", 0, "13\n", ""),  # a negative value after a space
    (CLI, "1 0 -16e0", 2, "", "argument D: not an integer: '-16e0'"),
    (CLI, "1 0 -16 --side right", 0, lambda out: out.startswith(
        f"v: ch = (1, 0, -8) {NO_SURFACE}: β₊ = 4, right of the vertical wall β = 0, 16 walls\n"), ""),
    (CLI, "0 3 4 --side right", 0, lambda out: "vertical" not in out.splitlines()[0], ""),
    (CLI, "1 0 -16 --above=-5,1e-5000", 0, lambda out: out.startswith(
        f"v: ch = (1, 0, -8) {NO_SURFACE}: β₋ = -4, over σ(-5, 1e-5000), 12 walls\n"), ""),
    (CLI, "1 0 -16 --above=-1e100000000,1", 2, "", "at most 10000 digits"),
    (CLI, "1 0 -16 --above=-5,1e-10000000", 2, "", "at most 10000 digits"),
    (CLI, "--ideal-sheaf 8 --surface P2 --actual", 0, lambda out: out.splitlines()[1:3] == [
        "8 walls of I_Z, |Z| = 8 on P²: 6 actual, 2 undecided", "status     center  radius²  classes"]
        and [line.split()[0] for line in out.splitlines()[3:]] == ["actual"] * 6 + ["undecided"] * 2, ""),
    (CLI, "1 0 -16 --surface P2 --actual --format json", 0,
     lambda out: [w["certificate"] is None for w in json.loads(out)["walls"]] == [False] * 6 + [True] * 2, ""),
    (CLI, "1 0 -16 --surface P2 --actual --format csv", 0, lambda out: out.count("\nundecided,") == 3, ""),
    (CLI, "1 0 -4 --actual", 2, "", "certified on P2 only"),
    (CLI, "1 0 -4 --surface P2 --actual --count", 2, "", "not allowed with"),
]


@pytest.mark.parametrize("command, arguments, status, stdout, stderr", CASES)
def test_command_line(tmp_path, command, arguments, status, stdout, stderr):
    run = subprocess.run(command + arguments.split(), capture_output=True, text=True, timeout=120, cwd=tmp_path)
    assert run.returncode == status
    assert stdout(run.stdout) if callable(stdout) else run.stdout == stdout
    assert stderr in run.stderr and "Traceback" not in run.stderr
    assert len(run.stderr.splitlines()) == (0 if status == 0 else 1)


@pytest.mark.parametrize("suffix, magic", [(".png", b"\x89PNG"), (".svg", b"<?xml")])
def test_command_line_draws_the_walls_to_a_file(tmp_path, suffix, magic):
    pytest.importorskip("matplotlib")
    picture = tmp_path / f"walls{suffix}"
    run = subprocess.run(CLI + ["1", "0", "-16", "--count", "--plot", str(picture)],
                         capture_output=True, text=True, timeout=120)
    assert (run.returncode, run.stdout, run.stderr) == (0, "19\n", "")
    assert picture.read_bytes().startswith(magic)
    if suffix == ".svg":
        assert picture.read_text().count("<path") >= len(varnolt_walls.walls(1, 0, -16))


@pytest.mark.parametrize("name, command", [
    ("walls.html", [sys.executable, "-c", "import varnolt_walls; varnolt_walls.plot_html(1, 0, -16, 'walls.html')"]),
    ("walls.html", CLI + "1 0 -16 --count --plot walls.html".split()),
    ("walls.png", CLI + "1 0 -16 --count --plot walls.png".split()),
])
def test_a_file_that_cannot_be_written_whole_leaves_the_old_one(tmp_path, name, command):
    pytest.importorskip("bokeh" if name.endswith(".html") else "matplotlib")
    (tmp_path / name).write_text("the old file")
    run = subprocess.run(command, capture_output=True, text=True, timeout=120, cwd=tmp_path,  # limited in the child:
                         preexec_fn=lambda: resource.setrlimit(resource.RLIMIT_FSIZE, (16384, 16384)))
    assert run.returncode == 1 and "File too large" in run.stderr
    assert [f.name for f in tmp_path.iterdir()] == [name] and (tmp_path / name).read_text() == "the old file"


def test_ctrl_c_ends_the_command_line_quietly_with_130():
    pytest.importorskip("tqdm")
    # stderr on a terminal, so that the search's progress bar shows it running: then the signal.
    leader, follower = pty.openpty()
    fcntl.ioctl(follower, termios.TIOCSWINSZ, struct.pack("HHHH", 24, 80, 0, 0))
    child = subprocess.Popen(CLI + ["0", "2000", "1", "--count"], stdout=subprocess.PIPE, stderr=follower)
    os.close(follower)
    screen = b""
    while b"%|" not in screen:
        screen += os.read(leader, 4096)  # blocks until the bar comes (about a second in)
    child.send_signal(signal.SIGINT)
    out, _ = child.communicate(timeout=60)
    screen += read_until_closed(leader)
    assert (child.returncode, out) == (130, b"")
    assert b"Traceback" not in screen and b"KeyboardInterrupt" not in screen


def read_until_closed(fd):
    found = b""
    try:
        while chunk := os.read(fd, 4096):
            found += chunk
    except OSError:  # EIO: the child closed the terminal
        pass
    os.close(fd)
    return found


@pytest.mark.parametrize("module", ["varnolt_walls.search._search", "varnolt_walls.search._walls",
                                    "varnolt_walls.search._beta", "varnolt_walls.quadratic_irrational",
                                    "varnolt_walls.pictures._plot", "varnolt_walls.classes._errors",
                                    "varnolt_walls.k3._walls", "varnolt_walls.pictures._k3_plot",
                                    "varnolt_walls.pictures._k3_cones_plot",
                                    "varnolt_walls.classes._options", "varnolt_walls.actual._actual"])
def test_docstring_examples_run(module):
    if module.endswith("_plot"):
        pytest.importorskip("matplotlib")
    results = doctest.testmod(importlib.import_module(module), extraglobs={"Fraction": Fraction})
    if module.endswith("_plot"):
        importlib.import_module("matplotlib.pyplot").close("all")  # the figures the examples drew
    assert results.failed == 0 and results.attempted > 0


REPOSITORY = Path(__file__).parents[2]
GUIDE = REPOSITORY / "docs" / "guide"


def page_text(*paths):
    return "".join(path.read_text(encoding="utf-8") for path in paths)


# The guide's pages that give the functions' signatures, and every page with examples.
SIGNATURES = page_text(GUIDE / "walls.md", GUIDE / "sweeps.md", GUIDE / "surfaces.md")
PAGES = page_text(REPOSITORY / "README.md", *sorted(GUIDE.glob("*.md")))


@pytest.mark.parametrize("name", ["candidates", "count", "walls", "plot", "plot_html", "sweep", "k3_walls", "plot_k3",
                                  "plot_k3_cones"])
def test_guide_signatures_name_every_parameter(name):
    names = {word.split("=")[0].strip(" *\n") for word in re.search(rf"`{name}\(([^`]*)\)", SIGNATURES)[1].split(",")}
    assert names - {""} == set(inspect.signature(getattr(varnolt_walls, name)).parameters)


# Their "$ varnolt-walls …" sessions shown whole: each command and the lines up to the next or the block's end.
SESSIONS = re.findall(r"^\$ (varnolt-walls .*)\n((?:(?!\$ |```).*\n)*)", PAGES, re.M)


@pytest.mark.parametrize("command, shown", [s for s in SESSIONS if "..." not in s[1] and "--plot" not in s[0]])
def test_guide_sessions_print_what_is_shown(tmp_path, command, shown):
    path = f"{Path(CLI[0]).parent}{os.pathsep}{os.environ['PATH']}"
    run = subprocess.run(["bash", "-c", command], stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                         timeout=120, cwd=tmp_path, env=os.environ | {"PATH": path})
    assert run.stdout == shown
