"""varnolt_walls.sweep: the same results as one call per v, in input order, on any executor;
failures as values; lazy input; progress; Ctrl-C stops it and leaves no worker."""

import itertools
import multiprocessing
import os
import signal
import sys
import threading
import time
from concurrent.futures import ProcessPoolExecutor, ThreadPoolExecutor
from concurrent.futures.process import BrokenProcessPool

import numpy as np
import pytest

import varnolt_walls
from varnolt_walls import sweep

SEARCHES = {"count": varnolt_walls.count, "walls": varnolt_walls.walls, "candidates": varnolt_walls.candidates}
HOURS_LONG = (0, 2000, 1)  # a search that takes hours

# Cheap and dear v, rational and irrational β₋, and v that fail in each way.
VS = [(1, 0, -4 * k * k) for k in range(1, 8)] + [
    (3, 2, -1),             # irrational β₋: ValueError without max_rank
    (2, 1, -4), (0, 3, 4), (1, 0, -1),
    (-1, 1, 3),             # RuntimeError from the search
    (1, 2**62, 0),          # OverflowError
    (1, 0, -400),
    (1, 0),                 # not a Chern character: ValueError
    ("1", 0, -4),           # not integers: TypeError
]


def one_by_one(what, v, max_rank=None):
    try:
        return SEARCHES[what](*v, max_rank=max_rank)
    except Exception as error:
        return error


def same(a, b):
    if isinstance(a, Exception) or isinstance(b, Exception):
        return type(a) is type(b) and str(a) == str(b)
    if isinstance(a, np.ndarray):
        return isinstance(b, np.ndarray) and a.dtype == b.dtype and np.array_equal(a, b)
    return a == b


@pytest.fixture(scope="module")
def process_pool():
    with ProcessPoolExecutor(2, mp_context=multiprocessing.get_context("forkserver")) as pool:
        yield pool


@pytest.fixture(scope="module")
def thread_pool():
    with ThreadPoolExecutor(2) as pool:
        yield pool


@pytest.mark.parametrize("what", ["count", "walls", "candidates"])
@pytest.mark.parametrize("max_rank", [None, 3])
@pytest.mark.parametrize("where", ["threads", "processes"])
def test_results_equal_one_by_one_in_input_order(request, what, max_rank, where):
    executor = request.getfixturevalue("thread_pool" if where == "threads" else "process_pool")
    got = list(sweep(VS, what, max_rank=max_rank, executor=executor, progress=False))
    assert [v for v, _ in got] == VS
    for v, result in got:
        assert same(result, one_by_one(what, v, max_rank)), v


def test_the_default_pool_gives_the_same_results():
    got = list(sweep(iter(VS), "candidates", jobs=2, progress=False))
    assert sweep_threads() == []
    assert [v for v, _ in got] == VS
    assert all(same(result, one_by_one("candidates", v)) for v, result in got)


@pytest.mark.parametrize("arguments, error, message", [
    ({"what": "rows"}, ValueError, "what must be"),
    ({"max_rank": -1}, ValueError, "max_rank must be >= 0"),
    ({"jobs": 0}, ValueError, "jobs is the size"),
    ({"jobs": 2, "executor": ThreadPoolExecutor(1)}, ValueError, "only without executor"),
    ({"max_in_flight": 0}, ValueError, "max_in_flight must be >= 1"),
    ({"progress": 5}, TypeError, "progress must be True, False, None or a callable, not int"),
])
def test_bad_options_are_errors_at_the_call(arguments, error, message):
    with pytest.raises(error, match=message):
        sweep(VS, **arguments)


class Unpicklable(tuple):
    def __reduce__(self):
        raise TypeError("this v cannot be pickled")


class EndsItsWorker(tuple):
    def __reduce__(self):
        return os._exit, (1,)  # the worker that receives it dies


@pytest.mark.parametrize("bad, error", [(Unpicklable, TypeError), (EndsItsWorker, BrokenProcessPool)])
@pytest.mark.parametrize("at", [0, 25])  # alone in its batch, in a batch of several v
def test_a_v_that_cannot_reach_a_process_or_ends_it_fails_alone(bad, error, at):
    vs = [(1, 0, -4 * k * k) for k in range(1, 41)]
    vs[at] = bad(vs[at])
    with ProcessPoolExecutor(2, mp_context=multiprocessing.get_context("forkserver")) as pool:
        got = list(sweep(vs, executor=pool, max_in_flight=2, progress=False))
    assert [type(result) is error for v, result in got] == [i == at for i in range(40)]
    assert all(result == one_by_one("count", v) for v, result in got if v is not vs[at])


def test_the_input_is_read_lazily_a_few_batches_ahead(thread_pool):
    pulled = itertools.count()

    def many():
        for k in itertools.count(1):
            next(pulled)
            yield (1, 0, -4 * (k % 20 + 1) ** 2)

    results = sweep(many(), executor=thread_pool, max_in_flight=4, progress=False)
    first = list(itertools.islice(results, 200))
    results.close()
    assert [v for v, _ in first] == [(1, 0, -4 * (k % 20 + 1) ** 2) for k in range(1, 201)]
    # Four batches in flight of at most 1024 v each, however long the input.
    assert next(pulled) <= 200 + 4 * 1024


def test_a_progress_callback_counts_every_v(thread_pool):
    seen = []
    list(sweep(VS, executor=thread_pool, progress=lambda done, total: seen.append((done, total))))
    assert seen == [(done, len(VS)) for done in range(1, len(VS) + 1)]
    seen.clear()
    list(sweep(iter(VS[:3]), executor=thread_pool, progress=lambda done, total: seen.append((done, total))))
    assert seen == [(1, None), (2, None), (3, None)]


def test_nothing_on_standard_output(capfd, thread_pool):
    list(sweep(VS, executor=thread_pool, progress=False))
    list(sweep(VS[:2], jobs=1, progress=False))
    assert capfd.readouterr().out == ""


def ctrl_c_after(seconds):
    """SIGINT to the main thread after `seconds`, as Ctrl-C at a terminal would send."""
    main = threading.main_thread().ident
    threading.Timer(seconds, signal.pthread_kill, (main, signal.SIGINT)).start()
    return time.monotonic() + seconds


def sweep_threads():
    return [thread for thread in threading.enumerate() if thread.name.startswith("varnolt-sweep")]


@pytest.mark.parametrize("where", ["default pool", "own threads"])
def test_ctrl_c_stops_the_sweep_within_a_second_and_no_worker_is_left(where):
    pool = ThreadPoolExecutor(1) if where == "own threads" else None
    got = []
    with pytest.raises(KeyboardInterrupt):
        for pair in sweep([(1, 0, -4), HOURS_LONG, (1, 0, -16)], executor=pool, progress=False):
            got.append(pair)
            interrupted_at = ctrl_c_after(0.5)  # the hours-long search is running by then
    # The sweep's clean-up stopped the search and shut its pool down before
    # KeyboardInterrupt reached here (bounded generously for a busy machine).
    assert time.monotonic() - interrupted_at < 5
    assert got == [((1, 0, -4), 1)]
    assert sweep_threads() == []
    if pool is not None:  # its one thread is free again
        assert pool.submit(lambda: "free").result(timeout=5) == "free"
        pool.shutdown()


def test_leaving_the_loop_early_cancels_the_rest(thread_pool):
    results = sweep([(1, 0, -4), HOURS_LONG, HOURS_LONG], executor=thread_pool, progress=False)
    assert next(results) == ((1, 0, -4), 1)
    start = time.monotonic()
    results.close()
    assert thread_pool.submit(lambda: "free").result(timeout=10) == "free"
    assert time.monotonic() - start < 10


def test_docstring_examples_run():
    import doctest

    results = doctest.testmod(sys.modules["varnolt_walls.sweep"])
    assert results.failed == 0 and results.attempted > 0
