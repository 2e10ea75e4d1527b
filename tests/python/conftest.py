"""Shared helpers of the module's tests: integer limits, the search's messages, the announcement
line of pseudo_semistabilizers and an object with __index__.  Test files import them with
`from conftest import ...`."""

from fractions import Fraction

I64_MIN, I64_MAX = -(2**63), 2**63 - 1
U32_MAX = 2**32 - 1

IRRATIONAL = "β_ is not rational: ∞ walls"
NEGATIVE_RANK_BOUND = "Internal logical error: Negative lower bound on r"
OVERFLOW = "arithmetic overflow: value outside the signed 64-bit range"


def chern_text(r, c, d):
    """The text form of the Chern character (r, c·ℓ, (d/2)·ℓ²), as the announcement shows it."""
    return f"({r}, {c}ℓ, {Fraction(d, 2)}ℓ²)"


def announcement(text):
    """What pseudo_semistabilizers writes to file descriptor 1 before it searches."""
    return f"Computing pseudo semistabilizers for {text}\n\n"


class Index:
    """An object whose __index__ returns `returns` ("self": the object itself) or raises `raises`:
    an exception instance as it is, or a new one from an exception class or other callable."""

    def __init__(self, returns=None, raises=None):
        self.returns, self.raises = returns, raises

    def __index__(self):
        if isinstance(self.raises, BaseException):
            raise self.raises
        if self.raises is not None:
            raise self.raises()
        return self if self.returns == "self" else self.returns
