"""varnolt_walls.candidates and count against varnolt.pseudo_semistabilizers, and the
interpreter lock released while the core searches."""

import math
from fractions import Fraction
import random
import signal
import subprocess
import sys
import time

import numpy as np
import pytest

import varnolt
import varnolt_walls

WORKED = [(2, 1, -4), (3, 1, -5), (5, 3, 1), (4, 2, -8), (0, 5, 3), (1, 0, -16), (0, 3, 4),
          (1, 0, -1),  # no candidates
          (3, 2, -1), (-1, 1, 3), (0, 0, 5)]  # the search cannot proceed
RANDOM = [(rng.randint(-2, 6), rng.randint(-9, 9), rng.randint(-40, 40))
          for rng in [random.Random(11)] for _ in range(300)]
HOSTILE = [(2**63, 0, 0), (0, -(2**63) - 1, 0), (1.5, 0, 0), (1, "2", 3), (1, 2, None)]


def discriminant(r, c, d):
    return c * c - r * d if all(isinstance(x, int) for x in (r, c, d)) else 0


def searched(v):
    """The class whose search a search of v is: −v for a shifted class (r < 0, or r = 0 and c < 0)."""
    r, c, d = v
    shifted = all(isinstance(x, int) for x in v) and (r < 0 or r == 0 and c < 0)
    return (-r, -c, -d) if shifted else v


def expected_failure(v, kind, message):
    """The (type, start of the message) of varnolt_walls where varnolt fails with (kind, message)."""
    r, c, d = searched(v)
    if kind is RuntimeError and no_real_beta(*v):  # no walls at all
        return varnolt_walls.NoRealBetaError, ""
    if kind is RuntimeError and r > 0 and math.isqrt(discriminant(*v)) ** 2 != discriminant(*v):
        # Infinitely many candidates: a bound is asked for.
        return varnolt_walls.IrrationalBetaError, (
            f"β₋ of ch = ({v[0]}, {v[1]}, {Fraction(v[2]) / 2}) is irrational: its pseudo-walls are infinitely many and accumulate at β₋; "
            "pass max_rank=R for those of the candidates of rank at most R, or above=(β, α) for the walls over σ(β, α)")
    if kind is TypeError and v[2] is None:  # None stands for a d left out, as with a class in place of v
        return TypeError, "v is a ChernCharacter or the integers r, c, d: d missing"
    if kind is OverflowError and message == "int too big to convert":  # the argument named
        return OverflowError, "argument '"
    return kind, message


def no_real_beta(r, c, d):
    return all(isinstance(x, int) for x in (r, c, d)) and (r == c == 0 or c * c - r * d < 0)


def outcome(function, v):
    try:
        return "ok", function(*v)
    except Exception as error:
        return type(error), str(error)


@pytest.mark.parametrize("v", WORKED + RANDOM + HOSTILE)
def test_candidates_and_count_match_pseudo_semistabilizers(v):
    expected = outcome(varnolt.pseudo_semistabilizers, searched(v))
    rows = outcome(varnolt_walls.candidates, v)
    counted = outcome(varnolt_walls.count, v)
    if expected[0] != "ok":
        kind, start = expected_failure(v, *expected)
        assert rows[0] is kind and rows[1].startswith(start) and counted == rows
        return
    array = rows[1]
    assert array.dtype == np.int64 and array.shape == (len(expected[1]), 3)
    assert array.flags.c_contiguous and array.flags.writeable
    assert list(map(tuple, array.tolist())) == expected[1]
    assert counted == ("ok", len(expected[1]))


# Each child reports what it saw on stdout; a search holding the interpreter
# lock would leave the main thread waiting for ever (the child then times out).
INTERRUPTED = """
import varnolt_walls
try:  # "ready" inside: a signal that comes before the search starts ends the same way
    print("ready", flush=True)
    varnolt_walls.{call}  # minutes to hours of searching
except KeyboardInterrupt:
    print("KeyboardInterrupt", flush=True)
"""
OTHER_THREAD = """
import os, threading, time, varnolt_walls
started = threading.Event()
def search():
    started.set()
    varnolt_walls.count(0, 2000, 1)  # hours of searching
thread = threading.Thread(target=search, daemon=True)
thread.start()
started.wait()
time.sleep(0.5)
print(thread.is_alive(), sum(i * i for i in range(10**6)), flush=True)
os._exit(0)
"""


@pytest.mark.parametrize("call", [f"{function}({arguments})" for function in ("count", "candidates")
                                  for arguments in ("0, 2000, 1", "1, 0, -2, max_rank=10**11")])
def test_ctrl_c_interrupts_a_long_search(call):
    child = subprocess.Popen([sys.executable, "-c", INTERRUPTED.format(call=call)],
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    assert child.stdout.readline() == "ready\n"
    time.sleep(0.5)  # most likely into the search by then; the outcome is the same if not
    child.send_signal(signal.SIGINT)
    out, err = child.communicate(timeout=30)
    assert (out, err, child.returncode) == ("KeyboardInterrupt\n", "", 0)


def test_other_threads_run_python_code_while_a_search_runs():
    child = subprocess.run([sys.executable, "-c", OTHER_THREAD], capture_output=True, text=True, timeout=60)
    assert (child.stdout, child.stderr) == (f"True {sum(i * i for i in range(10**6))}\n", "")
