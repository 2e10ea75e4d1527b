"""What a sweep runs in its workers: a top-level function, so that process pools
and Dask workers can import it by name."""

from __future__ import annotations

import threading
import time
from collections.abc import Callable, Iterable, Sequence
from concurrent.futures import CancelledError
from typing import Literal, cast

import numpy as np
from numpy.typing import NDArray

from ..classes._chern import ChernCharacter
from ..classes._options import SearchOptions
from ..search._search import candidates, count
from ..search._walls import Walls, walls

What = Literal["count", "walls", "candidates"]
Result = int | Walls | NDArray[np.int64]
SEARCHES: dict[str, Callable[..., Result]] = {"count": count, "walls": walls, "candidates": candidates}


def run_batch(what: What, batch: Sequence[object], options: SearchOptions,
              stop: threading.Event | None = None) -> tuple[list[Result | Exception], float]:
    """The result of each v of batch, or the exception it raised, and the seconds the batch took.

    `stop` (only for threads of the sweep's own process) ends the batch with
    CancelledError once set, also in the middle of a search: the search's
    progress callback looks at it at most every 50 ms.
    """
    search = SEARCHES[what]

    def check(done: int, total: int) -> None:
        if stop is not None and stop.is_set():
            raise CancelledError

    start = time.perf_counter()
    results: list[Result | Exception] = []
    for v in batch:
        check(0, 0)
        try:
            # v as it came, so that a v that is not a class or (r, c, d) fails as the one-by-one call does.
            arguments = (v,) if isinstance(v, ChernCharacter) else cast("Iterable[int]", v)
            results.append(search(*arguments, **options.keywords(), progress=check))
        except CancelledError:
            raise
        except Exception as error:
            results.append(error)
    return results, time.perf_counter() - start
