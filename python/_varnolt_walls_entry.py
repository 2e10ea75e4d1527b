"""The entry point of the varnolt-walls program (pyproject's [project.scripts]).

The program's modules (NumPy, varnolt_walls and what they import) take a good
part of a second to load. This module loads nothing but the standard library's
signal and sets the handling of Ctrl-C before them, so that Ctrl-C at any
moment ends the program as it does during its work: status 130 and nothing on
stderr, never a traceback. It lies outside the varnolt_walls package, whose
import loads everything. Import it only as the program's entry: importing it
sets the handler of SIGINT.
"""

import signal
from types import FrameType

INTERRUPTED = 130  # 128 + SIGINT, as a shell reports a program ended by Ctrl-C


def _end_quietly(signum: int, frame: FrameType | None) -> None:
    raise SystemExit(INTERRUPTED)


# Unless SIGINT is ignored (a job started in the background): then it stays so.
if signal.getsignal(signal.SIGINT) is signal.default_int_handler:
    signal.signal(signal.SIGINT, _end_quietly)


def main() -> int:
    """Loads the command line and runs it; returns the exit status."""
    # A Ctrl-C during these imports raises SystemExit(130), which ends the
    # program without a word, wherever in an import it comes.
    from varnolt_walls.cli import main as command_line

    try:
        # From here on the command line's own handling (KeyboardInterrupt).
        if signal.getsignal(signal.SIGINT) is _end_quietly:
            signal.signal(signal.SIGINT, signal.default_int_handler)
        return command_line()
    except KeyboardInterrupt:
        return INTERRUPTED
