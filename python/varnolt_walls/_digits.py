"""The exact decimal text of an integer or a fraction of any size, and back.

The interpreter refuses str(n) and int(text) beyond 4300 digits (sys.get_int_max_str_digits,
at least 640 however it is set), yet results hold such numbers: the Pell units behind the
walls of a K3 surface of large degree have tens of thousands of digits. These convert in
pieces of at most PIECE digits, each under every limit the interpreter allows, splitting by
10^(PIECE·2^k) (divide and conquer: the cost is that of a few large divisions or products,
not a division per piece), and change no setting of the interpreter.
"""

from __future__ import annotations

from fractions import Fraction
from functools import cache
from operator import index
from typing import SupportsIndex

PIECE = 512


@cache
def _power(k: int) -> int:
    """10^(PIECE·2^k), the divisor of level k."""
    return 10 ** PIECE if k == 0 else _power(k - 1) ** 2


def decimal_text(n: SupportsIndex) -> str:
    """The decimal digits of the integer n, with "-" when it is negative, whatever its size.

    >>> decimal_text(-10 ** 5000)[:3], len(decimal_text(10 ** 5000))
    ('-10', 5001)
    """
    n = index(n)
    if n < 0:
        return "-" + decimal_text(-n)
    k = -1
    while n >= _power(k + 1):  # n < 10^(PIECE·2^(k+1)): two halves of level k
        k += 1
    return _digits(n, k, False)


def _digits(n: int, k: int, padded: bool) -> str:
    """n < 10^(PIECE·2^(k+1)) in decimal, `padded` with zeros to that many digits (a low half)."""
    if k < 0:
        return str(n).zfill(PIECE) if padded else str(n)
    high, low = divmod(n, _power(k))
    if high == 0 and not padded:
        return _digits(low, k - 1, False)
    return _digits(high, k - 1, padded) + _digits(low, k - 1, True)


def decimal_int(text: str) -> int:
    """The integer of a decimal text ("-", "+" or no sign, then ASCII digits), whatever its length; a
    ValueError for anything else.

    >>> decimal_int("-" + "9" * 6000) == -(10 ** 6000 - 1)
    True
    """
    digits = text[1:] if text[:1] in ("-", "+") else text
    if not (digits.isascii() and digits.isdigit()):
        shown = text if len(text) <= 40 else f"{text[:20]}…{text[-20:]}"
        raise ValueError(f"not a decimal integer: {shown!r}")
    value = _value(digits)
    return -value if text[0] == "-" else value


def _value(digits: str) -> int:
    if len(digits) <= PIECE:
        return int(digits)
    k = 0
    while PIECE << (k + 1) < len(digits):  # the low part: PIECE·2^k digits, the most below the length
        k += 1
    cut = len(digits) - (PIECE << k)
    return _value(digits[:cut]) * _power(k) + _value(digits[cut:])


def fraction_text(x: Fraction) -> str:
    """x as "p/q", or "p" when it is an integer, whatever their size (str(x) with no limit)."""
    numerator = decimal_text(x.numerator)
    return numerator if x.denominator == 1 else f"{numerator}/{decimal_text(x.denominator)}"


def text_fraction(text: str) -> Fraction:
    """The Fraction of a text "p/q" or "p" of any length (of fraction_text); a ValueError for anything else."""
    numerator, slash, denominator = text.partition("/")
    if slash and not denominator[:1].isdigit():
        raise ValueError(f"not a fraction p/q: {text[:40]!r}")
    top, bottom = decimal_int(numerator), decimal_int(denominator) if slash else 1
    if bottom == 0:
        raise ValueError(f"not a fraction p/q: the denominator of {text[:40]!r} is 0")
    return Fraction(top, bottom)
