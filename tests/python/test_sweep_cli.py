"""varnolt-walls sweep FILE|-, run as a user would: JSON Lines equal to the one-by-one
results, exit statuses, bad lines, Ctrl-C; and the progress bar of one long search."""

import fcntl
import json
import os
import pty
import signal
import struct
import subprocess
import sys
import termios
import time
from pathlib import Path

import pytest

import varnolt_walls
from conftest import json_document, walls_json

CLI = [str(Path(sys.executable).parent / "varnolt-walls")]
INPUT = "# ideal sheaves\n1 0 -4\n\n1 0 -16   # eight points\n  3 2 -1\n0 3 4\n"
VS = [(1, 0, -4), (1, 0, -16), (3, 2, -1), (0, 3, 4)]


def expected_line(what, v, max_rank):
    try:
        result = getattr(varnolt_walls, what)(*v, max_rank=max_rank)
    except Exception as error:
        if isinstance(error, varnolt_walls.IrrationalBetaError):  # in the command line's words
            error = varnolt_walls.IrrationalBetaError(v, "--max-rank N")
        return json_document(v, max_rank, "error", {"type": type(error).__name__, "message": str(error)})
    if what == "walls":
        result = walls_json(result)
    elif what == "candidates":
        result = result.tolist()
    return json_document(v, max_rank, what, result)


def sweep_cli(arguments, stdin=INPUT, **options):
    return subprocess.run(CLI + ["sweep", *arguments], input=stdin, capture_output=True, text=True,
                          timeout=120, **options)


@pytest.mark.parametrize("what, max_rank, status", [
    ("count", None, 1),        # (3, 2, -1) fails without a rank bound: status 1, the rest done
    ("count", 5, 0),
    ("walls", 5, 0),
    ("candidates", None, 1),
])
def test_json_lines_equal_the_one_by_one_results(what, max_rank, status):
    arguments = ["-", "--what", what, "--jobs", "2"] + ([] if max_rank is None else ["--max-rank", str(max_rank)])
    run = sweep_cli(arguments)
    assert (run.returncode, run.stderr) == (status, "")
    assert [json.loads(line) for line in run.stdout.splitlines()] == [expected_line(what, v, max_rank) for v in VS]


def test_reads_a_file(tmp_path):
    (tmp_path / "vs.txt").write_text(INPUT)
    run = sweep_cli([str(tmp_path / "vs.txt"), "--max-rank", "1"], stdin="")
    assert run.returncode == 0
    assert [json.loads(line)["count"] for line in run.stdout.splitlines()] == [
        varnolt_walls.count(*v, max_rank=1) for v in VS]


@pytest.mark.parametrize("stdin, arguments, message", [
    ("1 0 -4\n1 0\n", ["-"], "<stdin>, line 2: expected 'R C D', signed 64-bit integers"),
    ("# header\n1 0 x\n", ["-"], "line 2"),
    (f"1 0 {2**63}\n", ["-"], "line 1"),
    ("1 0 -4 7\n", ["-"], "line 1"),
    ("", ["no-such-file.txt"], "cannot read no-such-file.txt"),
    ("", ["-", "--jobs", "0"], "not a positive integer"),
    ("", ["-", "--what", "rows"], "invalid choice"),
    ("", ["-", "--max-rank", "-1"], "argument --max-rank: max_rank must be >= 0"),
    ("", [], "required: FILE"),
])
def test_bad_input_is_one_line_on_stderr_and_status_2_before_any_work(tmp_path, stdin, arguments, message):
    run = sweep_cli(arguments, stdin=stdin, cwd=tmp_path)
    assert (run.returncode, run.stdout) == (2, "")
    assert message in run.stderr and len(run.stderr.splitlines()) == 1


def processes_in_session(session):
    found = []
    for stat in Path("/proc").glob("[0-9]*/stat"):
        try:
            fields = stat.read_text().rsplit(")", 1)[1].split()
        except OSError:
            continue
        if int(fields[3]) == session:  # the session id: the 6th field of stat
            found.append(stat.parent.name)
    return found


def test_ctrl_c_exits_130_quietly_and_leaves_no_process():
    # Its own session, so that every process it starts can be found afterwards.
    child = subprocess.Popen(CLI + ["sweep", "-", "--jobs", "2"], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, start_new_session=True)
    child.stdin.write(b"1 0 -4\n0 2000 1\n0 2000 1\n")  # two hours-long searches
    child.stdin.close()
    child.stdin = None  # so that communicate() leaves it be
    assert json.loads(child.stdout.readline())["count"] == 1
    time.sleep(0.5)  # into the long searches
    os.killpg(child.pid, signal.SIGINT)  # as Ctrl-C at a terminal: to the whole process group
    # How soon it stops is the sweep's own test's; here only that it does, quietly.
    out, err = child.communicate(timeout=60)
    assert (child.returncode, out, err) == (130, b"", b"")
    for _ in range(50):  # the pool's helpers end as soon as they see their parent gone
        if not processes_in_session(child.pid):
            break
        time.sleep(0.1)
    assert processes_in_session(child.pid) == []


@pytest.mark.parametrize("terminal", [True, False])
def test_a_long_search_shows_a_progress_bar_only_on_a_terminal(terminal):
    pytest.importorskip("tqdm")
    reader, writer = pty.openpty() if terminal else os.pipe()
    if terminal:  # a terminal of 24 × 80, as a real one has a size
        fcntl.ioctl(writer, termios.TIOCSWINSZ, struct.pack("HHHH", 24, 80, 0, 0))
    child = subprocess.Popen(CLI + ["0", "2000", "1", "--count"], stdout=subprocess.PIPE, stderr=writer)
    os.close(writer)
    os.set_blocking(reader, False)
    err = b""
    deadline = time.monotonic() + (20 if terminal else 2.5)  # the bar comes after a second
    while time.monotonic() < deadline and b"%|" not in err:
        time.sleep(0.1)
        err += read_some(reader)
    child.send_signal(signal.SIGINT)
    out, _ = child.communicate(timeout=30)
    os.close(reader)
    assert (child.returncode, out) == (130, b"")
    # tqdm's bar, e.g. "varnolt-walls:   0%|          | 28/3999999 [00:01<...]"
    assert (b"%|" in err) == terminal


def read_some(fd):
    try:
        return os.read(fd, 4096)
    except BlockingIOError:
        return b""
