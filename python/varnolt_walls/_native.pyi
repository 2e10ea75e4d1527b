from collections.abc import Callable
from fractions import Fraction
from typing import Any

_Progress = Callable[[int, int], object] | None
_Found = tuple[bytearray, bytearray, bytearray]

# The point of `above`: int.to_bytes(n, "little", signed=True) of β's numerator and
# denominator, then α's.
_Point = tuple[bytes, bytes, bytes, bytes] | None

class Refused(Exception):
    """A request the core refuses: args (kind, (r, c, d), text, detail)."""

def candidates(r: int, c: int, d: int, *, max_rank: int | None = None, progress: _Progress = None,
               degree: int = 2, d_denominator: int = 1,
               right: bool = False, above: _Point = None) -> bytearray: ...
def count(r: int, c: int, d: int, *, max_rank: int | None = None, progress: _Progress = None,
          degree: int = 2, d_denominator: int = 1,
               right: bool = False, above: _Point = None) -> int: ...
def walls(r: int, c: int, d: int, *, max_rank: int | None = None, progress: _Progress = None,
          degree: int = 2, d_denominator: int = 1,
               right: bool = False, above: _Point = None) -> _Found: ...
def group(r: int, c: int, d: int, rows: bytes | bytearray, *, progress: _Progress = None) -> _Found: ...
def wall_objects(columns: tuple[bytearray, bytearray, bytearray], start: int, stop: int,
                 wall_type: type[Any], fraction_type: type[Fraction], v: object, side: str) -> list[Any]: ...
def wall_columns(columns: tuple[bytearray, bytearray, bytearray], fraction_type: type[Fraction]
                 ) -> tuple[list[Fraction], list[float], list[Fraction], list[float], list[tuple[tuple[int, int, int], ...]]]: ...
def numerical_wall(R: int, C: int, D: int, r: int, c: int, d: int, fraction_type: type[Fraction]
                   ) -> tuple[Fraction, Fraction]: ...
