"""Searches still running in other threads when the program ends: at the end of
the script (daemon threads), on Ctrl-C once or twice (plain threads), and in a
sweep left unfinished. Each case runs in several fresh processes (20 for the
end of the script, which aborted every time), which must all end as Python
programs do: never abort, never outlive the Ctrl-C."""

import os
import signal
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor

import pytest

# Four threads that each search for hours; "searching" once every search has
# reported progress, so all four are under way.
SEARCHING_THREADS = """
import signal, sys, threading, varnolt_walls
signal.signal(signal.SIGINT, signal.default_int_handler)  # even if this test runs with SIGINT ignored
daemon = sys.argv[1] == "daemon"
under_way = threading.Barrier(5)
def search():
    reported = []
    def progress(done, total):
        if not reported:
            reported.append(True)
            under_way.wait()
    varnolt_walls.count(1, 0, -4 * 1500 * 1500, progress=progress)
threads = [threading.Thread(target=search, daemon=daemon) for _ in range(4)]
for thread in threads:
    thread.start()
under_way.wait()
print("searching", flush=True)
if not daemon:  # wait for ever (Thread.join of CPython 3.13.0 may miss a SIGINT)
    threading.Event().wait()
"""
# The script ends with the sweep's hours-long searches given to its pool.
ABANDONED_SWEEP = """
import signal, varnolt_walls
signal.signal(signal.SIGINT, signal.default_int_handler)
results = varnolt_walls.sweep([(1, 0, -4), (0, 2000, 1), (0, 2000, 1)], jobs=2, progress=False)
next(results)
print("searching", flush=True)
"""
KILLED_BY_SIGINT = -signal.SIGINT
# Under the sanitizer stage (AddressSanitizer preloaded), a thread that the
# interpreter ends with pthread_exit at exit draws a stack-buffer-overflow
# report from the sanitizer's own sigaltstack interceptor, not from our code;
# these programs are checked without it.
UNDER_ASAN = "libasan" in os.environ.get("LD_PRELOAD", "")


def run_until_end(script, argument, interrupts):
    """Runs script once: sends `interrupts` SIGINTs once it is searching; its exit status and stderr."""
    child = subprocess.Popen([sys.executable, "-c", script, argument], stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, text=True)
    try:
        assert child.stdout.readline() == "searching\n"
        for _ in range(interrupts):
            os.kill(child.pid, signal.SIGINT)  # not yet reaped: the pid is still the child's
        _, stderr = child.communicate(timeout=120)
    finally:
        if child.poll() is None:
            child.kill()
    return child.returncode, stderr


# Known fault, not yet mended: now and then (once in a CI run on 3.13) a
# searching plain thread misses the end of the program after Ctrl-C and the
# process outlives it. These rows still run and report; they do not fail the
# suite until that is fixed.
MISSES_THE_END_NOW_AND_THEN = pytest.mark.xfail(
    strict=False, raises=subprocess.TimeoutExpired,
    reason="a searching thread sometimes misses the end of the program after Ctrl-C")


@pytest.mark.parametrize("script, argument, interrupts, statuses, runs", [
    (SEARCHING_THREADS, "daemon", 0, {0}, 20),                  # the interpreter ends them at exit
    pytest.param(SEARCHING_THREADS, "plain", 1, {KILLED_BY_SIGINT}, 5,   # Ctrl-C ends the main thread, then them
                 marks=MISSES_THE_END_NOW_AND_THEN),
    pytest.param(SEARCHING_THREADS, "plain", 2, {KILLED_BY_SIGINT}, 5, marks=MISSES_THE_END_NOW_AND_THEN),
    (ABANDONED_SWEEP, "", 0, {0}, 5),                           # its searches stop at exit
    (ABANDONED_SWEEP, "", 1, {0, KILLED_BY_SIGINT}, 5),         # at the end of the script or in the exit
], ids=["daemon threads at exit", "Ctrl-C", "Ctrl-C twice", "unfinished sweep", "unfinished sweep, Ctrl-C"])
@pytest.mark.skipif(UNDER_ASAN, reason="AddressSanitizer's sigaltstack interceptor trips on pthread_exit")
def test_searching_threads_end_with_the_program(script, argument, interrupts, statuses, runs):
    with ThreadPoolExecutor(2) as pool:
        ends = list(pool.map(lambda _: run_until_end(script, argument, interrupts), range(runs)))
    assert [status for status, _ in ends if status not in statuses] == [], ends[0][1][-2000:]
    assert not any("terminate called" in stderr for _, stderr in ends)
