"""Every call ends with a value or a Python exception, whatever the process's
circumstances: searches too large for the memory left are refused with a
MemoryError that gives the numbers, exhausted memory never aborts the process,
a blocked announcement gives way to Ctrl-C, and Python code that runs while the
result is built never sees it half-made. Each probe runs in a child process,
under its own memory limit where it could exhaust memory."""

import json
import os
import re
import resource
import signal
import subprocess
import sys
import time

import pytest

from conftest import wait_until_blocked_writing_a_pipe

GB = 10**9
# The sanitizer stage preloads AddressSanitizer, whose shadow memory alone
# takes terabytes of address space: no address-space limit can apply there.
UNDER_ASAN = "libasan" in os.environ.get("LD_PRELOAD", "")
needs_address_space_limit = pytest.mark.skipif(UNDER_ASAN, reason="AddressSanitizer needs the address space")
REFUSAL = re.compile(
    r"the search stopped after finding (\d+) candidates: a list of them needs (\d+) bytes of memory,"
    r" but this process can use only (\d+) more bytes")


def run_child(script, *args, limit_kib=None, timeout=120):
    """Runs script in a fresh interpreter (fd 1 to /dev/null); returns its JSON report from stderr."""
    def set_limit():
        if limit_kib is not None:
            resource.setrlimit(resource.RLIMIT_AS, (limit_kib * 1024,) * 2)

    with open(os.devnull, "wb") as devnull:
        done = subprocess.run([sys.executable, "-c", script, *map(str, args)], stdout=devnull,
                              stderr=subprocess.PIPE, text=True, timeout=timeout, preexec_fn=set_limit)
    assert done.returncode == 0, done.stderr[-3000:]
    return json.loads(done.stderr.strip().splitlines()[-1])


def check_refusal(message):
    """The message's numbers: candidates found, bytes needed, bytes available."""
    match = REFUSAL.fullmatch(message)
    assert match, message
    found, needed, available = map(int, match.groups())
    assert found > 0 and needed > available
    return found, needed, available


REFUSED_THEN_CORRECT = """
import json, sys, varnolt
v = json.loads(sys.argv[1])
try:
    varnolt.pseudo_semistabilizers(*v)
    outcome = None
except MemoryError as error:
    outcome = str(error)
small = varnolt.pseudo_semistabilizers(2, 1, -4)
dense = varnolt.pseudo_semistabilizers(1, 0, -10000)
print(json.dumps({"outcome": outcome, "small": small, "dense": [len(dense), hash(tuple(dense))]}), file=sys.stderr)
"""


@pytest.fixture(scope="module")
def dense_reference():
    from varnolt import pseudo_semistabilizers
    result = pseudo_semistabilizers(1, 0, -10000)
    return [len(result), hash(tuple(result))]


@needs_address_space_limit
@pytest.mark.parametrize("v", [(1, 2**31, 0), (1, 1000, 0), (1, 0, -4000000), (0, 400, 1)])
def test_search_too_large_for_the_limit_is_refused_and_the_process_goes_on(v, dense_reference):
    report = run_child(REFUSED_THEN_CORRECT, json.dumps(v), limit_kib=4_000_000)
    assert report["outcome"] is not None, "the search was not refused"
    found, needed, available = check_refusal(report["outcome"])
    assert available < 4_000_000 * 1024
    assert report["small"] == [[1, 0, 0], [2, 0, -1], [2, 0, 0], [3, -1, 0]]
    assert report["dense"] == dense_reference


WATCHED = """
import json, resource, sys, varnolt
try:
    varnolt.pseudo_semistabilizers(1, 1000, 0)
    outcome = None
except MemoryError as error:
    outcome = str(error)
peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss * 1024
print(json.dumps({"outcome": outcome, "peak": peak}), file=sys.stderr)
"""


def test_without_a_limit_the_search_is_refused_before_it_holds_8_gb():
    # No limit on the child: the budget must come from the system's available
    # memory. A watchdog ends the child should it ever pass 8 GB.
    child = subprocess.Popen([sys.executable, "-c", WATCHED], stdout=subprocess.DEVNULL,
                             stderr=subprocess.PIPE, text=True)
    largest = 0
    try:
        while child.poll() is None:
            try:
                with open(f"/proc/{child.pid}/statm") as statm:
                    largest = max(largest, int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE"))
            except (FileNotFoundError, ProcessLookupError):
                break
            if largest >= 8 * GB:
                child.kill()
                break
            time.sleep(0.02)
        _, stderr = child.communicate(timeout=120)
    finally:
        if child.poll() is None:
            child.kill()
    assert largest < 8 * GB and child.returncode == 0, stderr[-3000:]
    report = json.loads(stderr.strip().splitlines()[-1])
    assert report["outcome"] is not None and report["peak"] < 8 * GB
    check_refusal(report["outcome"])


ADDRESS_SPACE_600_MB = """
import json, resource, sys
resource.setrlimit(resource.RLIMIT_AS, (600_000_000,) * 2)
import varnolt
try:
    varnolt.pseudo_semistabilizers(1, 300, 0)
    outcome = None
except MemoryError as error:
    outcome = str(error)
print(json.dumps({"outcome": outcome}), file=sys.stderr)
"""


@needs_address_space_limit
def test_fresh_processes_under_a_600_mb_address_space_raise_memory_error():
    # The runtime's per-thread exception data used to be allocated at the first
    # throw, when memory had run out, and the process aborted.
    for _ in range(20):
        report = run_child(ADDRESS_SPACE_600_MB)
        assert report["outcome"] is not None
        check_refusal(report["outcome"])


FULL_PIPE = """
import json, os, sys, varnolt
read_end, write_end = os.pipe()
os.dup2(write_end, 1)
os.set_blocking(1, False)
try:
    while True:
        os.write(1, b"x" * 65536)
except BlockingIOError:
    pass
os.set_blocking(1, True)
sys.stderr.write("ready\\n")
sys.stderr.flush()
try:
    varnolt.pseudo_semistabilizers(2, 1, -4)
    outcome = "returned"
except BaseException as error:
    outcome = type(error).__name__
print(json.dumps({"outcome": outcome}), file=sys.stderr)
"""


def test_ctrl_c_ends_an_announcement_blocked_on_a_full_pipe():
    child = subprocess.Popen([sys.executable, "-c", FULL_PIPE], stderr=subprocess.PIPE, text=True)
    try:
        assert child.stderr.readline() == "ready\n"
        # The signal only once the call is seen blocked in its write: the
        # interruption is then the signal's, whatever the machine's load.
        wait_until_blocked_writing_a_pipe(child.pid)
        child.send_signal(signal.SIGINT)
        _, stderr = child.communicate(timeout=60)
    finally:
        if child.poll() is None:
            child.kill()
    assert child.returncode == 0, stderr
    report = json.loads(stderr.strip().splitlines()[-1])
    assert report["outcome"] == "KeyboardInterrupt"


GC_WALKER = """
import gc, itertools, json, operator, signal, sys, varnolt
seen = {"walks": 0, "items": 0}

def walk(signum, frame):
    # Every list the garbage collector knows of, read item by item; then the
    # next walk a little later (one at a time: a walk of millions of objects
    # takes a while).
    objects = gc.get_objects()
    lists = itertools.compress(objects, map(operator.is_, map(type, objects), itertools.repeat(list)))
    for found in lists:
        if found is not objects:
            seen["items"] += sum(1 for _ in found)
    seen["walks"] += 1
    signal.setitimer(signal.ITIMER_REAL, 0.25)

signal.signal(signal.SIGALRM, walk)
signal.setitimer(signal.ITIMER_REAL, 0.05)
result = varnolt.pseudo_semistabilizers(1, 0, -40000)
signal.signal(signal.SIGALRM, signal.SIG_IGN)
walked = [len(result), hash(tuple(result))]
del result
again = varnolt.pseudo_semistabilizers(1, 0, -40000)
print(json.dumps({"walked": walked, "again": [len(again), hash(tuple(again))], "walks": seen["walks"]}),
      file=sys.stderr)
"""


def test_a_signal_handler_walking_the_gc_never_sees_a_half_built_result():
    # A guard against a hang only: two copies of the suite on two busy cores took over 300 s.
    report = run_child(GC_WALKER, limit_kib=None if UNDER_ASAN else 8_000_000, timeout=1800)
    assert report["walks"] > 0
    assert report["walked"] == report["again"] and report["walked"][0] == 8057113


# Two searches side by side that each fit alone in the address space left but
# not together: a thread holds the memory of walls(1, 0, -40000) (8057113
# candidates at 72 bytes) in its first report of the grouping, while the main
# thread asks for candidates(1, 0, -40000) (at 88 bytes).
SEARCHES_SIDE_BY_SIDE = """
import json, resource, sys, threading, varnolt_walls
vm_size = int(open("/proc/self/status").read().split("VmSize:")[1].split()[0]) * 1024
resource.setrlimit(resource.RLIMIT_AS, (vm_size + 1_400_000_000,) * 2)
grouping, searched = threading.Event(), threading.Event()
def hold(step, steps):
    if steps > 10**6:  # the grouping's steps, two per candidate
        grouping.set()
        searched.wait()
        raise LookupError("held long enough")
def walls():
    try:
        varnolt_walls.walls(1, 0, -40000, progress=hold)
    except LookupError:
        pass
    finally:
        grouping.set()
holder = threading.Thread(target=walls)
holder.start()
grouping.wait()
try:
    outcome = len(varnolt_walls.candidates(1, 0, -40000))
except MemoryError as error:
    outcome = str(error)
searched.set()
holder.join()
print(json.dumps({"outcome": outcome, "alone": len(varnolt_walls.candidates(1, 0, -40000))}), file=sys.stderr)
"""
SHARED_REFUSAL = re.compile(
    r"the search stopped after finding \d+ candidates: holding them needs \d+ bytes of memory, but besides"
    r" the \d+ bytes promised to other searches under way, this process can use only \d+ more bytes")


@needs_address_space_limit
def test_searches_side_by_side_share_the_memory_left():
    report = run_child(SEARCHES_SIDE_BY_SIDE, timeout=600)
    assert SHARED_REFUSAL.fullmatch(str(report["outcome"])) and report["alone"] == 8057113, report


# Each ends in a MemoryError with its figures: a grouping refused before its
# rows are copied, and Python objects that run out of memory while they are made
# (a MemoryError without a message, given one at the boundary).
UNDER_A_LIMIT = """
import fractions, json, resource, sys
import numpy as np
from varnolt_walls import _native
def left(bytes):  # lets the process map only `bytes` more
    vm_size = int(open("/proc/self/status").read().split("VmSize:")[1].split()[0]) * 1024
    resource.setrlimit(resource.RLIMIT_AS, (vm_size + bytes,) * 2)
try:
    %s
    outcome = None
except MemoryError as error:
    outcome = str(error)
print(json.dumps({"outcome": outcome}), file=sys.stderr)
"""
GROUPING = "rows = bytes(24 * 20_000_000); left(10**9); _native.group(1, 0, -4, rows)"
WALL_OBJECTS = ("n = 4_000_000; rows = np.tile(np.array([1, -1, 1], dtype=np.int64), n); "
                "columns = (rows.tobytes(), np.arange(n + 1).tobytes(), np.array([1, 0, -4]).tobytes()); "
                "left(5 * 10**8); _native.wall_columns(columns, fractions.Fraction)")


@needs_address_space_limit
@pytest.mark.parametrize("call, message", [
    (GROUPING, r"the search stopped after finding 20000000 candidates: holding them needs 1440000000 bytes"
               r" of memory, but this process can use only \d+ more bytes"),
    (WALL_OBJECTS, r"out of memory: this process can use only \d+ more bytes"),
], ids=["grouping refused", "objects"])
def test_memory_errors_of_the_companion_give_their_figures(call, message):
    outcome = run_child(UNDER_A_LIMIT % call)["outcome"]
    assert outcome is not None and re.fullmatch(message, outcome), outcome
