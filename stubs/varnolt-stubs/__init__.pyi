"""Exact enumeration of the candidate left pseudo-semistabilizers of Chern characters."""

__all__ = ["sum_as_string", "bogomolov_form", "pseudo_semistabilizers"]

def sum_as_string(a: int, b: int) -> str:
    """Formats the sum of two numbers as string."""

def bogomolov_form(r: int, c: int, d: int) -> int: ...
def pseudo_semistabilizers(r: int, c: int, d: int) -> list[tuple[int, int, int]]: ...
