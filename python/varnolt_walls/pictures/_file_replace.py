"""Files written whole or not at all: pictures and pages go to a temporary file beside their
target, which is renamed into place only once every byte is written."""

from __future__ import annotations

import os
import secrets
from collections.abc import Callable
from typing import BinaryIO


def write_whole(path: str | os.PathLike[str], write: Callable[[BinaryIO], object]) -> None:
    """Calls write(file) on a new temporary file in the directory of `path`, then renames it to `path`.

    A failure on the way (a full disk, a file size limit, Ctrl-C) removes the
    temporary file and leaves whatever `path` was untouched; a reader never
    sees half a file. The rename is atomic because both names are in one
    directory (on one file system). A symbolic link at `path` is followed:
    its target is replaced and the link kept. The new file has the
    permissions of any new file (0o666 less the umask), as O_CREAT gives.
    """
    target = os.path.realpath(path)
    directory, name = os.path.split(target)
    while True:
        temporary = os.path.join(directory, f".{name}.{secrets.token_hex(6)}.tmp")
        try:
            fd = os.open(temporary, os.O_WRONLY | os.O_CREAT | os.O_EXCL | getattr(os, "O_CLOEXEC", 0), 0o666)
            break
        except FileExistsError:  # another writer's name, by a chance of 2^-48: draw again
            continue
    try:
        with open(fd, "wb") as file:
            write(file)
        os.replace(temporary, target)
    except BaseException:
        try:
            os.unlink(temporary)
        except OSError:
            pass
        raise
