"""Argument binding and integer conversion of the three functions."""

import pytest

from conftest import Index
from varnolt import bogomolov_form, pseudo_semistabilizers, sum_as_string


class TypeErrorSubclass(TypeError):
    pass


def raised_by(function, *args, **kwargs):
    with pytest.raises(BaseException) as raised:
        function(*args, **kwargs)
    return raised.value


B, P, S = bogomolov_form, pseudo_semistabilizers, sum_as_string


@pytest.mark.parametrize(
    "function, args, kwargs, message",
    [
        (B, (), {}, "bogomolov_form() missing 3 required positional arguments: 'r', 'c', and 'd'"),
        (B, (1,), {}, "bogomolov_form() missing 2 required positional arguments: 'c' and 'd'"),
        (B, (), {"c": 1}, "bogomolov_form() missing 2 required positional arguments: 'r' and 'd'"),
        (P, (1, 2), {}, "pseudo_semistabilizers() missing 1 required positional argument: 'd'"),
        (S, (), {"b": 1}, "sum_as_string() missing 1 required positional argument: 'a'"),
        (S, (1, 2, 3), {}, "sum_as_string() takes 2 positional arguments but 3 were given"),
        (S, (1, 2, 3), {"zz": 4}, "sum_as_string() takes 2 positional arguments but 3 were given"),
        (P, (1, 2, 3, 4, 5), {}, "pseudo_semistabilizers() takes 3 positional arguments but 5 were given"),
        (B, (1, 2, 3), {"r": 1}, "bogomolov_form() got multiple values for argument 'r'"),
        (B, (1, 2), {"d": 3, "c": 4}, "bogomolov_form() got multiple values for argument 'c'"),
        (B, (1, 2, 3), {"e": 1}, "bogomolov_form() got an unexpected keyword argument 'e'"),
        (B, (1, 2, 3), {"r": 1, "e": 1}, "bogomolov_form() got multiple values for argument 'r'"),
        (B, (1, 2, 3), {"e": 1, "r": 1}, "bogomolov_form() got an unexpected keyword argument 'e'"),
        (B, (1,), {"e": 1}, "bogomolov_form() got an unexpected keyword argument 'e'"),
        (B, (1, 2), {"ℓ": 3}, "bogomolov_form() got an unexpected keyword argument 'ℓ'"),
        (B, (1, 2), {"\udc80": 3}, "bogomolov_form() got an unexpected keyword argument '\udc80'"),
        (B, (1.5, 2), {"e": 1}, "bogomolov_form() got an unexpected keyword argument 'e'"),
        (B, (1.5, 2), {}, "bogomolov_form() missing 1 required positional argument: 'd'"),
    ],
)
def test_binding_errors(function, args, kwargs, message):
    error = raised_by(function, *args, **kwargs)
    assert type(error) is TypeError and error.args == (message,)


@pytest.mark.parametrize(
    "args, kwargs, form",
    [
        ((), {"d": -1, "c": 2, "r": 3}, 14),
        ((3,), {"d": -1, "c": 2}, 14),
        ((True, False, True), {}, -2),
        ((Index(3), Index(2), Index(-1)), {}, 14),
        ((Index(1), 0, Index(2**62)), {}, -(2**63)),
    ],
)
def test_keywords_bools_and_index_objects_bind_like_ints(args, kwargs, form):
    assert bogomolov_form(*args, **kwargs) == form


def test_sum_as_string_accepts_keywords_and_index_objects():
    assert sum_as_string(b=Index(4294967295), a=True) == "4294967296"


@pytest.mark.parametrize(
    "function, args, kwargs, message",
    [
        (B, (1.5, 0, 0), {}, "argument 'r': 'float' object cannot be interpreted as an integer"),
        (B, (0, 0), {"d": None}, "argument 'd': 'NoneType' object cannot be interpreted as an integer"),
        (S, (0, 2.0), {}, "argument 'b': 'float' object cannot be interpreted as an integer"),
        (P, (0, Index("7"), 0), {}, "argument 'c': __index__ returned non-int (type str)"),
        (B, (Index(raises=TypeError("plain")), 0, 0), {}, "argument 'r': plain"),
        (B, (1.5, "x", None), {}, "argument 'r': 'float' object cannot be interpreted as an integer"),
    ],
)
def test_type_errors_name_the_first_bad_argument(function, args, kwargs, message):
    error = raised_by(function, *args, **kwargs)
    assert type(error) is TypeError and error.args == (message,)
    assert error.__cause__ is None


@pytest.mark.parametrize("function, args", [(B, (0, 2**64, None)), (S, (-1, 0.5)), (P, (2**63, [], 0))])
def test_an_overflow_before_a_type_error_is_reported_unchanged(function, args):
    error = raised_by(function, *args)
    assert type(error) is OverflowError and not str(error).startswith("argument ")


@pytest.mark.parametrize("cause", [KeyError("k"), ValueError("v"), TypeError("t")])
def test_renamed_type_error_keeps_the_cause_of_the_original(cause):
    original = TypeError("no integer here")
    original.__cause__ = cause
    error = raised_by(bogomolov_form, 0, Index(raises=original), 0)
    assert type(error) is TypeError and error.args == ("argument 'c': no integer here",)
    assert error.__cause__ is cause


@pytest.mark.parametrize(
    "original", [ValueError("bad value"), TypeErrorSubclass("subclass"), OverflowError("own")]
)
def test_errors_other_than_exact_type_error_pass_unchanged(original):
    assert raised_by(bogomolov_form, 0, 0, Index(raises=original)) is original
    assert raised_by(sum_as_string, Index(raises=original), 0) is original
