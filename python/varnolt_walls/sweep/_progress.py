"""Progress bars on standard error, drawn by tqdm when it is installed."""

from __future__ import annotations

import importlib
import sys
import time
from types import TracebackType
from typing import Protocol

INSTALL_HINT = "a progress bar needs tqdm: pip install tqdm"


class Bar(Protocol):
    """The part of tqdm.tqdm that is used here."""

    n: float
    total: float | None

    def update(self, n: float | None = 1) -> bool | None: ...
    def close(self) -> None: ...


def stderr_is_terminal() -> bool:
    return sys.stderr is not None and sys.stderr.isatty()


def in_notebook() -> bool:
    """Whether this runs in a Jupyter kernel: its stderr is the kernel's stream, not a terminal."""
    return type(sys.stderr).__module__.startswith("ipykernel")


def bar_wanted() -> bool:
    """Whether a progress bar is shown by default: on a terminal's stderr or in a notebook."""
    return stderr_is_terminal() or in_notebook()


def tqdm_bar(*, total: float | None, unit: str, description: str) -> Bar | None:
    """A new bar that vanishes when closed, or None without tqdm: tqdm.auto's, which is a
    notebook widget in Jupyter (with ipywidgets) and a text bar on stderr elsewhere."""
    try:
        tqdm = importlib.import_module("tqdm.auto")
    except ImportError:
        return None
    bar: Bar = tqdm.tqdm(total=total, unit=unit, desc=description, file=sys.stderr, leave=False,
                         dynamic_ncols=True)
    return bar


class SearchBar:
    """A progress callback for one search: a bar on stderr once the search has
    run for `delay` seconds, so that quick searches draw nothing.

    Use it as a context manager, which closes the bar.
    """

    def __init__(self, description: str, *, delay: float = 1.0) -> None:
        self._description = description
        self._shown_after = time.monotonic() + delay
        self._bar: Bar | None = None

    def __call__(self, done: int, total: int) -> None:
        if self._bar is None:
            if time.monotonic() < self._shown_after:
                return
            self._bar = tqdm_bar(total=total, unit="step", description=self._description)
            if self._bar is None:  # no tqdm: never look again
                self._shown_after = float("inf")
                return
        self._bar.total = total
        self._bar.update(done - self._bar.n)

    def __enter__(self) -> SearchBar:
        return self

    def __exit__(self, kind: type[BaseException] | None, error: BaseException | None,
                 traceback: TracebackType | None) -> None:
        if self._bar is not None:
            self._bar.close()


def search_bar(description: str) -> SearchBar | None:
    """A SearchBar when stderr is a terminal, else None (no progress callback)."""
    return SearchBar(description) if stderr_is_terminal() else None
