"""Memory stays flat over many rounds of every success and error path. The rounds
run in a child process with file descriptor 1 sent to /dev/null (the search
announces itself there on every call); per path the child reports the growth of
its resident set (C++ and Python heaps alike) and of the interpreter's count of
allocated memory blocks (one leaked Python object per round adds one block)."""

import json
import subprocess
import sys

import pytest

ROUNDS = 100_000
# An interrupted search lasts a timer period, so that path gets fewer rounds;
# the half-built search state it frees would still add up to megabytes if it
# leaked, and a leaked Python object per round to hundreds of blocks.
INTERRUPT_ROUNDS = 300

PATHS = {  # label: (call, the exception it raises or None)
    "sum_as_string ok": ("S(4294967295, 1)", None),
    "sum_as_string OverflowError": ("S(2**32, 0)", "OverflowError"),
    "sum_as_string renamed TypeError": ("S(0, 1.5)", "TypeError"),
    "bogomolov_form ok, big result": ("B(-2**63, 2**63 - 1, 2**63 - 1)", None),
    "bogomolov_form OverflowError": ("B(0, 2**64, 0)", "OverflowError"),
    "bogomolov_form renamed TypeError with cause": ("B(0, RaisesWithCause(), 0)", "TypeError"),
    "bogomolov_form too many arguments": ("B(1, 2, 3, 4)", "TypeError"),
    "bogomolov_form missing arguments": ("B(1)", "TypeError"),
    "bogomolov_form multiple values": ("B(1, 2, 3, r=1)", "TypeError"),
    "bogomolov_form unexpected keyword": ("B(1, 2, 3, ℓ=1)", "TypeError"),
    "pseudo_semistabilizers ok": ("P(2, 1, -4)", None),
    "pseudo_semistabilizers irrational": ("P(3, 2, -1)", "RuntimeError"),
    "pseudo_semistabilizers negative rank": ("P(-1, 1, 3)", "RuntimeError"),
    "pseudo_semistabilizers OverflowError": ("P(1, 2**32, 0)", "OverflowError"),
    "pseudo_semistabilizers interrupted": ("interrupted_search()", None),
}
CONTROL = {"control: one leaked object per round": ("leaked.append(object())", None)}

CHILD = r"""
import gc, json, os, signal, sys
from varnolt import bogomolov_form as B, pseudo_semistabilizers as P, sum_as_string as S

class RaisesWithCause:
    def __index__(self):
        raise TypeError("no integer here") from KeyError("k")

def on_alarm(signum, frame):
    raise KeyboardInterrupt

def interrupted_search():
    try:
        signal.setitimer(signal.ITIMER_REAL, 0.002)
        P(0, 2000, 1)  # would run for hours
    except KeyboardInterrupt:
        return
    finally:
        signal.setitimer(signal.ITIMER_REAL, 0)
    raise AssertionError("the search was not interrupted")

def run(call, error, rounds):
    for _ in range(rounds):
        try:
            call()
        except Exception as raised:
            if type(raised) is not error:
                raise

def resident():
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")

signal.signal(signal.SIGALRM, on_alarm)
leaked, report = [], {}
paths, rounds, interrupt_rounds = json.loads(sys.argv[1])
saved, devnull = os.dup(1), os.open(os.devnull, os.O_WRONLY)
os.dup2(devnull, 1)
for label, (call, error) in paths.items():
    call, error = eval("lambda: " + call), error and eval(error)
    n = interrupt_rounds if "interrupted" in label else rounds
    run(call, error, n // 10)  # warm-up: caches, free lists, arenas
    gc.collect()
    before = resident(), sys.getallocatedblocks()
    run(call, error, n)
    gc.collect()
    report[label] = [n, resident() - before[0], sys.getallocatedblocks() - before[1]]
os.dup2(saved, 1)
print(json.dumps(report))
"""


@pytest.fixture(scope="module")
def growth():
    arguments = json.dumps([PATHS | CONTROL, ROUNDS, INTERRUPT_ROUNDS])
    child = subprocess.run([sys.executable, "-c", CHILD, arguments], capture_output=True, text=True, timeout=300)
    assert child.returncode == 0, child.stderr[-3000:]
    return json.loads(child.stdout)


MB = 1 << 20


@pytest.mark.parametrize("path", PATHS)
def test_memory_stays_flat(growth, path):
    rounds, resident, blocks = growth[path]
    assert rounds == (INTERRUPT_ROUNDS if "interrupted" in path else ROUNDS)
    assert resident < 2 * MB and blocks < rounds // 10, (resident, blocks)


def test_the_measurement_sees_one_small_leaked_object_per_round(growth):
    rounds, resident, blocks = growth["control: one leaked object per round"]
    assert resident >= 2 * MB and blocks >= rounds, (resident, blocks)
