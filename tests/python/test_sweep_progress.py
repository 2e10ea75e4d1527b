"""The progress callback of one search (progress= of count, candidates and walls): how far
the search is, at most every 50 ms with the interpreter lock held; raising ends the search."""

import time

import pytest

import varnolt_walls

HOURS_LONG = (0, 2000, 1)


class Recorder:
    """Records (called at, done, total, returned at); takes `takes` seconds a call."""

    def __init__(self, raise_after=None, takes=0.0):
        self.calls, self.raise_after, self.takes = [], raise_after, takes

    def __call__(self, done, total):
        called_at = time.monotonic()
        time.sleep(self.takes)
        self.calls.append((called_at, done, total, time.monotonic()))
        if self.raise_after is not None and len(self.calls) >= self.raise_after:
            raise LookupError("enough")


@pytest.mark.parametrize("search, v, max_rank, total, takes", [
    ("count", (1, 0, -201), 10**7, 10**7, 0),     # irrational β₋: ranks of max_rank
    ("candidates", (3, 2, -1), 4 * 10**7, 4 * 10**7, 0),
    ("walls", (3, 2, -1), 4 * 10**7, 4 * 10**7, 0),
    ("count", HOURS_LONG, None, None, 0),              # rational β₋: values of q (stopped after a while)
    ("count", HOURS_LONG, None, None, 0.06),           # a callback slower than the period
])
def test_reports_go_forward_within_the_total_at_most_every_50_ms(search, v, max_rank, total, takes):
    progress = Recorder(raise_after=8 if total is None else None, takes=takes)
    try:
        getattr(varnolt_walls, search)(*v, max_rank=max_rank, progress=progress)
    except LookupError:
        assert total is None
    calls = progress.calls
    assert len(calls) >= 2
    totals = {t for _, _, t, _ in calls}
    assert len(totals) == 1 and (total is None or totals == {total})
    assert all(0 <= done <= t for _, done, t, _ in calls)
    assert all(a[1] <= b[1] for a, b in zip(calls, calls[1:]))
    # 50 ms from the callback's return to its next call, less clock rounding.
    assert all(b[0] - a[3] >= 0.045 for a, b in zip(calls, calls[1:]))


def test_an_exception_from_the_callback_ends_the_search_and_propagates():
    start = time.monotonic()
    with pytest.raises(LookupError, match="enough"):
        varnolt_walls.count(*HOURS_LONG, progress=Recorder(raise_after=1))
    assert time.monotonic() - start < 10  # the first report comes after 50 ms; generous bound


@pytest.mark.parametrize("progress", [3, "bar"])
def test_a_progress_that_cannot_be_called_is_a_type_error(progress):
    with pytest.raises(TypeError, match="argument 'progress' must be callable or None"):
        varnolt_walls.count(1, 0, -4, progress=progress)


def test_a_quick_search_is_not_reported():
    progress = Recorder()
    assert varnolt_walls.count(1, 0, -16, progress=progress) == 19
    assert progress.calls == []
