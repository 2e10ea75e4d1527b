"""The sdist holds exactly what a build needs: the files git tracks among the
build's inputs below, and nothing else, even with strays in the tree.

Builds an sdist (scikit-build-core, no isolation: run in an environment that
has it and `build`) from a copy of the tracked files with strays added."""

import shutil
import subprocess
import sys
import tarfile
from pathlib import Path

import pytest

repo = Path(__file__).resolve().parents[2]

# What a build reads: these top-level files, and everything under these
# directories (the native sources, the build's CMake helpers, the Python
# package, the stubs).
BUILD_FILES = {"pyproject.toml", "CMakeLists.txt", "README.md", "LICENSE"}
BUILD_DIRECTORIES = ("src/", "cmake/", "python/", "stubs/")

# Files a working tree collects that no build needs.
STRAYS = [
    ".DS_Store",
    ".coverage",
    "src/.DS_Store",
    "src/.module.cpp.swp",
    "src/ratio/ratio.cpp~",
    "src/ratio/ratio.cpp.orig",
    "stubs/varnolt-stubs/__pycache__/__init__.cpython-312.pyc",
    "build/cp312-abi3-linux_x86_64/CMakeCache.txt",
    "dist/varnolt-0.0.0.tar.gz",
    "notes.txt",
]


def tracked_files() -> list[str]:
    try:
        listing = subprocess.run(["git", "ls-files", "-z"], cwd=repo, check=True,
                                 capture_output=True, text=True).stdout
    except (OSError, subprocess.CalledProcessError):
        pytest.skip("needs a git checkout of the project")
    return [name for name in listing.split("\0") if name]


def needed_by_build(name: str) -> bool:
    return name in BUILD_FILES or name.startswith(BUILD_DIRECTORIES)


def test_sdist_holds_the_tracked_build_inputs_and_nothing_else(tmp_path: Path) -> None:
    tracked = tracked_files()
    project = tmp_path / "project"
    for name in tracked:
        (project / name).parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(repo / name, project / name)
    for name in STRAYS:
        (project / name).parent.mkdir(parents=True, exist_ok=True)
        (project / name).write_text("stray\n")

    subprocess.run([sys.executable, "-m", "build", "--sdist", "--no-isolation",
                    "--outdir", str(tmp_path / "dist"), str(project)],
                   check=True, capture_output=True)
    (sdist,) = (tmp_path / "dist").glob("*.tar.gz")
    with tarfile.open(sdist) as archive:
        members = {member.name.split("/", 1)[1] for member in archive.getmembers()
                   if member.isfile()}

    assert members == {name for name in tracked if needed_by_build(name)} | {"PKG-INFO"}
