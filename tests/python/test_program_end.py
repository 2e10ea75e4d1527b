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

# SLEEPS_NOT_LOCKS: the main thread waits in sleeps, not on a lock for ever.
# CPython loses a SIGINT that arrives while a thread is on its way to sleep on
# a lock (after its last check for signals, while it hands the interpreter
# lock to another thread): the handler runs, but the waiting thread is not
# woken, and sees the signal only when its wait ends, so Event().wait() and
# Thread.join() without a timeout may then never end. The test sends SIGINT
# as soon as the script is searching, right when the main thread goes to
# wait; pure Python threads lose it there as well (3 to 9 runs in 60 here).
#
# Four threads that each search for hours; "searching" once every search has
# reported progress, so all four are under way.
SEARCHING_THREADS = """
import signal, sys, threading, time, varnolt_walls
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
while not daemon:  # wait for ever, in short sleeps (see SLEEPS_NOT_LOCKS)
    time.sleep(0.2)
"""
# Daemon threads making walls (three) and Wall objects (one) when the script ends.
DAEMON_WALLS = """
import itertools, threading, varnolt_walls
W, calls, made = varnolt_walls.walls(1, 0, -400), itertools.count(), threading.Event()
def loop(call):
    while True:
        call()
        if next(calls) == 30:
            made.set()
for call in [lambda: varnolt_walls.walls(1, 0, -3600)] * 3 + [lambda: W[:]]:
    threading.Thread(target=loop, args=(call,), daemon=True).start()
made.wait()
print("searching", flush=True)
"""
# The script ends with the sweep's hours-long searches given to its pool.
ABANDONED_SWEEP = """
import signal, varnolt_walls
signal.signal(signal.SIGINT, signal.default_int_handler)
results = varnolt_walls.sweep([(1, 0, -4), (0, 2000, 1), (0, 2000, 1)], jobs=2, progress=False)
next(results)
print("searching", flush=True)
"""
# The same, with SIGINT raised at the n-th Python event of the main thread
# from the script's end on (n > 0), or (n = 0) by a pool thread that, told to
# stop, stays for ever in the middle of marking its future done with the
# future's lock held, as one that the interpreter ends there does. (The hook
# has globals of its own: frames of that thread would keep the sweep alive.)
SWEEP_INTERRUPTED_AT = ABANDONED_SWEEP + """exec('''
import os, signal, sys, threading
at, events = int(sys.argv[1]), 0
def interrupt(frame, event, arg):
    global events
    events += 1
    if events == at or (at == 0 and event == "line" and frame.f_code.co_name == "set_exception"
                        and frame.f_locals["self"]._condition._is_owned()):
        os.kill(os.getpid(), signal.SIGINT)
        while at == 0:
            threading.Event().wait()
    return interrupt
(sys.settrace if at > 0 else threading.settrace_all_threads)(interrupt)
''', {})
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


@pytest.mark.parametrize("script, argument, interrupts, statuses, runs", [
    (SEARCHING_THREADS, "daemon", 0, {0}, 20),                  # the interpreter ends them at exit
    (DAEMON_WALLS, "", 0, {0}, 20),
    (SEARCHING_THREADS, "plain", 1, {KILLED_BY_SIGINT}, 5),      # Ctrl-C ends the main thread, then them
    (SEARCHING_THREADS, "plain", 2, {KILLED_BY_SIGINT}, 5),
    (ABANDONED_SWEEP, "", 0, {0}, 5),                           # its searches stop at exit
    (ABANDONED_SWEEP, "", 1, {0, KILLED_BY_SIGINT}, 5),         # at the end of the script or in the exit
], ids=["daemon threads at exit", "daemon threads making walls", "Ctrl-C", "Ctrl-C twice", "unfinished sweep", "unfinished sweep, Ctrl-C"])
@pytest.mark.skipif(UNDER_ASAN, reason="AddressSanitizer's sigaltstack interceptor trips on pthread_exit")
def test_searching_threads_end_with_the_program(script, argument, interrupts, statuses, runs):
    with ThreadPoolExecutor(2) as pool:
        ends = list(pool.map(lambda _: run_until_end(script, argument, interrupts), range(runs)))
    assert [status for status, _ in ends if status not in statuses] == [], ends[0][1][-2000:]
    assert not any("terminate called" in stderr for _, stderr in ends)


@pytest.mark.skipif(UNDER_ASAN, reason="AddressSanitizer's sigaltstack interceptor trips on pthread_exit")
def test_ctrl_c_at_each_point_of_the_exit_of_an_unfinished_sweep():
    with ThreadPoolExecutor(2) as pool:
        ends = list(pool.map(lambda at: run_until_end(SWEEP_INTERRUPTED_AT, str(at), 0), range(0, 320, 16)))
    assert [status for status, _ in ends if status not in {0, KILLED_BY_SIGINT}] == [], ends[0][1][-2000:]
