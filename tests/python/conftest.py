"""Shared helpers of the module's tests: integer limits, the search's messages, the announcement
line of pseudo_semistabilizers and an object with __index__.  Test files import them with
`from conftest import ...`."""

from fractions import Fraction

I64_MIN, I64_MAX = -(2**63), 2**63 - 1
U32_MAX = 2**32 - 1

IRRATIONAL = "β_ is not rational: ∞ walls"
NOT_REAL = "β_ is not real: no walls"  # c² − r·d < 0, or r = c = 0
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


def walls_json(found):
    """Walls as the command line's JSON has them: each with its side and its classes, named."""
    def ch(u):
        return [u.rank, u.c1, u.ch2.numerator if u.ch2.denominator == 1 else str(u.ch2)]

    return [{"center": str(w.center), "radius_squared": str(w.radius_squared),
             "semistabilizers": [list(u) for u in w.semistabilizers], "side": w.side,
             "classes": [{"ch": ch(u.sub), "name": u.name, "quotient": ch(u.quotient),
                          "quotient_name": u.quotient_name} for u in w.classes]} for w in found]


def json_document(v, max_rank, key, value):
    """What the command line writes for v as JSON (one search, or one sweep line), from the
    public functions. A bound makes the list complete when β₋ = m/n is rational and the bound
    is at least X² = (c·n − r·m)², the largest rank a candidate has; checked here against the
    counts with and without the bound."""
    import varnolt_walls

    try:
        beta = varnolt_walls.beta_minus(*v)
    except ValueError:
        beta = None
    if isinstance(beta, Fraction):
        exact = {"fraction": [beta.numerator, beta.denominator]}
    elif beta is not None:
        exact = {"c": beta.c, "discriminant": beta.discriminant, "r": beta.r}
    complete = key != "error" and (max_rank is None or isinstance(beta, Fraction)
                                   and max_rank >= (v[1] * beta.denominator - v[0] * beta.numerator) ** 2)
    if complete and max_rank is not None:
        assert varnolt_walls.count(*v, max_rank=max_rank) == varnolt_walls.count(*v)
    return {"chern_character": list(v), "surface": None, "degree": None, "d_scale": 1, "side": "left",
            "max_rank": max_rank, "above": None,
            "complete": complete,
            "beta_minus": None if beta is None else {"text": str(beta), "float": float(beta)} | exact} | (
                {"wall_count": len(value)} if key == "walls" else {}) | {key: value}


def wait_until_blocked_writing_a_pipe(pid, seconds=120):
    """Until process pid (its main thread) sleeps in a write to a full pipe, as the kernel's
    wait channel shows ("pipe_write", or "anon_pipe_write" in newer kernels)."""
    import time

    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        with open(f"/proc/{pid}/wchan") as wchan:
            if "pipe_write" in wchan.read():
                return
        time.sleep(0.01)
    raise AssertionError(f"process {pid} never blocked writing to a pipe")
