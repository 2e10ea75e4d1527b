"""Runs the `>>>` examples of the Markdown pages as doctests (scripts/docs.sh):
each page in a temporary directory, so that the files its examples write land
there, with matplotlib drawing off screen."""

import contextlib
import os
import sys

import pytest
from _pytest.doctest import DoctestItem

os.environ.setdefault("MPLBACKEND", "Agg")


@pytest.fixture(autouse=True)
def page_in_temporary_directory(request, tmp_path, monkeypatch):
    if isinstance(request.node, DoctestItem):
        monkeypatch.chdir(tmp_path)
        runner = request.node.runner
        run = runner.run

        def run_showing_file_descriptor_1(*arguments, **options):
            # Inside the test's call: pytest points descriptor 1 at its own capture before it.
            with file_descriptor_1_shown(runner._fakeout, tmp_path / "announced", monkeypatch):
                return run(*arguments, **options)

        monkeypatch.setattr(runner, "run", run_showing_file_descriptor_1)
    yield
    if "matplotlib.pyplot" in sys.modules:
        sys.modules["matplotlib.pyplot"].close("all")


@contextlib.contextmanager
def file_descriptor_1_shown(fakeout, path, monkeypatch):
    """varnolt.pseudo_semistabilizers announces its Chern character on file
    descriptor 1, not through sys.stdout, which is all a doctest sees: points
    descriptor 1 at a file, and puts what went there before each example's
    printed output, as a terminal shows them."""
    printed = fakeout.getvalue
    with open(path, "w+b") as announced:
        def announced_then_printed():
            announced.seek(0)
            text = announced.read().decode()
            announced.seek(0)
            announced.truncate()
            return text + printed()

        monkeypatch.setattr(fakeout, "getvalue", announced_then_printed)
        saved = os.dup(1)
        os.dup2(announced.fileno(), 1)
        try:
            yield
        finally:
            os.dup2(saved, 1)
            os.close(saved)
