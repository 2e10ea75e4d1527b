"""The texts of K3 results: their JSON documents, read and checked, and their numbers written exactly
whatever their size (a wall's classes and centre grow with the Pell units, past the 4300 digits that
str() and json.dumps() refuse).

A result's document is built from its fields one by one (`json_value` knows every kind of field:
Fractions as exact "p/q" texts, Mukai vectors as lists of ints, None, texts), so a field added to a
wall later is written, read back and checked with no change here.
"""

from __future__ import annotations

import dataclasses
import json
from collections.abc import Sequence
from fractions import Fraction
from typing import Any

from .._digits import decimal_int, decimal_text, fraction_text

# What a document holds: JSON values with ints of any size.
Document = dict[str, Any]
LONGEST_SHOWN = 60  # characters of a value quoted in a message


def mukai_text(a: Sequence[int]) -> str:
    """A Mukai vector as Python prints a tuple, "(1, -1, 2)", for entries of any size."""
    return f"({', '.join(map(decimal_text, a))})"


def exact_repr(x: object) -> str:
    """repr(x) for the values of a result's fields, with ints and Fractions of any size."""
    if isinstance(x, bool) or not isinstance(x, int | Fraction | tuple | list):
        return repr(x)
    if isinstance(x, int):
        return decimal_text(x)
    if isinstance(x, Fraction):
        return f"Fraction({decimal_text(x.numerator)}, {decimal_text(x.denominator)})"
    inside = ", ".join(map(exact_repr, x))
    return f"[{inside}]" if isinstance(x, list) else f"({inside}{',' if len(x) == 1 else ''})"


def json_value(x: object) -> Any:
    """A field as JSON sees it: a Fraction as its exact text, a tuple or list as a list, a dataclass as the
    object of its fields; ints (of any size), texts, booleans and None as they are."""
    if isinstance(x, Fraction):
        return fraction_text(x)
    if isinstance(x, tuple | list):
        return [json_value(y) for y in x]
    if dataclasses.is_dataclass(x) and not isinstance(x, type):
        return {f.name: json_value(getattr(x, f.name)) for f in dataclasses.fields(x)}
    if x is None or isinstance(x, bool | int | str):
        return x
    raise TypeError(f"a field of type {type(x).__name__} has no JSON form")


def json_text(x: Any) -> str:
    """The JSON text of a document, as json.dumps(x, ensure_ascii=False) writes it, with ints of any size."""
    if isinstance(x, dict):
        return "{" + ", ".join(f"{json.dumps(k, ensure_ascii=False)}: {json_text(y)}" for k, y in x.items()) + "}"
    if isinstance(x, list):
        return "[" + ", ".join(map(json_text, x)) + "]"
    if isinstance(x, int) and not isinstance(x, bool):
        return decimal_text(x)
    return json.dumps(x, ensure_ascii=False)


def read_json(text: str | bytes, what: str) -> Document:
    """The JSON object of `text`, ints of any size read exactly; a ValueError when it is no JSON object."""
    try:
        found = json.loads(text, parse_int=decimal_int, parse_constant=_no_constant)
    except (json.JSONDecodeError, UnicodeDecodeError, TypeError, ValueError) as error:
        raise ValueError(f"not a document of {what}: {type(error).__name__}: {error}") from None
    if not isinstance(found, dict):
        raise ValueError(f"not a document of {what}: a JSON object is needed, not {type(found).__name__}")
    return found


def _no_constant(name: str) -> float:
    raise ValueError(f"{name} is not a JSON number")


def difference(given: Any, expected: Any, path: str = "") -> str | None:
    """Where the document `given` differs from `expected` and how, or None when they are the same (equal
    values of the same JSON type: 1 and true differ)."""
    if isinstance(expected, dict) and isinstance(given, dict):
        for key in expected.keys() - given.keys():
            return f"{_field(path, key)} is missing"
        for key in given.keys() - expected.keys():
            return f"{_field(path, key)} is not a field of the document"
        return next((found for key in expected if (found := difference(given[key], expected[key],
                                                                         _field(path, key)))), None)
    if isinstance(expected, list) and isinstance(given, list):
        if len(given) != len(expected):
            entries = "1 entry" if len(given) == 1 else f"{len(given)} entries"
            return f"{path} has {entries} where the walls of v have {len(expected)}"
        return next((found for i, (x, y) in enumerate(zip(given, expected))
                     if (found := difference(x, y, f"{path}[{i}]"))), None)
    if type(given) is not type(expected) or given != expected:
        return f"{path} is {_shown(given)} where the walls of v have {_shown(expected)}"
    return None


def _field(path: str, key: str) -> str:
    return f"{path}.{key}" if path else key


def _shown(x: Any) -> str:
    text = json_text(x)
    return text if len(text) <= LONGEST_SHOWN else f"{text[:LONGEST_SHOWN // 2]}…{text[-LONGEST_SHOWN // 2:]}"
