"""Any object in any argument slot: a call returns a value of the documented type
or raises an ordinary exception (only a BaseException raised by __index__ itself
comes through, unchanged), agrees with the same call made with plain ints, and
leaves the interpreter running."""

import ctypes
import math
import pathlib
import subprocess
import sys

import pytest

from conftest import I64_MAX, I64_MIN, U32_MAX, Index
from varnolt import bogomolov_form, pseudo_semistabilizers, sum_as_string


class Abort(BaseException):
    """Not an Exception: raised by __index__, it must leave the call as it is."""


class Int(int):
    pass


class TwoFaced(int):  # the value of an int subclass is its own, whatever __index__ says
    __index__, __int__ = (lambda self: 5), (lambda self: 6)


class OnlyInt:
    __int__ = lambda self: 3  # noqa: E731


class Unprintable:
    def __str__(self):
        raise ValueError("no text")


I64, U32 = (I64_MIN, I64_MAX), (0, U32_MAX)
BIG = [2**32 - 1, 2**32, 2**63 - 1, -(2**63), 2**63, -(2**63) - 1, 2**64, -(2**64), 2**1000, -(2**1000)]

# (label, object, its integer value or the exception type its conversion raises)
HOSTILE = [(repr(x), x, TypeError) for x in (1.5, 7.0, math.nan, math.inf, "7", b"7", None, 1j, [7], int)]
HOSTILE += [(repr(x), x, x) for x in [0, -1, 7, True, False, *BIG]]
HOSTILE += [
    ("object", object(), TypeError), ("only __int__", OnlyInt(), TypeError),
    ("int subclass", Int(7), 7), ("two-faced int", TwoFaced(7), 7),
    ("index 7", Index(7), 7), ("index -1", Index(-1), -1), ("index 2**64", Index(2**64), 2**64),
    ("index -2**1000", Index(-(2**1000)), -(2**1000)), ("index int subclass", Index(Int(7)), 7),
    ("index True", Index(True), 1), ("index float", Index(7.0), TypeError),
    ("index str", Index("7"), TypeError), ("index None", Index(None), TypeError),
    ("index self", Index("self"), TypeError), ("index raises TypeError", Index(raises=TypeError), TypeError),
    ("index raises ValueError", Index(raises=ValueError), ValueError),
    ("index raises MemoryError", Index(raises=MemoryError), MemoryError),
    ("index raises Abort", Index(raises=Abort), Abort),
    ("index raises unprintable TypeError", Index(raises=lambda: TypeError(Unprintable())), ValueError),
]

FUNCTIONS = {  # function: (parameters, range, plain arguments, result from ints; None: ask the module)
    sum_as_string: ("ab", U32, (1, 2), lambda a, b: str(a + b)),
    bogomolov_form: ("rcd", I64, (3, 2, -1), lambda r, c, d: 2 * c * c - 2 * r * d),
    pseudo_semistabilizers: ("rcd", I64, (2, 1, -4), None),  # every search here ends at once
}


def outcome(function, *args, **kwargs):
    try:
        return "value", function(*args, **kwargs)
    except (Exception, Abort) as error:
        return "error", type(error), str(error)


def check_documented_type(function, result):
    if function is pseudo_semistabilizers:
        assert type(result) is list
        assert all(type(t) is tuple and len(t) == 3 and all(type(x) is int for x in t) for t in result)
    else:
        assert type(result) is (str if function is sum_as_string else int)


def expected_outcome(function, values):
    names, (low, high), _, model = FUNCTIONS[function]
    for name, value in zip(names, values):
        if isinstance(value, type):
            return "conversion", value, name
        if not low <= value <= high:
            return "conversion", OverflowError, name
    return outcome(function, *values) if model is None else ("value", model(*values))


SINGLE = [(f, i, h) for f in FUNCTIONS for i in range(len(FUNCTIONS[f][0])) for h in HOSTILE]


@pytest.mark.filterwarnings("ignore::DeprecationWarning")  # __index__ returning an int subclass
@pytest.mark.parametrize(
    "function, slot, hostile", SINGLE, ids=[f"{f.__name__}-{FUNCTIONS[f][0][i]}-{h[0]}" for f, i, h in SINGLE]
)
def test_one_hostile_argument(capfd, function, slot, hostile):
    _, thing, value = hostile
    args, values = list(FUNCTIONS[function][2]), list(FUNCTIONS[function][2])
    args[slot], values[slot] = thing, value
    kwargs = dict(zip(FUNCTIONS[function][0], args))
    references = sys.getrefcount(thing)
    got, expected = outcome(function, *args), expected_outcome(function, values)
    if got[0] == "value":
        check_documented_type(function, got[1])
    else:
        assert issubclass(got[1], Exception) or got[1] is Abort
    if expected[0] == "conversion":
        assert got[:2] == ("error", expected[1])
        assert expected[1] is not TypeError or got[2].startswith(f"argument '{expected[2]}': ")
    else:
        assert got == expected
    assert outcome(function, **kwargs) == got
    references -= sys.getrefcount(thing)  # outside the assert: its rewriting holds references
    assert references == 0  # the call neither keeps nor drops a reference to its argument


@pytest.mark.parametrize("function", FUNCTIONS)
@pytest.mark.parametrize(
    "first, second, error",
    [(1.5, Index(raises=Abort), TypeError), (Index(raises=Abort), 1.5, Abort),
     (2**64, None, OverflowError), (Index(raises=ValueError), 2**1000, ValueError)],
)
def test_only_the_first_bad_argument_in_parameter_order_counts(capfd, function, first, second, error):
    names = FUNCTIONS[function][0]
    for i in range(len(names)):
        for j in range(i + 1, len(names)):
            args = list(FUNCTIONS[function][2])
            args[i], args[j] = first, second
            # keywords in reverse order: parameter order decides, not call order
            got = outcome(function, **dict(zip(reversed(names), reversed(args))))
            assert got[1] is error
            assert error is not TypeError or got[2].startswith(f"argument '{names[i]}': ")


@pytest.mark.parametrize("function", FUNCTIONS)
@pytest.mark.parametrize("count", range(6))
@pytest.mark.parametrize("argument", [1, 1.5, Index(raises=Abort)])
def test_argument_counts(capfd, function, count, argument):
    name, names = function.__name__, FUNCTIONS[function][0]
    got = outcome(function, *[argument] * count)
    if count > len(names):
        assert got == ("error", TypeError, f"{name}() takes {len(names)} positional arguments but {count} were given")
    elif count < len(names):
        assert got[:2] == ("error", TypeError) and got[2].startswith(f"{name}() missing {len(names) - count} required")
    elif argument == 1:
        check_documented_type(function, got[1])
    else:
        assert got[1] is (TypeError if argument == 1.5 else Abort)


@pytest.mark.parametrize("key", ["e", "", "R", " r", "r\x00", "ℓ", "é", "ｒ", "\udc80", "\ud800r", "r" * 1000])
@pytest.mark.parametrize("function", FUNCTIONS)
def test_unknown_keywords_including_non_ascii_and_surrogates(capfd, function, key):
    got = outcome(function, *FUNCTIONS[function][2][:-1], **{key: 1})
    assert got == ("error", TypeError, f"{function.__name__}() got an unexpected keyword argument '{key}'")
    got = outcome(function, **{key: 1.5, FUNCTIONS[function][0][0]: 1})  # refused before any conversion
    assert got[1] is TypeError and "unexpected keyword" in got[2]


class Str(str):
    __eq__, __hash__ = (lambda self, other: False), str.__hash__


vectorcall = ctypes.pythonapi.PyObject_Vectorcall
vectorcall.restype = ctypes.py_object
vectorcall.argtypes = [ctypes.py_object, ctypes.POINTER(ctypes.py_object), ctypes.c_size_t, ctypes.py_object]


def call_with_keyword_names(function, args, kwnames):
    """Calls function as the interpreter does, but with keyword names of any type and repeats."""
    return vectorcall(function, (ctypes.py_object * len(args))(*args), len(args) - len(kwnames), kwnames)


@pytest.mark.parametrize(
    "args, kwnames, result",
    [
        ((3, 2, -1), (1,), "keywords must be strings"),
        ((3, 2, -1), (b"r",), "keywords must be strings"),
        ((3, 2, -1, 7), (None, "d"), "keywords must be strings"),
        ((3, 2, -1), ("r", "r"), "bogomolov_form() got multiple values for argument 'r'"),
        ((3, 2, -1, 4), ("c", "d", "c"), "bogomolov_form() got multiple values for argument 'c'"),
        ((3, 2, -1), (Str("d"), Str("c"), Str("r")), 14),
    ],
)
def test_raw_keyword_names_the_interpreter_would_refuse(args, kwnames, result):
    got = outcome(call_with_keyword_names, bogomolov_form, args, kwnames)
    assert got == (("value", result) if type(result) is int else ("error", TypeError, result))


@pytest.mark.parametrize("function", FUNCTIONS)
def test_non_str_keywords_are_refused_by_the_interpreter(capfd, function):
    names, _, plain, _ = FUNCTIONS[function]
    with pytest.raises(TypeError, match="^keywords must be strings$"):
        function(*plain, **{1: 2})
    assert outcome(function, **{Str(n): v for n, v in zip(names, plain)}) == outcome(function, *plain)


@pytest.mark.parametrize("returned", [10**30 + 1, 2**64, -(2**63) - 5, 2**40])
def test_index_results_are_released(capfd, returned):
    references = sys.getrefcount(returned)
    for function in FUNCTIONS:
        for _ in range(200):
            outcome(function, *[Index(returned)] * len(FUNCTIONS[function][0]))
    references -= sys.getrefcount(returned)
    assert references == 0


def test_the_whole_table_under_the_debug_memory_allocators():
    script = f"""if True:
        import sys, warnings
        sys.path.insert(0, {str(pathlib.Path(__file__).parent)!r})
        warnings.simplefilter("ignore")
        import test_hostile_arguments as t
        for function, slot, (_, thing, _) in t.SINGLE:
            args = list(t.FUNCTIONS[function][2])
            args[slot] = thing
            t.outcome(function, *args)
        print("survived")
    """
    child = subprocess.run([sys.executable, "-X", "dev", "-c", script], capture_output=True, timeout=60)
    assert child.returncode == 0, child.stderr.decode()[-2000:]
    assert child.stdout.endswith(b"survived\n")
