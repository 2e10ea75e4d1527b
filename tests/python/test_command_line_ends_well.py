"""The command line where its surroundings fail: closed or full streams, a reader that goes
away, Ctrl-C on a full pipe, long bad input, large output; and the progress bar on a terminal."""

import fcntl
import json
import os
import pty
import re
import resource
import signal
import subprocess
import struct
import sys
import termios
from pathlib import Path

import pytest

from conftest import wait_until_blocked_writing_a_pipe

CLI = [str(Path(sys.executable).parent / "varnolt-walls")]


def close_fd(fd):
    return lambda: os.close(fd)


def limit_memory(size):
    return lambda: resource.setrlimit(resource.RLIMIT_AS, (size, size))


STREAMS = [  # (arguments, how the child's streams are set up, status, stderr has)
    ("1 0 -4", {"preexec_fn": close_fd(1)}, 1, "cannot write to standard output: it is closed"),
    ("sweep - --what walls", {"preexec_fn": close_fd(1), "stdin": subprocess.DEVNULL}, 1,
     "cannot write to standard output"),
    ("sweep -", {"preexec_fn": close_fd(0)}, 2, "cannot read <stdin>: standard input is closed"),
    ("1 0 -16", {"stdout": "/dev/full"}, 1, "cannot write to standard output: No space left on device"),
    ("1 0 -2 --above=-1.4142135623730951,5e-324", {}, 1, "; pass --max-rank or a point farther from β₋"),
    ("1 0 -10000 --candidates --format json", {"stdout": "/dev/full"}, 1, "No space left on device"),
    ("sweep -", {"stdout": "/dev/full", "input": b"1 0 -4\n"}, 1, "No space left on device"),
    # AddressSanitizer cannot start under an address-space limit: that row runs unsanitized only.
    pytest.param("1 0 -160000 --candidates --above=-150,1", {"preexec_fn": limit_memory(600_000 * 1024)}, 1,
                 "varnolt-walls: error:", marks=pytest.mark.skipif("libasan" in os.environ.get("LD_PRELOAD", ""),
                                                                 reason="AddressSanitizer needs the address space")),
]


@pytest.mark.parametrize("arguments, streams, status, message", STREAMS)
def test_a_closed_or_full_stream_ends_with_one_line(arguments, streams, status, message):
    streams = dict(streams)
    if streams.get("stdout") == "/dev/full":
        streams["stdout"] = open("/dev/full", "wb")
    run = subprocess.run(CLI + arguments.split(), stderr=subprocess.PIPE, text=False, timeout=120,
                         **({"stdout": subprocess.DEVNULL} | streams))
    err = run.stderr.decode()
    assert (run.returncode, len(err.splitlines())) == (status, 1), err
    assert message in err and "Traceback" not in err
    assert err.split("error: ", 1)[1].strip()  # never an empty message


@pytest.mark.parametrize("arguments, stdin", [
    ("1 0 -10000 --candidates", None),
    ("1 0 -10000 --candidates --format json", None),
    ("1 0 -10000 --format csv", None),
    ("sweep - --what candidates", b"1 0 -400\n" * 200),
])
def test_a_reader_that_goes_away_ends_it_quietly_with_141(arguments, stdin):
    child = subprocess.Popen(CLI + arguments.split(), stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE)
    if stdin is not None:
        child.stdin.write(stdin)
    child.stdin.close()
    child.stdout.read(100)
    child.stdout.close()  # as `| head -c 100` does
    assert (child.wait(timeout=120), child.stderr.read()) == (141, b"")


def test_ctrl_c_while_a_full_pipe_holds_a_line_back_ends_on_a_whole_line():
    reader, writer = os.pipe()
    fcntl.fcntl(writer, fcntl.F_SETPIPE_SZ, 4096)  # smaller than one line of candidates of (1, 0, -400)
    child = subprocess.Popen(CLI + ["sweep", "-", "--what", "candidates"], stdin=subprocess.PIPE, stdout=writer,
                             stderr=subprocess.PIPE)
    os.close(writer)
    child.stdin.write(b"1 0 -400\n" * 3)
    child.stdin.close()
    wait_until_blocked_writing_a_pipe(child.pid)
    child.send_signal(signal.SIGINT)
    with os.fdopen(reader, "rb") as out:
        lines = out.read().decode().split("\n")
    assert (child.wait(timeout=60), child.stderr.read()) == (130, b"")
    assert lines[-1] == "" and len(lines) >= 2
    assert all(len(json.loads(line)["candidates"]) == 4872 for line in lines[:-1])


# The program run as its console script runs, with an import hook that sends it SIGINT when it first
# imports the module argv[1]: a Ctrl-C at that stage of its start-up, without timing; with "__del__"
# the signal comes inside a finalizer, where Python prints and drops any exception its handler raises.
INTERRUPTED_WHILE_IMPORTING = """import os, runpy, signal, sys
module, where = sys.argv[1:3]
class Finalized:
    def __del__(self):
        os.kill(os.getpid(), signal.SIGINT)
class Interrupt:
    def find_spec(self, name, path=None, target=None):
        if name == module:
            sys.meta_path.remove(self)
            Finalized() if where == "__del__" else os.kill(os.getpid(), signal.SIGINT)
sys.meta_path.insert(0, Interrupt())
sys.argv = sys.argv[3:]
runpy.run_path(sys.argv[0], run_name="__main__")"""


@pytest.mark.parametrize("where", ["import", "__del__"])
@pytest.mark.parametrize("module", ["numpy", "varnolt_walls", "varnolt_walls.search", "varnolt_walls.pictures",
                                    "varnolt_walls.cli", "varnolt_walls.cli._sweep"])
def test_ctrl_c_during_start_up_ends_with_130_and_nothing_on_stderr(module, where):
    run = subprocess.run([sys.executable, "-c", INTERRUPTED_WHILE_IMPORTING, module, where, *CLI, "1", "0", "-4"],
                         capture_output=True, timeout=120)
    assert (run.returncode, run.stderr, run.stdout) == (130, b"", b"")


def peak_memory(arguments):
    """The largest resident set, in bytes, of the command line run with these arguments."""
    child = subprocess.Popen(CLI + arguments.split(), stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    child.returncode = os.waitstatus_to_exitcode(status)
    assert child.returncode == 0
    return usage.ru_maxrss * 1024


@pytest.mark.skipif(resource.getpagesize() == 0, reason="no resource usage")
def test_json_output_memory_does_not_grow_with_the_result():
    # 889 694 candidates: 21 MB as an array, some 120 MB more as Python lists of ints.
    searched = peak_memory("1 0 -10000 --candidates --format csv")
    written = peak_memory("1 0 -10000 --candidates --format json")
    assert written < searched + 20 * 10**6


def test_the_progress_bar_is_cleared_before_the_result_on_a_terminal():
    pytest.importorskip("tqdm")
    leader, follower = pty.openpty()  # stdout and stderr on one terminal of 24 × 80, as in a shell
    fcntl.ioctl(follower, termios.TIOCSWINSZ, struct.pack("HHHH", 24, 80, 0, 0))
    child = subprocess.Popen(CLI + ["1", "0", "-2", "--max-rank", "1500000", "--count"], stdout=follower,
                             stderr=follower)
    os.close(follower)
    screen = b""
    while chunk := read_terminal(leader):
        screen += chunk
    assert child.wait(timeout=120) == 0
    os.close(leader)
    # The result ends the screen and starts its line: the bar, if drawn, was cleared before it.
    result = re.fullmatch(r"(.*?)(\d+)\r\n", screen.decode(), re.DOTALL)
    assert result and (result[1] == "" or result[1].endswith(("\r", "\n"))), screen


def read_terminal(fd):
    try:
        return os.read(fd, 4096)
    except OSError:  # EIO: the child closed the terminal
        return b""


@pytest.mark.parametrize("arguments, stdin, shown", [
    ("sweep -", b"1 0 -4\n1 0 " + b"7" * 5_000_000 + b"\n", "line 2"),
    ("sweep -", b"1 0 x" + b"#" * 10 + b"y" * 5_000_000 + b"\n", "line 1"),
    ("1 0 " + "9" * 100_000, b"", "argument D"),
    ("1 0 x" + "y" * 100_000, b"", "argument D"),
    ("sweep - --jobs " + "z" * 100_000, b"", "argument --jobs"),
])
def test_long_bad_input_is_cut_in_the_message(arguments, stdin, shown):
    run = subprocess.run(CLI + arguments.split(), input=stdin, capture_output=True, timeout=120)
    assert (run.returncode, run.stdout) == (2, b"")
    assert shown in run.stderr.decode() and len(run.stderr) < 400
