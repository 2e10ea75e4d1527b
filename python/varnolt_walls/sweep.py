"""Many Chern characters at once: their searches spread over the workers of an executor."""

from __future__ import annotations

import multiprocessing
import operator
import os
import threading
from collections import deque
from collections.abc import Callable, Iterable, Iterator, Sized
from concurrent.futures import Executor, ProcessPoolExecutor, ThreadPoolExecutor
from itertools import islice
from typing import Literal, SupportsIndex, TypeVar, cast, overload

import numpy as np
from numpy.typing import NDArray

from ._progress import INSTALL_HINT, Bar, stderr_is_terminal, tqdm_bar
from ._sweep_tasks import SEARCHES, ChernCharacter, StopFlag, What, run_batch, start_worker
from ._walls import Wall

V = TypeVar("V")
SweepCallback = Callable[[int, int | None], object]
Progress = bool | SweepCallback | None

# A batch of v is one task. Its size aims at BATCH_SECONDS of work: enough
# that a task's own cost (about 0.1 ms to a local process, more to a cluster)
# is small beside it, little enough that progress stays smooth. It at most
# doubles from one batch to the next, and when the number of v is known no
# batch takes more than a share of what is left, so that every worker gets
# some even when the first v are cheap and the last ones dear.
BATCH_SECONDS = 0.05
MAX_BATCH = 1024
BATCHES_PER_WORKER = 4  # in flight, and shares of what is left


def _cpu_count() -> int:
    return os.cpu_count() or 1


def _chern_character(v: object) -> ChernCharacter:
    """v as (r, c, d) of Python ints; TypeError or ValueError when it is not three integers."""
    r, c, d = cast("Iterable[SupportsIndex]", v)
    return operator.index(r), operator.index(c), operator.index(d)


@overload
def sweep(chern_characters: Iterable[V], what: Literal["count"] = "count", *, max_rank: int | None = None,
          executor: Executor | None = None, jobs: int | None = None, progress: Progress = None,
          max_in_flight: int | None = None) -> Iterator[tuple[V, int | Exception]]: ...
@overload
def sweep(chern_characters: Iterable[V], what: Literal["walls"], *, max_rank: int | None = None,
          executor: Executor | None = None, jobs: int | None = None, progress: Progress = None,
          max_in_flight: int | None = None) -> Iterator[tuple[V, list[Wall] | Exception]]: ...
@overload
def sweep(chern_characters: Iterable[V], what: Literal["candidates"], *, max_rank: int | None = None,
          executor: Executor | None = None, jobs: int | None = None, progress: Progress = None,
          max_in_flight: int | None = None) -> Iterator[tuple[V, NDArray[np.int64] | Exception]]: ...
def sweep(chern_characters: Iterable[V], what: What = "count", *, max_rank: int | None = None,
          executor: Executor | None = None, jobs: int | None = None, progress: Progress = None,
          max_in_flight: int | None = None) -> Iterator[tuple[V, object]]:
    """The searches of many Chern characters, spread over the workers of an executor.

    Yields ``(v, result)`` for each v of `chern_characters`, in their order,
    as soon as the results up to v are in. The result is that of
    ``count(*v)``, ``walls(*v)`` or ``candidates(*v)`` (with `max_rank`), or
    the exception that call raised: a failing v (an irrational β₋ without
    `max_rank`, an overflow, a lack of memory) does not stop the sweep.
    `chern_characters` is read lazily, a few batches ahead of what was
    yielded, so a sweep over millions of v holds only some of them at a time.

    Nothing is written to standard output. Ctrl-C (KeyboardInterrupt), or
    leaving the loop early, cancels the tasks that have not started; with the
    default pool, or a ThreadPoolExecutor, it also stops the running searches
    within about 50 ms and shuts the default pool down.

    Parameters
    ----------
    chern_characters : iterable of (r, c, d)
        The Chern characters v = (r, c·ℓ, (d/2)·ℓ²), each three integers. A
        v that is not three integers yields its TypeError or ValueError.
    what : {"count", "walls", "candidates"}
        What to compute for each v.
    max_rank : int, optional
        Only candidates of rank at most `max_rank`, as in :func:`count`.
    executor : concurrent.futures.Executor, optional
        Where the searches run: a ProcessPoolExecutor, a ThreadPoolExecutor
        (the searches release the interpreter lock), or a cluster's, such as
        ``dask.distributed.Client.get_executor()``. The sweep does not shut it
        down. Default: a pool of `jobs` processes, made for this sweep.
    jobs : int, optional
        The number of processes of the default pool; default: one per core.
    progress : bool or callable, optional
        True: a progress bar on standard error (needs tqdm); False: none; a
        callable: called as ``progress(done, total)`` after each v, total None
        when `chern_characters` has no length. Default: a bar when standard
        error is a terminal and tqdm is installed.
    max_in_flight : int, optional
        How many batches of v may be submitted and not yet yielded; default:
        4 per worker of the default pool, or per local core. Raise it for a
        cluster of many workers.

    Returns
    -------
    iterator of (v, result or exception)

    Examples
    --------
    >>> from concurrent.futures import ThreadPoolExecutor
    >>> points = [(1, 0, -2 * n) for n in range(1, 5)]
    >>> with ThreadPoolExecutor(2) as pool:
    ...     for v, result in sweep(points, executor=pool, progress=False):
    ...         print(v, result)
    (1, 0, -2) 0
    (1, 0, -4) 1
    (1, 0, -6) 3
    (1, 0, -8) 4
    >>> [(v, type(result).__name__) for v, result in sweep([(3, 2, -1)], jobs=1, progress=False)]
    [((3, 2, -1), 'ValueError')]
    """
    if what not in SEARCHES:
        raise ValueError(f"what must be 'count', 'walls' or 'candidates', not {what!r}")
    if max_rank is not None and operator.index(max_rank) < 0:
        raise ValueError(f"max_rank must be >= 0, not {max_rank}")
    if jobs is not None and (executor is not None or operator.index(jobs) < 1):
        raise ValueError("jobs is the size of the default pool: a positive int, and only without executor")
    if max_in_flight is not None and operator.index(max_in_flight) < 1:
        raise ValueError(f"max_in_flight must be >= 1, not {max_in_flight}")
    total = len(chern_characters) if isinstance(chern_characters, Sized) else None
    report, bar = _progress_report(progress, total, what)
    workers = jobs or _cpu_count()
    return _results(iter(chern_characters), what, max_rank, executor, workers, report, bar, total,
                    max_in_flight or BATCHES_PER_WORKER * workers)


def _progress_report(progress: Progress, total: int | None,
                     what: str) -> tuple[SweepCallback | None, Bar | None]:
    """The callback to call after each v, and the bar to close at the end."""
    if callable(progress):
        return progress, None
    if progress is False or (progress is None and not stderr_is_terminal()):
        return None, None
    bar = tqdm_bar(total=total, unit="v", description=what)
    if bar is None:
        if progress is True:
            raise ImportError(INSTALL_HINT)
        return None, None
    return lambda done, total: bar.update(1), bar


class _Batches[T]:
    """Cuts the v into batches sized from how long the last batch took per v."""

    def __init__(self, vs: Iterator[T], total: int | None, workers: int) -> None:
        self._vs = vs
        self._left = total
        self._workers = workers
        self._size = 1

    def took(self, seconds: float, count: int) -> None:
        per_v = seconds / max(count, 1)
        wanted = MAX_BATCH if per_v <= 0 else int(BATCH_SECONDS / per_v)
        self._size = max(1, min(wanted, 2 * self._size, MAX_BATCH))

    def next(self) -> list[T]:
        size = self._size
        if self._left is not None:
            size = max(1, min(size, self._left // (BATCHES_PER_WORKER * self._workers)))
        batch = list(islice(self._vs, size))
        if self._left is not None:
            self._left -= len(batch)
        return batch


def _default_pool(jobs: int, stop: StopFlag) -> Executor:
    # forkserver: forking a process that runs threads (a Dask client, a
    # progress bar's monitor) can deadlock the child.
    context = multiprocessing.get_context("forkserver")
    return ProcessPoolExecutor(jobs, mp_context=context, initializer=start_worker, initargs=(stop,))


class _Task[T]:
    """One batch of v on its way: the valid ones submitted as one task, the
    errors of those that are not three integers kept by position."""

    def __init__(self, executor: Executor, what: What, batch: list[T], max_rank: int | None,
                 stop: StopFlag | None) -> None:
        self.vs = batch
        self._failed: dict[int, Exception] = {}
        valid: list[ChernCharacter] = []
        for i, v in enumerate(batch):
            try:
                valid.append(_chern_character(v))
            except (TypeError, ValueError) as error:
                self._failed[i] = error
        self._future = executor.submit(run_batch, what, valid, max_rank, stop) if valid else None

    def results(self) -> tuple[list[object], float]:
        """The result or error of each v, and the seconds the task took (0: none ran).

        Waits for the task. When the task as a whole fails (a worker died, or
        the cluster lost it), that is the error of each of its v."""
        found: list[object] = []
        seconds = 0.0
        if self._future is not None:
            try:
                found, seconds = self._future.result()
            except Exception as error:
                found = [error] * (len(self.vs) - len(self._failed))
        answers = iter(found)
        return [self._failed[i] if i in self._failed else next(answers) for i in range(len(self.vs))], seconds

    def cancel(self) -> None:
        if self._future is not None:
            self._future.cancel()


def _results(vs: Iterator[V], what: What, max_rank: int | None, executor: Executor | None, workers: int,
             report: SweepCallback | None, bar: Bar | None, total: int | None,
             in_flight: int) -> Iterator[tuple[V, object]]:
    stop: StopFlag
    if executor is None:
        stop = multiprocessing.get_context("forkserver").Event()
        pool = _default_pool(workers, stop)
    else:
        stop = threading.Event()
        pool = executor
    # The searches see the stop flag of the default pool's processes from
    # their start; a threading.Event reaches only threads of this process.
    task_stop = stop if isinstance(pool, ThreadPoolExecutor) else None
    batches = _Batches(vs, total, workers)
    pending: deque[_Task[V]] = deque()
    done = 0
    try:
        while True:
            while len(pending) < in_flight and (batch := batches.next()):
                pending.append(_Task(pool, what, batch, max_rank, task_stop))
            if not pending:
                return
            task = pending.popleft()
            results, seconds = task.results()
            if seconds > 0:
                batches.took(seconds, len(results))
            for v, result in zip(task.vs, results):
                yield v, result
                done += 1
                if report is not None:
                    report(done, total)
    finally:
        stop.set()
        for task in pending:
            task.cancel()
        if executor is None:
            pool.shutdown(wait=True, cancel_futures=True)
        if bar is not None:
            bar.close()
