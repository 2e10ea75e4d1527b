"""pseudo_semistabilizers as a Python caller sees the whole search: results, messages, Ctrl-C."""

import os
import select
import signal
import subprocess
import sys
import textwrap
import time
from fractions import Fraction

import pytest

import conftest
import search_model
from conftest import IRRATIONAL, NEGATIVE_RANK_BOUND, NOT_REAL, OVERFLOW
from varnolt import pseudo_semistabilizers


def announcement(r, c, d):
    return conftest.announcement(conftest.chern_text(r, c, d))


FOUND = [
    # (r, c, d), then every candidate in the order by q, then rank, then d
    ((1, 1, -3), [(1, 0, 0)]),  # β₋ = −1, X = 2
    ((1, 2, 0), [(1, 1, 1)]),  # β₋ = 0, X = 2
    ((2, 1, -4), [(1, 0, 0), (2, 0, -1), (2, 0, 0), (3, -1, 0)]),
    (
        (3, 1, -5),  # q = 1 (rank 1), q = 2 (ranks 2, 3, 4), q = 3 (ranks 3, 4)
        [(1, 0, 0), (2, 0, -1), (2, 0, 0), (3, -1, 0), (4, -2, 1), (3, 0, -2), (3, 0, -1), (3, 0, 0), (4, -1, -1)],
    ),
    ((3, 2, 1), [(4, 2, 1)]),  # β₋ = 1/3, found at q = 2/3
    ((3, 1, -1), [(1, 0, 0), (2, 0, 0), (3, 0, 0), (4, 0, 0), (7, -1, 0)]),  # β₋ = −1/3
    # β₋ = 1/5: q = 4/5, 6/5 (ranks 4 and 9), 7/5, 8/5, 9/5 -- not sorted by rank overall
    ((5, 3, 1), [(16, 4, 1), (4, 2, 1), (9, 3, 1), (8, 3, 1), (7, 3, 1), (6, 3, 1)]),
    ((0, 2, 4), [(1, 2, 4)]),  # rank 0, β₋ = 1, X = 2: of ranks 1..4 only rank 1 has a ch2
    ((1, 0, -1), []),  # β₋ = −1, X = 1: no q at all
    ((4, 0, 0), []),  # β₋ = 0, X = 0
    ((0, -2, 2), []),  # rank 0, β₋ = −1/2, X = −4
    ((-1, 0, 0), []),  # negative rank but X = 0: no q, so no rank bound is ever checked
]

REFUSED = [
    ((3, 2, -1), IRRATIONAL),  # c² − r·d = 7
    ((1, 0, -2), IRRATIONAL),  # c² − r·d = 2
    ((1, 0, 1), NOT_REAL),  # c² − r·d = −1
    ((0, 0, 5), NOT_REAL),  # rank 0 and c = 0
    ((-1, 1, 3), NEGATIVE_RANK_BOUND),  # β₋ = 1, X = 2
    ((-2, 1, 4), NEGATIVE_RANK_BOUND),  # β₋ = 1, X = 3
]


@pytest.mark.parametrize("v, expected", FOUND, ids=[str(v) for v, _ in FOUND])
def test_search_lists_every_candidate_in_order(capfd, v, expected):
    result = pseudo_semistabilizers(*v)
    assert type(result) is list
    assert result == expected
    assert all(type(u) is tuple and len(u) == 3 and all(type(x) is int for x in u) for u in result)
    assert capfd.readouterr().out == announcement(*v)


@pytest.mark.parametrize("v, message", REFUSED, ids=[str(v) for v, _ in REFUSED])
def test_search_refusal_is_a_runtime_error_after_the_announcement(capfd, v, message):
    with pytest.raises(RuntimeError) as caught:
        pseudo_semistabilizers(*v)
    assert type(caught.value) is RuntimeError
    assert caught.value.args == (message,)
    assert capfd.readouterr().out == announcement(*v)


@pytest.mark.parametrize("v, expected", FOUND, ids=[str(v) for v, _ in FOUND])
def test_reference_model_reproduces_the_worked_searches(v, expected):
    assert search_model.search(*v) == ("ok", expected)
    assert search_model.search_exact(*v) == ("ok", expected)


@pytest.mark.parametrize("v, message", REFUSED, ids=[str(v) for v, _ in REFUSED])
def test_reference_model_refuses_like_the_worked_searches(v, message):
    assert search_model.search(*v) == ("error", message)


def test_keywords_give_the_same_search():
    assert pseudo_semistabilizers(d=-4, c=1, r=2) == [(1, 0, 0), (2, 0, -1), (2, 0, 0), (3, -1, 0)]


def test_overflowing_discriminant_is_refused_not_wrapped(capfd):
    # c² − r·d = 2^64: exactly, β₋ = 2^32 − 2^32 = 0 and X = 2^32; no value may come from wrapping
    with pytest.raises(OverflowError) as caught:
        pseudo_semistabilizers(1, 2**32, 0)
    assert caught.value.args == (OVERFLOW,)
    assert capfd.readouterr().out == announcement(1, 2**32, 0)


def test_near_the_64_bit_edge_the_answer_is_exact_or_an_overflow():
    # c² − r·d = 4, β₋ = 2^31 − 2, X = 2; the only candidate is (1, 2^31 − 1, (2^31 − 1)²)
    try:
        result = pseudo_semistabilizers(1, 2**31, 2**62 - 4)
    except OverflowError as error:
        assert error.args == (OVERFLOW,)
    else:
        assert result == [(1, 2147483647, 4611686014132420609)]
    assert search_model.search(1, 2**31, 2**62 - 4) == ("ok", [(1, 2**31 - 1, (2**31 - 1) ** 2)])


# Rank 0, β₋ = 1/4000, X = 8·10^6: tens of billions of candidates, far beyond any test's patience.
ENDLESS = "varnolt.pseudo_semistabilizers(0, 2000, 1)"


def start_endless_search(body):
    script = "import varnolt\n" + textwrap.dedent(body)
    child = subprocess.Popen([sys.executable, "-c", script], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    seen, deadline = b"", time.monotonic() + 30
    while b"(0, 2000\xe2\x84\x93, 1/2\xe2\x84\x93\xc2\xb2)\n\n" not in seen:
        if time.monotonic() > deadline or child.poll() is not None:
            child.kill()
            pytest.fail(f"no announcement from the search; got {seen!r}")
        if select.select([child.stdout], [], [], 0.1)[0]:
            seen += os.read(child.stdout.fileno(), 4096)
    time.sleep(1)
    assert child.poll() is None, "the search ended on its own; the test needs one that runs on"
    child.send_signal(signal.SIGINT)
    try:
        out, err = child.communicate(timeout=10)
    except subprocess.TimeoutExpired:
        child.kill()
        child.communicate()
        pytest.fail("the search did not stop within 10 s of SIGINT")
    return child.returncode, seen + out, err.decode()


def test_ctrl_c_interrupts_a_long_search_with_keyboard_interrupt():
    code, _, err = start_endless_search(ENDLESS)
    assert code != 0
    assert "KeyboardInterrupt" in err
    assert "Traceback" in err


def test_a_caught_interrupt_leaves_the_module_usable():
    body = f"""
        try:
            {ENDLESS}
        except KeyboardInterrupt:
            print("interrupted", flush=True)
        print(varnolt.pseudo_semistabilizers(2, 1, -4), flush=True)
        try:
            varnolt.pseudo_semistabilizers(3, 2, -1)
        except RuntimeError as error:
            print(error.args, flush=True)
    """
    code, out, err = start_endless_search(body)
    assert (code, err) == (0, "")
    tail = out.decode().split("(0, 2000ℓ, 1/2ℓ²)\n\n", 1)[1]
    assert tail == (
        "interrupted\n"
        + announcement(2, 1, -4)
        + "[(1, 0, 0), (2, 0, -1), (2, 0, 0), (3, -1, 0)]\n"
        + announcement(3, 2, -1)
        + f"{(IRRATIONAL,)!r}\n"
    )
