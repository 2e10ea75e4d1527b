"""Many Chern characters at once: their searches spread over the workers of an executor."""

from __future__ import annotations

import importlib.util
import operator
import os
import sys
import threading
import weakref
from collections import deque
from collections.abc import Callable, Generator, Iterable, Iterator, Sequence, Sized
from concurrent.futures import Executor, Future, ProcessPoolExecutor, ThreadPoolExecutor
from concurrent.futures.process import BrokenProcessPool
from itertools import islice
from typing import Literal, TypeVar, overload

import numpy as np
from numpy.typing import NDArray

from ..classes._options import Point, SearchOptions, Side, SurfaceOption
from ..search._walls import Walls
from ._progress import INSTALL_HINT, Bar, bar_wanted, tqdm_bar
from ._tasks import SEARCHES, Result, What, run_batch

V = TypeVar("V")
SweepCallback = Callable[[int, int | None], object]
Progress = bool | SweepCallback | None

# A batch of v is one task. Its size aims at BATCH_SECONDS of work: enough
# that a task's own cost (some µs on a thread, 0.1 ms to a process, more to
# a cluster) is small beside it, little enough that progress stays smooth.
# It at most doubles from one batch to the next, and when the number of v is
# known no batch takes more than a share of what is left, so that every
# worker gets some even when the first v are cheap and the last ones dear.
BATCH_SECONDS = 0.05
MAX_BATCH = 1024
BATCHES_PER_WORKER = 4  # in flight, and shares of what is left


# The stop events of the sweeps under way. A sweep left unfinished when the
# script ends stops its searches as closing it would, before threading waits
# for the pool's threads at exit (concurrent.futures takes no new work from
# then on); else the exit would wait for every search it had started.
_UNDER_WAY: weakref.WeakSet[threading.Event] = weakref.WeakSet()


def _stop_sweeps_under_way() -> None:
    for stop in list(_UNDER_WAY):
        stop.set()


# Called at exit before the threads are joined; a private hook of threading
# (the one concurrent.futures uses), hence looked up with care.
getattr(threading, "_register_atexit", lambda _: None)(_stop_sweeps_under_way)


def _cpu_count() -> int:
    return os.cpu_count() or 1


@overload
def sweep(chern_characters: Iterable[V], what: Literal["count"] = "count", *, max_rank: int | None = None,
          surface: SurfaceOption = None, side: Side = "left", above: Point | None = None, executor: Executor | None = None, jobs: int | None = None, progress: Progress = None,
          max_in_flight: int | None = None) -> Generator[tuple[V, int | Exception]]: ...
@overload
def sweep(chern_characters: Iterable[V], what: Literal["walls"], *, max_rank: int | None = None,
          surface: SurfaceOption = None, side: Side = "left", above: Point | None = None, executor: Executor | None = None, jobs: int | None = None, progress: Progress = None,
          max_in_flight: int | None = None) -> Generator[tuple[V, Walls | Exception]]: ...
@overload
def sweep(chern_characters: Iterable[V], what: Literal["candidates"], *, max_rank: int | None = None,
          surface: SurfaceOption = None, side: Side = "left", above: Point | None = None, executor: Executor | None = None, jobs: int | None = None, progress: Progress = None,
          max_in_flight: int | None = None) -> Generator[tuple[V, NDArray[np.int64] | Exception]]: ...
@overload
def sweep(chern_characters: Iterable[V], what: What, *, max_rank: int | None = None,
          surface: SurfaceOption = None, side: Side = "left", above: Point | None = None, executor: Executor | None = None, jobs: int | None = None, progress: Progress = None,
          max_in_flight: int | None = None) -> Generator[tuple[V, Result | Exception]]: ...
def sweep(chern_characters: Iterable[V], what: What = "count", *, max_rank: int | None = None,
          surface: SurfaceOption = None, side: Side = "left", above: Point | None = None, executor: Executor | None = None, jobs: int | None = None, progress: Progress = None,
          max_in_flight: int | None = None) -> Generator[tuple[V, Result | Exception]]:
    """The searches of many Chern characters, spread over the workers of an executor.

    Yields ``(v, result)`` for each v of `chern_characters`, in their order,
    as soon as the results up to v are in. The result is that of
    ``count(*v)``, ``walls(*v)`` or ``candidates(*v)`` (with `max_rank`,
    `surface`, `side` and `above`), or
    the exception that call raised: a failing v (an irrational β₋ without
    `max_rank`, an overflow, a lack of memory) does not stop the sweep.
    `chern_characters` is read lazily, a few batches ahead of what was
    yielded, so a sweep over millions of v holds only some of them at a time.

    Nothing is written to standard output. Ctrl-C (KeyboardInterrupt), or
    leaving the loop early, cancels the tasks that have not started; with the
    default pool, or any ThreadPoolExecutor, it also stops the running
    searches within about 50 ms, and it shuts the default pool down.

    Parameters
    ----------
    chern_characters : iterable of (r, c, d) or ChernCharacter
        The Chern characters v = (r, c·ℓ, (d/2)·ℓ²), each three integers or
        a :class:`ChernCharacter` (searched on its own surface; one that is
        neither yields the TypeError of the one-by-one call).
    what : {"count", "walls", "candidates"}
        What to compute for each v.
    max_rank : int, optional
        Only candidates of rank at most `max_rank`, as in :func:`count`.
    surface, side, above : optional
        As in :func:`count`: the lattice of a surface (``Surface(degree=n)``,
        "P2"; each v's d then exact, an int, a Fraction or "p/q"), the walls
        right of the vertical wall (side="right"), only the walls over
        σ(β, α). A v that they do not suit (off the surface's lattice, a
        point across its vertical wall) yields the ValueError of the
        one-by-one call.
    executor : concurrent.futures.Executor, optional
        Where the searches run: a ProcessPoolExecutor, a ThreadPoolExecutor
        (the searches release the interpreter lock), or a cluster's, such as
        ``dask.distributed.Client.get_executor()``. The sweep does not shut it
        down. Default: a pool of `jobs` threads, made for this sweep (the
        searches release the interpreter lock, and threads measured faster
        than processes, which pay to start and to pickle each result).
    jobs : int, optional
        The number of threads of the default pool; default: one per core.
    progress : bool or callable, optional
        True: a progress bar (needs tqdm; ``tqdm.auto``'s, so a notebook
        widget in Jupyter, a bar on standard error elsewhere); False: none; a
        callable: called as ``progress(done, total)`` after each v, total None
        when `chern_characters` has no length. Default: a bar when standard
        error is a terminal or in a Jupyter notebook, and tqdm is installed.
    max_in_flight : int, optional
        How many batches of v may be submitted and not yet yielded; default:
        4 per worker of the default pool, or per local core. Raise it for a
        cluster of many workers.

    Returns
    -------
    generator of (v, result or exception)
        Its ``close()`` (or ``contextlib.closing``) ends the sweep at once.

    Examples
    --------
    The ideal sheaves of 2 and 8 points in the plane, and a v with an
    irrational β₋, on two threads:

    >>> from concurrent.futures import ThreadPoolExecutor
    >>> with ThreadPoolExecutor(2) as pool:
    ...     for v, result in sweep([(1, 0, -4), (1, 0, -16), (3, 2, -1)], executor=pool, progress=False):
    ...         print(v, type(result).__name__ if isinstance(result, Exception) else result)
    (1, 0, -4) 1
    (1, 0, -16) 19
    (3, 2, -1) IrrationalBetaError

    With `max_rank` the irrational one has candidates too; here on the
    default pool:

    >>> dict(sweep([(1, 0, -16), (3, 2, -1)], max_rank=3, jobs=1, progress=False))
    {(1, 0, -16): 18, (3, 2, -1): 5}

    The walls of points in the plane on P², and the number of those over σ(-4, 1):

    >>> {v: len(result) for v, result in sweep([(1, 0, -4), (1, 0, -16)], "walls", surface="P2", progress=False)}
    {(1, 0, -4): 1, (1, 0, -16): 8}
    >>> dict(sweep([(1, 0, -8), (1, 0, -12)], "count", surface="P2", above=(-4, 1), progress=False))
    {(1, 0, -8): 2, (1, 0, -12): 4}
    """
    if what not in SEARCHES:
        raise ValueError(f"what must be 'count', 'walls' or 'candidates', not {what!r}")
    # The options each search gets, checked once; the point exact, as it is pickled to the workers.
    options = SearchOptions.checked(max_rank, surface, side, above)
    if jobs is not None and (executor is not None or operator.index(jobs) < 1):
        raise ValueError("jobs is the size of the default pool: a positive int, and only without executor")
    if max_in_flight is not None and operator.index(max_in_flight) < 1:
        raise ValueError(f"max_in_flight must be >= 1, not {max_in_flight}")
    if not (progress is None or isinstance(progress, bool) or callable(progress)):
        raise TypeError(f"progress must be True, False, None or a callable, not {type(progress).__name__}")
    if progress is True and importlib.util.find_spec("tqdm") is None:
        raise ImportError(INSTALL_HINT)
    total = len(chern_characters) if isinstance(chern_characters, Sized) else None
    workers = jobs or _cpu_count()
    return _results(iter(chern_characters), what, options, executor, workers, progress, total,
                    max_in_flight or BATCHES_PER_WORKER * workers)


def _progress_report(progress: Progress, total: int | None,
                     what: str) -> tuple[SweepCallback | None, Bar | None]:
    """The callback to call after each v, and the bar to close at the end."""
    if callable(progress):
        return progress, None
    if progress is False or (progress is None and not bar_wanted()):
        return None, None
    bar = tqdm_bar(total=total, unit="v", description=what)
    if bar is None:
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


type _Submit[T] = Callable[[list[T]], Future[tuple[list[Result | Exception], float]]]


class _Workers:
    """Where the batches run: the caller's executor, or a pool of the sweep's own.

    submit never raises: a batch that cannot be submitted gets a future that
    holds why. A process pool that broke (a worker died, or the pool could
    not take a result back, as when the memory left cannot hold it) takes no
    more work; the sweep goes on in a new pool made as it was, which the
    sweep shuts down, as it does its default pool."""

    def __init__(self, executor: Executor | None, workers: int) -> None:
        self.executor = executor if executor is not None else ThreadPoolExecutor(
            workers, thread_name_prefix="varnolt-sweep")
        self._own = [] if executor is not None else [self.executor]

    def submit(self, what: What, batch: Sequence[object], options: SearchOptions,
               stop: threading.Event | None) -> Future[tuple[list[Result | Exception], float]]:
        try:
            try:
                return self.executor.submit(run_batch, what, batch, options, stop)
            except BrokenProcessPool:
                self.executor = _process_pool_like(self.executor)
                self._own.append(self.executor)
                return self.executor.submit(run_batch, what, batch, options, stop)
        except Exception as error:
            failed: Future[tuple[list[Result | Exception], float]] = Future()
            failed.set_exception(error)
            return failed

    def shutdown(self) -> None:
        """Shuts down the pools the sweep made; waits for its threads (told
        to stop), not for its processes."""
        for pool in self._own:
            pool.shutdown(wait=isinstance(pool, ThreadPoolExecutor), cancel_futures=True)


def _process_pool_like(broken: Executor) -> ProcessPoolExecutor:
    """A new process pool with the size, start method and initializer of broken (its own fields)."""
    return ProcessPoolExecutor(getattr(broken, "_max_workers", None), getattr(broken, "_mp_context", None),
                               getattr(broken, "_initializer", None), getattr(broken, "_initargs", ()))


class _Task[T]:
    """One batch of v on its way."""

    def __init__(self, submit: _Submit[T], batch: list[T]) -> None:
        self.vs = batch
        self._submit = submit
        self._future = submit(batch)

    def results(self) -> tuple[list[Result | Exception], float]:
        """Waits for the task: the result or error of each v, and the seconds it took.

        When the task as a whole fails (it could not be submitted, a v could
        not be sent to the worker or its result back, a worker died, a
        cluster lost it), each of its v runs again as a task of its own, so
        that only a v that fails so fails; then it took 0 seconds."""
        try:
            return self._future.result()
        except Exception:
            return [_Task._alone(self._submit, v) for v in self.vs], 0.0

    @staticmethod
    def _alone(submit: _Submit[T], v: T) -> Result | Exception:
        try:
            return submit([v]).result()[0][0]
        except Exception as error:
            return error

    def cancel(self) -> None:
        self._future.cancel()


def _results(vs: Iterator[V], what: What, options: SearchOptions, executor: Executor | None, workers: int,
             progress: Progress, total: int | None, in_flight: int) -> Generator[tuple[V, Result | Exception]]:
    # Only now, as the caller starts to iterate: a sweep never iterated
    # leaves no bar behind.
    report, bar = _progress_report(progress, total, what)
    pool = _Workers(executor, workers)
    stop = threading.Event()
    _UNDER_WAY.add(stop)
    # An Event reaches only the threads of this process; the searches of
    # other processes finish on their own.
    task_stop = stop if isinstance(pool.executor, ThreadPoolExecutor) else None
    submit: _Submit[V] = lambda vs: pool.submit(what, vs, options, task_stop)
    batches = _Batches(vs, total, workers)
    pending: deque[_Task[V]] = deque()
    done = 0
    try:
        while True:
            while len(pending) < in_flight and (batch := batches.next()):
                pending.append(_Task(submit, batch))
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
        # A sweep left unfinished is closed as the interpreter ends (also
        # when Ctrl-C cut threading's exit hooks short): no thread runs any
        # more, and those the interpreter ended, in the middle of Python code,
        # may hold locks of the futures and pools for ever. Nothing is left
        # to stop, and taking a lock could wait for ever.
        if not sys.is_finalizing():
            stop.set()
            for task in pending:
                task.cancel()
            pool.shutdown()
            if bar is not None:
                bar.close()
