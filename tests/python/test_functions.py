"""sum_as_string and bogomolov_form: results and range checks."""

import array

import pytest

from conftest import I64_MAX, I64_MIN, U32_MAX
from varnolt import bogomolov_form, sum_as_string



def interpreter_overflow_message(typecode, value):
    """The OverflowError text of CPython's own 64-bit conversion ('q' signed, 'Q' unsigned)."""
    with pytest.raises(OverflowError) as raised:
        array.array(typecode, [value])
    return str(raised.value)


@pytest.mark.parametrize(
    "a, b, text",
    [(2, 3, "5"), (0, 0, "0"), (U32_MAX, 1, "4294967296"), (U32_MAX, U32_MAX, "8589934590"), (True, True, "2")],
)
def test_sum_as_string_is_the_exact_decimal_sum(a, b, text):
    assert sum_as_string(a, b) == text


@pytest.mark.parametrize(
    "a, b, message",
    [
        (2**32, 0, "out of range integral type conversion attempted"),
        (0, 2**64 - 1, "out of range integral type conversion attempted"),
        (-1, 0, interpreter_overflow_message("Q", -1)),
        (0, 2**64, interpreter_overflow_message("Q", 2**64)),
    ],
)
def test_sum_as_string_out_of_range(a, b, message):
    with pytest.raises(OverflowError) as raised:
        sum_as_string(a, b)
    assert type(raised.value) is OverflowError and raised.value.args == (message,)


@pytest.mark.parametrize(
    "r, c, d, form",
    [(3, 2, -1, 14), (1, 0, 1, -2), (0, 0, 0, 0), (-2, 5, 8, 82), (0, 2**31, 0, 2**63), (1, 2**32, 0, 2**65)],
)
def test_bogomolov_form_known_values(r, c, d, form):
    assert bogomolov_form(r, c, d) == form


@pytest.mark.parametrize("r", [I64_MIN, I64_MIN + 1, -1, 0, 1, 2**62, I64_MAX])
@pytest.mark.parametrize("c", [I64_MIN, -(2**32), 0, 2**31, I64_MAX])
@pytest.mark.parametrize("d", [I64_MIN, -3, 0, 7, I64_MAX])
def test_bogomolov_form_is_exact_at_the_64_bit_extremes(r, c, d):
    assert bogomolov_form(r, c, d) == 2 * c * c - 2 * r * d


@pytest.mark.parametrize(
    "r, c, d, bad", [(I64_MAX + 1, 0, 0, I64_MAX + 1), (0, I64_MIN - 1, 0, I64_MIN - 1), (0, 0, 2**100, 2**100)]
)
def test_bogomolov_form_passes_the_interpreters_overflow_error_on(r, c, d, bad):
    with pytest.raises(OverflowError) as raised:
        bogomolov_form(r, c, d)
    assert type(raised.value) is OverflowError
    assert raised.value.args == (interpreter_overflow_message("q", bad),)
