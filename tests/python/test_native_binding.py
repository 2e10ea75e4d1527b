"""The companion's native search functions bind their arguments as Python binds those of a function
with the same signature: r, c and d by position or keyword, the options by keyword only."""

import pytest

from varnolt_walls import _native


def count(r, c, d, *, max_rank=None, progress=None, degree=2, d_denominator=1, right=False, above=None):
    """The model: CPython's own binding of the same parameters."""


@pytest.mark.parametrize("args, kwargs", [
    ((1, 0, -4, None), {}),
    ((1, 0, -4, None), {"degree": 2}),
    ((1, 0, -4, None, None, False), {"max_rank": 1}),
    ((1, 0, -4), {"side": "right"}),
    ((1, 0), {"max_rank": None}),
    ((1, 0, -4), {"max_rank": None, "r": 1}),
    ((1, 0, -4), {"max_rank": None, "rank": 1}),
])
def test_a_wrong_call_raises_the_type_error_python_raises(args, kwargs):
    with pytest.raises(TypeError) as expected:
        count(*args, **kwargs)
    with pytest.raises(TypeError) as raised:
        _native.count(*args, **kwargs)
    assert str(raised.value) == str(expected.value)


def test_keywords_made_at_run_time_bind_like_literal_ones():
    # Not the interned names of the call sites: matched by their text.
    options = {"".join(["max_", "rank"]): 3, "".join(["deg", "ree"]): 2}
    assert _native.count(1, 0, -4, **options) == _native.count(1, 0, -4, max_rank=3, degree=2)
    assert _native.count(*[1, 0, -4], **{"max_rank": None}) == _native.count(r=1, c=0, d=-4, max_rank=None)
