"""The announcement of pseudo_semistabilizers on file descriptor 1, and PanicException."""

import errno
import io
import json
import os
import subprocess
import sys

import pytest

import conftest
from conftest import I64_MAX, I64_MIN
from varnolt import pseudo_semistabilizers


def call_ignoring_outcome(*args, **kwargs):
    """Only what is printed before the search is under test here, not the search's outcome."""
    try:
        pseudo_semistabilizers(*args, **kwargs)
    except Exception:
        pass


def announcement(text):
    return conftest.announcement(text).encode("utf-8")


@pytest.mark.parametrize(
    "r, c, d, text",
    [
        (3, 2, -1, "(3, 2ℓ, -1/2ℓ²)"),
        (0, 0, 0, "(0, 0ℓ, 0ℓ²)"),
        (1, -1, 1, "(1, -1ℓ, 1/2ℓ²)"),
        (-2, 5, 8, "(-2, 5ℓ, 4ℓ²)"),
        (I64_MIN, 0, -6, "(-9223372036854775808, 0ℓ, -3ℓ²)"),
        (3, I64_MIN, 1, "(3, -9223372036854775808ℓ, 1/2ℓ²)"),
        (1, 0, I64_MAX, "(1, 0ℓ, 9223372036854775807/2ℓ²)"),
        (7, 1, I64_MIN, "(7, 1ℓ, -4611686018427387904ℓ²)"),
    ],
)
def test_announcement_shows_the_chern_character(capfdbinary, r, c, d, text):
    call_ignoring_outcome(r, c, d)
    assert capfdbinary.readouterr().out == announcement(text)


def test_announcement_bypasses_sys_stdout(capfdbinary, monkeypatch):
    monkeypatch.setattr(sys, "stdout", io.StringIO())
    call_ignoring_outcome(3, 2, -1)
    assert sys.stdout.getvalue() == ""
    assert capfdbinary.readouterr().out == announcement("(3, 2ℓ, -1/2ℓ²)")


def test_announcement_reaches_file_descriptor_1_before_the_call_returns(capfdbinary):
    os.write(1, b"before\n")
    call_ignoring_outcome(3, 2, -1)
    os.write(1, b"between\n")
    call_ignoring_outcome(r=-2, c=5, d=8)
    os.write(1, b"after\n")
    assert capfdbinary.readouterr().out == (
        b"before\n" + announcement("(3, 2ℓ, -1/2ℓ²)") + b"between\n"
        + announcement("(-2, 5ℓ, 4ℓ²)") + b"after\n"
    )


@pytest.mark.parametrize("args, error_type", [((1.5, 0, 0), TypeError), ((0, 0, 2**63), OverflowError)])
def test_nothing_is_announced_when_an_argument_is_rejected(capfdbinary, args, error_type):
    with pytest.raises(error_type):
        pseudo_semistabilizers(*args)
    assert capfdbinary.readouterr().out == b""


PANIC_SCRIPT = """
import json, os, sys, varnolt
if sys.argv[1] == "closed":
    os.close(1)
else:
    os.dup2(os.open(sys.argv[1], os.O_WRONLY if sys.argv[1] == "/dev/full" else os.O_RDONLY), 1)
raised, caught_as_exception = [], False
for _ in range(2):
    try:
        try:
            varnolt.pseudo_semistabilizers(3, 2, -1)
        except Exception:
            caught_as_exception = True
            raise
    except BaseException as error:
        raised.append(error)
kind = type(raised[-1])
sys.stderr.write("REPORT " + json.dumps({
    "caught_as_exception": caught_as_exception, "one_type": kind is type(raised[0]),
    "kind": [kind.__module__, kind.__name__, [base.__name__ for base in kind.__bases__]],
    "documented": bool((kind.__doc__ or "").strip()), "args": [list(e.args) for e in raised],
    "str": str(raised[-1])}) + "\\n")
sys.stderr.flush()
os._exit(0)
"""


@pytest.mark.parametrize(
    "target, code", [("closed", errno.EBADF), ("/dev/null", errno.EBADF), ("/dev/full", errno.ENOSPC)]
)
def test_unwritable_stdout_raises_panic_exception(target, code):
    if target.startswith("/") and not os.path.exists(target):
        pytest.skip(f"no {target} on this machine")
    done = subprocess.run([sys.executable, "-c", PANIC_SCRIPT, target],
                          capture_output=True, text=True, timeout=60)
    assert done.returncode == 0, done.stderr
    diagnostics, _, report = done.stderr.rpartition("REPORT ")
    report = json.loads(report)
    assert report["caught_as_exception"] is False and report["one_type"] is True
    assert report["kind"] == ["pyo3_runtime", "PanicException", ["BaseException"]]
    assert report["documented"] is True
    [[message], [again]] = report["args"]
    assert message == again == report["str"]
    assert message.startswith("failed printing to stdout: ") and os.strerror(code) in message
    assert diagnostics.count(message) == 2


def test_uncaught_panic_exception_ends_the_interpreter():
    script = "import os, varnolt\nos.close(1)\nvarnolt.pseudo_semistabilizers(3, 2, -1)\nos.write(2, b'unreached')"
    done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, timeout=60)
    assert done.returncode == 1
    assert "unreached" not in done.stderr
    assert "pyo3_runtime.PanicException: failed printing to stdout: " in done.stderr
