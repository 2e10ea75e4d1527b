"""Reading a document of walls back (Walls.from_json): by searching again.

A document names its search (v, surface, side, max_rank, above) and states what the search
gave: its header (surface, degree, d_scale, complete, β₋), "wall_count" and the walls with their
classes and names. Each of those follows from the search, so the reader makes the search again
and compares the whole document with the one the search writes: a wall lost, added, moved or
altered, a header that contradicts v, a wrong class or name, each is a ValueError naming the
first field that differs. Reading takes the time of the search. A document without
"wall_count" (written before it was added) reads the same, as it is checked whole.
"""

from __future__ import annotations

import json
from collections.abc import Callable, Iterable
from typing import Any, Protocol

from ..classes._arguments import ExactRow
from ..classes._class_arguments import chern_options
from ..classes._options import SearchOptions, Surface


class Searched(Protocol):
    """What a search gives: here, its caption for the messages."""

    def caption(self) -> str: ...

NOT_WALLS = "not a document of walls"
# The deepest nesting of a document of walls: the object, "walls", a wall, "classes", a class, its "ch".
DEEPEST = 6


def read_walls[W: Searched](text: str | bytes, search: Callable[[ExactRow, SearchOptions], W],
                             written: Callable[[W], Iterable[str]]) -> W:
    """The walls `search` gives for the search a document describes, once the document is found to be
    what `written` writes of them."""
    found = _parsed(text)
    try:
        v, options = chern_options(*_searched_v(found["chern_character"]),
                                   SearchOptions.checked(found["max_rank"], _surface(found["degree"]),
                                                         found["side"], _above(found["above"])))
    except (ValueError, TypeError, OverflowError) as error:
        raise ValueError(f"{NOT_WALLS}: it names no search: {error}") from None
    try:
        result = search(v, options)
    except (ValueError, OverflowError) as error:  # a search refused: no such document is written
        raise ValueError(f"{NOT_WALLS}: its search is refused: {error}") from None
    expected = json.loads("".join(written(result)))
    if "wall_count" not in found:
        found = found | {"wall_count": expected["wall_count"]}
    difference = _walls_difference(found["walls"], expected["walls"]) or _difference(found, expected, "")
    if difference is not None:
        raise ValueError(f"the document is not the walls of its search ({result.caption()}): "
                         f"{difference}")
    return result


def _parsed(text: str | bytes) -> dict[str, Any]:
    """The document as a dict with the fields of a walls document, each of the right JSON type."""
    try:
        found = json.loads(text)
    except RecursionError:
        raise ValueError(f"{NOT_WALLS}: its JSON nests too deeply") from None
    except ValueError as error:  # not JSON (a JSONDecodeError), or an integer of too many digits
        raise ValueError(f"{NOT_WALLS}: not JSON ({error})") from None
    if not isinstance(found, dict):
        raise ValueError(f"{NOT_WALLS}: a JSON {type(found).__name__}, not an object")
    if _depth(found) > DEEPEST:
        raise ValueError(f"{NOT_WALLS}: it nests deeper than {DEEPEST} levels")
    if "walls" not in found:
        other = next((key for key in ("error", "candidates", "count") if key in found), None)
        raise ValueError(f"{NOT_WALLS}: it has no 'walls'" + (f" but '{other}'" if other else ""))
    missing = [key for key in ("chern_character", "degree", "side", "max_rank", "above") if key not in found]
    if missing:
        raise ValueError(f"{NOT_WALLS}: it lacks {', '.join(map(repr, missing))}")
    if found["max_rank"] is not None and type(found["max_rank"]) is not int:
        raise ValueError(f"{NOT_WALLS}: 'max_rank' is {found['max_rank']!r}, not an integer or null")
    if not isinstance(found["walls"], list):
        raise ValueError(f"{NOT_WALLS}: 'walls' is not a list")
    count = found.get("wall_count", len(found["walls"]))
    if type(count) is not int or count < 0:
        raise ValueError(f"{NOT_WALLS}: 'wall_count' is {count!r}, not a count")
    if count != len(found["walls"]):
        raise ValueError(f"the document says it holds {count} walls, but it holds {len(found['walls'])}")
    return found


def _depth(value: object) -> int:
    """How deeply lists and objects nest in `value` (a scalar is 0), without recursion."""
    deepest, stack = 0, [(value, 0)]
    while stack:
        top, depth = stack.pop()
        if isinstance(top, (list, dict)):
            deepest = max(deepest, depth + 1)
            stack += [(x, depth + 1) for x in (top.values() if isinstance(top, dict) else top)]
    return deepest


def _searched_v(v: object) -> tuple[int, int, int | str]:
    """r, c, d of the document: two JSON integers, and an integer or a text "p/q"."""
    if not isinstance(v, list) or len(v) != 3:
        raise ValueError(f"'chern_character' is {v!r}, not [r, c, d]")
    r, c, d = v
    if not all(type(x) is int for x in (r, c)) or not (type(d) is int or isinstance(d, str)):
        raise ValueError(f"'chern_character' is {v!r}: r and c are integers, d an integer or a text 'p/q'")
    return r, c, d


def _surface(degree: object) -> Surface | None:
    if degree is not None and type(degree) is not int:
        raise ValueError(f"'degree' is {degree!r}, not an integer or null")
    return None if degree is None else Surface(degree)


def _above(above: object) -> tuple[str, str] | None:
    if above is None:
        return None
    if not isinstance(above, list) or len(above) != 2 or not all(isinstance(x, str) for x in above):
        raise ValueError(f"'above' is {above!r}, not null or two texts [\"β\", \"α\"]")
    return above[0], above[1]


def _walls_difference(found: list[Any], expected: list[Any]) -> str | None:
    """What is wrong with the list of walls as a whole: walls missing or added, or their order."""
    if len(found) != len(expected):
        return f"it holds {len(found)} walls, where the search gives {len(expected)}"
    if found != expected and sorted(map(_key, found)) == sorted(map(_key, expected)):
        return "it holds the walls of the search in another order (largest first, then by center)"
    return None


def _key(value: object) -> str:
    return json.dumps(value, sort_keys=True)


def _difference(found: object, expected: object, path: str) -> str | None:
    """The first place where `found` is not `expected`, as "path is X, where the search gives Y"; JSON
    values are compared with their types (1 is neither 1.0 nor true)."""
    if isinstance(expected, dict):
        if not isinstance(found, dict):
            return f"{path} is {_shown(found)}, where the search gives {_shown(expected)}"
        for key in expected:
            if key not in found:
                return f"{path}{'.' if path else ''}{key} is missing"
        for key in found:
            if key not in expected:
                return f"it has a field {path}{'.' if path else ''}{key} that a document of walls does not have"
        for key, value in expected.items():
            difference = _difference(found[key], value, f"{path}{'.' if path else ''}{key}")
            if difference is not None:
                return difference
        return None
    if isinstance(expected, list):
        if not isinstance(found, list) or len(found) != len(expected):
            return f"{path} is {_shown(found)}, where the search gives {_shown(expected)}"
        for i, (a, b) in enumerate(zip(found, expected)):
            difference = _difference(a, b, f"{path}[{i}]")
            if difference is not None:
                return difference
        return None
    if type(found) is not type(expected) or found != expected:
        return f"{path} is {_shown(found)}, where the search gives {_shown(expected)}"
    return None


def _shown(value: object) -> str:
    text = json.dumps(value, ensure_ascii=False)
    return text if len(text) <= 80 else text[:77] + "..."
