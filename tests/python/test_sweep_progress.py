"""The progress callback of one search (progress= of count, candidates and walls): how far
the search is, at most every 50 ms with the interpreter lock held; raising ends the search."""

import time

import pytest

import varnolt_walls

HOURS_LONG = (0, 2000, 1)


class Recorder:
    def __init__(self, raise_after=None):
        self.calls, self.raise_after = [], raise_after

    def __call__(self, done, total):
        self.calls.append((time.monotonic(), done, total))
        if self.raise_after is not None and len(self.calls) >= self.raise_after:
            raise LookupError("enough")


@pytest.mark.parametrize("search, v, max_rank, total", [
    ("count", (1, 0, -201), 10**7, 10**7),     # irrational β₋: ranks of max_rank
    ("candidates", (3, 2, -1), 4 * 10**7, 4 * 10**7),
    ("walls", (3, 2, -1), 4 * 10**7, 4 * 10**7),
    ("count", HOURS_LONG, None, None),              # rational β₋: values of q (stopped after a while)
])
def test_reports_go_forward_within_the_total_at_most_every_50_ms(search, v, max_rank, total):
    progress = Recorder(raise_after=8 if total is None else None)
    try:
        getattr(varnolt_walls, search)(*v, max_rank=max_rank, progress=progress)
    except LookupError:
        assert total is None
    calls = progress.calls
    assert len(calls) >= 2
    totals = {t for _, _, t in calls}
    assert len(totals) == 1 and (total is None or totals == {total})
    assert all(0 <= done <= t for _, done, t in calls)
    assert all(a[1] <= b[1] for a, b in zip(calls, calls[1:]))
    assert all(b[0] - a[0] >= 0.045 for a, b in zip(calls, calls[1:]))  # 50 ms, less clock rounding


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
