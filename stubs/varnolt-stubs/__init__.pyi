"""Exact enumeration of the candidate left pseudo-semistabilizers of Chern characters."""

from typing import SupportsIndex

__all__ = ["sum_as_string", "bogomolov_form", "pseudo_semistabilizers"]

# Every parameter takes any object with an integer value (__index__): int,
# bool, NumPy integers.

def sum_as_string(a: SupportsIndex, b: SupportsIndex) -> str:
    """Formats the sum of two numbers as string."""

def bogomolov_form(r: SupportsIndex, c: SupportsIndex, d: SupportsIndex) -> int: ...
def pseudo_semistabilizers(
    r: SupportsIndex, c: SupportsIndex, d: SupportsIndex
) -> list[tuple[int, int, int]]: ...
