"""The entry point of the varnolt-walls program (pyproject's [project.scripts]).

The program's modules (NumPy, varnolt_walls and what they import) take a good
part of a second to load. This module loads only the interpreter's built-in
_signal (the module signal would load enum first, some milliseconds) and sets
the handling of Ctrl-C before them, so that Ctrl-C at any moment ends the
program as it does during its work: status 130 and nothing on stderr, never a
traceback. It lies outside the varnolt_walls package, whose import loads
everything. Import it only as the program's entry: importing it sets the
handler of SIGINT.

What it cannot cover is the interpreter's own start-up before the console
script runs (its site module): a Ctrl-C there ends the program as Python ends
it, which may print a traceback.
"""

import os  # loaded already by the interpreter's site module: no cost

import _signal  # type: ignore[import-not-found]  # CPython's built-in core of signal has no stubs

INTERRUPTED = 130  # 128 + SIGINT, as a shell reports a program ended by Ctrl-C


def _end_quietly(signum: int, frame: object) -> None:
    # The process ends here, not by an exception: Python prints and drops an exception raised
    # where it runs a finalizer or a weakref callback (imports run some), and the program would
    # go on. Ending at once loses nothing: until the command line runs, nothing is written
    # (the imports write no file and stdout holds no output), so there is nothing to flush.
    os._exit(INTERRUPTED)


# Unless SIGINT is ignored (a job started in the background): then it stays so.
if _signal.getsignal(_signal.SIGINT) is _signal.default_int_handler:
    _signal.signal(_signal.SIGINT, _end_quietly)


def main() -> int:
    """Loads the command line and runs it; returns the exit status."""
    # A Ctrl-C during these imports ends the program with 130 without a word,
    # wherever in an import it comes.
    from varnolt_walls.cli import main as command_line

    try:
        # From here on the command line's own handling (KeyboardInterrupt).
        if _signal.getsignal(_signal.SIGINT) is _end_quietly:
            _signal.signal(_signal.SIGINT, _signal.default_int_handler)
        return command_line()
    except KeyboardInterrupt:
        return INTERRUPTED
