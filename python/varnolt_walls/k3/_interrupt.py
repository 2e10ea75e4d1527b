"""Ctrl-C for the long loops of the K3 walls when they run in a thread other than the main one.

CPython runs a signal's handler in the main thread only: there Ctrl-C raises KeyboardInterrupt
between two steps of any loop, but a worker thread never sees it. When the main thread has ended
with KeyboardInterrupt (the interpreter stored it as sys.last_exc) and the interpreter waits for
the non-daemon threads (threading's shutdown has begun), the program is ending: `poll` then
raises SystemExit, which ends the worker's thread quietly, as the native searches do (their
`program_ends_after_interrupt`). Otherwise it does nothing, so a caller that catches the
KeyboardInterrupt and goes on waiting keeps its walk.
"""

from __future__ import annotations

import sys
import threading


def poll() -> None:
    """Raise SystemExit when the program is ending after Ctrl-C and this is not the main thread (see above)."""
    ended = getattr(sys, "last_exc", None)
    if (ended is not None and isinstance(ended, KeyboardInterrupt) and getattr(threading, "_SHUTTING_DOWN", False)
            and threading.current_thread() is not threading.main_thread()):
        raise SystemExit
