"""The typing checks of the installed module and its stubs, run with the
interpreter whose environment has varnolt, mypy, basedpyright and numpy:

1. mypy --strict and pyright (basedpyright's build of it) find no error in
   accepted.py, and in rejected.py an error on exactly the lines marked
   "# error";
2. accepted.py runs: the module accepts what the stubs accept;
3. mypy's stubtest finds the stubs true to the module as it is at run time;
4. the companion package varnolt_walls and the program's entry point
   (_varnolt_walls_entry) pass mypy --strict and pyright (in
   its standard mode: matplotlib's own annotations are too loose for strict),
   and stubtest finds the stub of its native module true.

Exits 1 if any check fails; the mypy cache goes to build/typing.
"""

import json
import re
import subprocess
import sys
from collections.abc import Callable
from pathlib import Path

here = Path(__file__).resolve().parent
repo = here.parents[1]
python = sys.executable


def run(*command: str) -> subprocess.CompletedProcess[str]:
    return subprocess.run(command, capture_output=True, text=True, cwd=repo)


def mypy_error_lines(path: Path) -> set[int]:
    output = run(python, "-m", "mypy", "--strict", "--no-error-summary",
                 f"--cache-dir={repo / 'build' / 'typing' / 'mypy-cache'}", str(path)).stdout
    return {int(line) for line in re.findall(r"^[^:\n]+:(\d+): error:", output, re.MULTILINE)}


def pyright_error_lines(path: Path) -> set[int]:
    completed = run(python, "-m", "basedpyright", "--outputjson", "--pythonpath", python,
                    "--project", str(here / "pyrightconfig.json"), str(path))
    diagnostics = json.loads(completed.stdout)["generalDiagnostics"]
    return {d["range"]["start"]["line"] + 1 for d in diagnostics if d["severity"] == "error"}


def marked_lines(path: Path) -> set[int]:
    lines = path.read_text(encoding="utf-8").splitlines()
    return {number for number, line in enumerate(lines, 1) if "  # error:" in line}


def check_checker(name: str, error_lines: Callable[[Path], set[int]]) -> bool:
    good = True
    for path in (here / "accepted.py", here / "rejected.py"):
        found, expected = error_lines(path), marked_lines(path)
        if found == expected:
            print(f"{name} {path.name}: {len(found)} errors, as marked")
            continue
        good = False
        if found - expected:
            print(f"{name} {path.name}: unexpected errors on lines {sorted(found - expected)}")
        if expected - found:
            print(f"{name} {path.name}: no error on marked lines {sorted(expected - found)}")
    return good


def check_command(name: str, *command: str) -> bool:
    completed = run(*command)
    if completed.returncode == 0:
        print(f"{name}: ok")
        return True
    print(f"{name}: failed\n{completed.stdout}{completed.stderr}")
    return False


def main() -> int:
    results = [
        check_checker("mypy", mypy_error_lines),
        check_checker("pyright", pyright_error_lines),
        check_command("accepted.py at run time", python, str(here / "accepted.py")),
        check_command("stubtest", python, "-m", "mypy.stubtest", "varnolt"),
        check_command("mypy varnolt_walls", python, "-m", "mypy", "--strict", "--no-error-summary",
                      f"--cache-dir={repo / 'build' / 'typing' / 'mypy-cache'}", "-p", "varnolt_walls"),
        check_command("mypy _varnolt_walls_entry", python, "-m", "mypy", "--strict", "--no-error-summary",
                      f"--cache-dir={repo / 'build' / 'typing' / 'mypy-cache'}",
                      str(repo / "python" / "_varnolt_walls_entry.py")),
        check_command("pyright varnolt_walls", python, "-m", "basedpyright", "--pythonpath", python,
                      "--project", str(here / "package-pyrightconfig.json"),
                      str(repo / "python" / "varnolt_walls"), str(repo / "python" / "_varnolt_walls_entry.py")),
        check_command("stubtest varnolt_walls._native", python, "-m", "mypy.stubtest",
                      "varnolt_walls._native"),
    ]
    return 0 if all(results) else 1


if __name__ == "__main__":
    sys.exit(main())
