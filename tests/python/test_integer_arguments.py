"""Every entry point of varnolt_walls gives, for any integer type, exactly the answer of the same
Python ints; its messages name the argument, show ints and cut long values."""

import numpy as np
import pytest

import varnolt_walls as vw
from conftest import Index


def numpy_int(x):
    """The NumPy integer of x: uint64 when x >= 0 (its arithmetic wraps where int64's overflows)."""
    return np.uint64(x) if x >= 0 else np.int64(x)


CONVERSIONS = [np.int64, numpy_int, Index, lambda x: True if x == 1 else x]
CALLS = [  # (function, integer arguments, keyword arguments)
    (vw.beta_minus, (1, 4 * 10**9, 0), {}),  # c² overflows int64: β₋ is 0
    (vw.beta_minus, (2, 8000000001, 0), {}),  # irrational, c² beyond int64
    (vw.beta_minus, (3, 2, -1), {}),
    (vw.candidates, (2, 1, -4), {}),
    (vw.count, (1, 0, -2), {"max_rank": 12}),
    (vw.walls, (1, 0, -16), {}),  # an intermediate of the walls beyond int64 for int64 input
    (lambda *x: vw.numerical_wall(x[:3], x[3:]), (3, 2**40, 5, 2, 2**35, 7), {}),  # squares beyond int64
    (vw.walls, (1, 0, -2), {"max_rank": 12}),
    (vw.QuadraticIrrational, (2, 8000000001, 3), {}),
]


def result_of(function, args, options):
    try:
        result = function(*args, **options)
    except Exception as error:
        return type(error), str(error)
    return result.tolist() if isinstance(result, np.ndarray) else result


@pytest.mark.parametrize("convert", CONVERSIONS)
@pytest.mark.parametrize("function, args, options", CALLS)
def test_any_integer_type_gives_the_answer_of_python_ints(function, args, options, convert):
    expected = result_of(function, args, options)
    assert not isinstance(expected, tuple) or expected[0] is not TypeError
    converted = {key: convert(value) for key, value in options.items()}
    with np.errstate(all="raise"):  # any NumPy arithmetic on the way would be a fault
        assert result_of(function, [convert(x) for x in args], converted) == expected


def test_numerical_wall_and_sweep_take_numpy_integers():
    v, u = (1, 0, -16), (1, -3, 9)
    assert vw.numerical_wall(tuple(map(np.int64, v)), tuple(map(numpy_int, u))) == vw.numerical_wall(v, u)
    vs = [tuple(map(np.int64, (1, 0, -4 * k * k))) for k in (1, 2)]
    assert [n for _, n in vw.sweep(vs, "walls", jobs=1, progress=False)] == [vw.walls(1, 0, -4 * k * k) for k in (1, 2)]


HUGE = 10**5000  # more digits than Python turns into text
MESSAGES = [  # (call, exception, words the message has)
    (lambda: vw.count(2**70, 0, 0), OverflowError, ["argument 'r'", str(2**70), "signed 64-bit"]),
    (lambda: vw.candidates(1, 0, -(2**63) - 1), OverflowError, ["argument 'd'"]),
    (lambda: vw.count(1, 0, -4, max_rank=2**64), OverflowError, ["argument 'max_rank'"]),
    (lambda: vw.walls(1, "0", -4), TypeError, ["argument 'c'", "'str'"]),
    (lambda: vw.count(1, 0, -4, max_rank=-1), ValueError, ["max_rank must be >= 0, not -1"]),
    (lambda: vw.walls(1, True, -2), ValueError, ["β₋ of ch = (1, 1, -1) is irrational"]),
    (lambda: vw.count(np.int64(1), 0, np.int64(2)), vw.NoRealBetaError, ["of ch = (1, 0, 1) is -2, negative"]),
    (lambda: vw.candidates(0, False, 5), vw.NoRealBetaError, ["ch = (0, 0, 5/2) has r = c₁ = 0"]),
    (lambda: vw.count(HUGE, 0, 0), OverflowError, ["argument 'r': an integer of 16610 bits"]),
    (lambda: vw.count(3**200, 0, 0), OverflowError, ["argument 'r': 26561", "…", "(96 characters)"]),
]


@pytest.mark.parametrize("call, error, words", MESSAGES)
def test_messages_name_the_argument_show_ints_and_cut_long_values(call, error, words):
    with pytest.raises(error) as raised:
        call()
    message = str(raised.value)
    assert all(word in message for word in words), message
    assert "True" not in message and "False" not in message and len(message) < 250


@pytest.mark.parametrize("v", [(1, 0, 2), (0, 0, 5), (-1, 0, -1), (3, 1, 7)])
def test_a_v_without_a_real_beta_minus_has_no_walls_in_every_entry_point(v):
    for call in (vw.beta_minus, vw.count, vw.candidates, vw.walls):
        with pytest.raises(vw.NoRealBetaError, match="no β₋ and no wall"):
            call(*v)
