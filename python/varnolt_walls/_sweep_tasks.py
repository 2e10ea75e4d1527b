"""What a sweep runs in its workers: top-level functions, so that processes and
Dask workers can import them by name."""

from __future__ import annotations

import signal
import time
from collections.abc import Iterable, Sequence
from concurrent.futures import CancelledError
from typing import Literal, Protocol, cast

from ._search import candidates, count
from ._walls import walls

What = Literal["count", "walls", "candidates"]
SEARCHES = {"count": count, "walls": walls, "candidates": candidates}


class StopFlag(Protocol):
    """What the parent sets to stop its workers' searches: a threading.Event,
    or a multiprocessing one for its own process pool."""

    def is_set(self) -> bool: ...


# The stop flag of this worker process, given by start_worker; None outside
# the sweep's own process pool.
_process_stop: StopFlag | None = None


def start_worker(stop: StopFlag) -> None:
    """Initialiser of the processes of the sweep's own pool."""
    global _process_stop
    _process_stop = stop
    # Ctrl-C at a terminal reaches the whole process group; the parent alone
    # handles it and stops the workers through `stop`, so that no worker
    # prints a traceback of its own.
    signal.signal(signal.SIGINT, signal.SIG_IGN)


def run_batch(what: What, batch: Sequence[object], max_rank: int | None,
              stop: StopFlag | None = None) -> tuple[list[object], float]:
    """The result of each v of batch, or the exception it raised, and the seconds the batch took.

    A set stop flag ends the batch with CancelledError, also in the middle of a
    search: the search's progress callback checks it (at most every 50 ms).
    """
    flag = stop if stop is not None else _process_stop
    search = SEARCHES[what]

    def check(done: int, total: int) -> None:
        if flag is not None and flag.is_set():
            raise CancelledError

    start = time.perf_counter()
    results: list[object] = []
    for v in batch:
        check(0, 0)
        try:
            # v as it came, so that a v that is not (r, c, d) fails as the one-by-one call does.
            results.append(search(*cast("Iterable[int]", v), max_rank=max_rank, progress=check))
        except CancelledError:
            raise
        except Exception as error:
            results.append(error)
    return results, time.perf_counter() - start
