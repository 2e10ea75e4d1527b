"""Checks that every extension module in the given wheels exports only its
initialisation function, PyInit_<module name>: anything else exported (the
statically linked C++ runtime, our own functions) could bind to or clash with
another module's copy in the same process. In the glibc (manylinux) wheels,
each module must also take its unwinder from the system's libgcc_s.so.1,
which glibc uses to end a thread: an unwinder of its own would crash there.

    python scripts/check_wheel_exports.py WHEEL...

Needs binutils' nm. Exits 1 naming each module that exports more or less.
"""

import subprocess
import sys
import tempfile
import zipfile
from pathlib import PurePosixPath


def exported_symbols(library: str) -> set[str]:
    listing = subprocess.run(
        ["nm", "--dynamic", "--defined-only", "--format=posix", library],
        check=True, capture_output=True, text=True,
    ).stdout
    return {line.split()[0] for line in listing.splitlines() if line.strip()}


def unwinder_is_shared(library: str) -> bool:
    undefined = subprocess.run(
        ["nm", "--dynamic", "--undefined-only", "--format=posix", library],
        check=True, capture_output=True, text=True,
    ).stdout.split()
    return any(symbol.split("@")[0] == "_Unwind_RaiseException" for symbol in undefined)


def check_wheel(wheel: str) -> list[str]:
    problems = []
    with zipfile.ZipFile(wheel) as archive, tempfile.TemporaryDirectory() as scratch:
        modules = [name for name in archive.namelist() if name.endswith(".so")]
        if not modules:
            problems.append(f"{wheel}: no extension module")
        for name in modules:
            expected = {"PyInit_" + PurePosixPath(name).name.split(".")[0]}
            library = archive.extract(name, scratch)
            exported = exported_symbols(library)
            if "manylinux" in wheel and not unwinder_is_shared(library):
                problems.append(f"{wheel}: {name} has an unwinder of its own, not libgcc_s.so.1's")
            if exported != expected:
                problems.append(f"{wheel}: {name} exports {sorted(exported)}, not {sorted(expected)}")
            else:
                print(f"{name}: exports only {next(iter(expected))}")
    return problems


def main() -> int:
    problems = [problem for wheel in sys.argv[1:] for problem in check_wheel(wheel)]
    for problem in problems:
        print("error:", problem, file=sys.stderr)
    return 1 if problems or len(sys.argv) < 2 else 0


if __name__ == "__main__":
    sys.exit(main())
